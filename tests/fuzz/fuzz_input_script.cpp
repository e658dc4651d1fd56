// Recorded input scripts are read back from files: any bytes must parse or be
// refused without reading out of bounds, and the live snapshot's text must
// stay a NUL-terminated string of at most 63 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend_common.h"
#include "platform/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back(0);
    static InputState frames[16];
    int n = input_script_read(text.data(), frames, 16);
    if (n < -1 || n > 16) abort();
    InputState live{};
    for (int i = 0; i < n; ++i) {
        plat_input_begin_frame(live);
        input_script_apply(live, frames[i]);
        if (live.text_input_length < 0 || live.text_input_length > 63) abort();
        if (strlen(live.text_input) != (size_t)live.text_input_length) abort();
    }
    return 0;
}
