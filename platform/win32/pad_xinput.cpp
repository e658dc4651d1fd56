// The pad on Windows: XInput, loaded when the game starts so that a system
// without it (or Wine without a pad) simply has no pad.
#include <windows.h>

#include "platform/backend_common.h"
#include "platform/win32/win32_window.h"

namespace {

// XINPUT_STATE and XINPUT_VIBRATION, declared here so no XInput header or
// import library is needed.
struct XState {
    DWORD packet;
    XInputGamepadRecord gamepad;
};
struct XVibration {
    WORD left_motor, right_motor;
};
using GetStateFn = DWORD(WINAPI*)(DWORD, XState*);
using SetStateFn = DWORD(WINAPI*)(DWORD, XVibration*);

bool loaded;
GetStateFn get_state;
SetStateFn set_state;
int user = -1;               // the XInput slot of the pad in use
ULONGLONG next_search = 0;   // polling absent slots is slow: once a second
ULONGLONG rumble_until = 0;

void load() {
    loaded = true;
    HMODULE lib = LoadLibraryA("xinput1_4.dll");
    if (!lib) lib = LoadLibraryA("xinput9_1_0.dll");
    if (!lib) {
        log_printf("Manette : XInput absent.");
        return;
    }
    get_state = (GetStateFn)(void*)GetProcAddress(lib, "XInputGetState");
    set_state = (SetStateFn)(void*)GetProcAddress(lib, "XInputSetState");
}

}  // namespace

static_assert(sizeof(XInputGamepadRecord) == 12, "XINPUT_GAMEPAD is 12 bytes");

void win32_pad_poll() {
    if (!loaded) load();
    PadState& p = plat_input.pad;
    XState st{};
    bool got = false;
    if (get_state && user >= 0) got = get_state((DWORD)user, &st) == ERROR_SUCCESS;
    if (get_state && !got) {
        if (user >= 0) log_printf("Manette débranchée.");
        user = -1;
        ULONGLONG now = GetTickCount64();
        if (now >= next_search) {
            next_search = now + 1000;
            for (DWORD i = 0; i < 4 && !got; ++i)
                if (get_state(i, &st) == ERROR_SUCCESS) {
                    user = (int)i;
                    got = true;
                    log_printf("Manette : XInput %d", (int)i);
                }
        }
    }
    if (!got) {
        uint32_t prev = p.buttons_prev;
        p = PadState{};
        p.buttons_prev = prev;
        return;
    }
    pad_from_xinput(st.gamepad, p);
    p.can_rumble = set_state ? 1 : 0;
    if (rumble_until && GetTickCount64() >= rumble_until && set_state) {
        XVibration off{0, 0};
        set_state((DWORD)user, &off);
        rumble_until = 0;
    }
}

void plat_pad_rumble(float low, float high, float seconds) {
    if (!set_state || user < 0 || seconds <= 0.0f) return;
    auto level = [](float v) { return (WORD)(v <= 0.0f ? 0 : v >= 1.0f ? 65535 : v * 65535.0f); };
    XVibration v{level(low), level(high)};
    set_state((DWORD)user, &v);
    rumble_until = GetTickCount64() + (ULONGLONG)(seconds * 1000.0f);
}
