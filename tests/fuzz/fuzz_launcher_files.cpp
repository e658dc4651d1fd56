// The update site's version description and the launcher's own two files are
// bytes from outside: whatever they hold, the results must stay inside their
// buffers, be NUL-terminated, and never name a file outside the folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "launcher/config.h"

static void check_terminated(const char* s, size_t cap) {
    if (!memchr(s, 0, cap)) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = (const char*)data;
    static VersionDesc desc;
    version_desc_parse(text, size, &desc);
    if (desc.entry_count < 0 || desc.entry_count > LAUNCHER_MAX_ENTRIES) abort();
    if (desc.note_count < 0 || desc.note_count > LAUNCHER_MAX_NOTES) abort();
    check_terminated(desc.version, sizeof desc.version);
    for (int i = 0; i < desc.entry_count; ++i) {
        const FileEntry& e = desc.entries[i];
        check_terminated(e.name, sizeof e.name);
        if (!file_name_acceptable(e.name)) abort();
        if (strlen(e.digest) != 64) abort();
        for (int k = 0; k < 64; ++k)
            if (!((e.digest[k] >= '0' && e.digest[k] <= '9') || (e.digest[k] >= 'a' && e.digest[k] <= 'f')))
                abort();
    }
    for (int i = 0; i < desc.note_count; ++i) check_terminated(desc.notes[i], sizeof desc.notes[i]);
    static char address[LAUNCHER_ADDRESS_BYTES];
    config_read_address(text, size, address);
    check_terminated(address, sizeof address);
    size_t n = strlen(address);
    if (n > 0 && address[n - 1] != '/') abort();
    static char installed[LAUNCHER_INSTALLED_BYTES];
    config_read_installed(text, size, installed);
    check_terminated(installed, sizeof installed);
    return 0;
}
