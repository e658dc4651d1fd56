// Checks of the Windows backend through its real calls: files and log beside
// the program, the window and its GL context, keyboard/mouse/text messages as
// the pump sees them, fullscreen and windowed sizes, cursor capture, key
// names and the UDP socket. Meant to run under Wine on a virtual display;
// prints one PASS/FAIL line per group and exits 1 when any failed.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/backend_common.h"
#include "platform/win32/win32_window.h"
#include "tests/windows/checks.h"

int failed_groups;
namespace {
int group_failures;
const char* group_name;
}  // namespace

void begin(const char* name) {
    group_name = name;
    group_failures = 0;
}

void expect(bool ok, const char* what, int line) {
    if (ok) return;
    ++group_failures;
    printf("  failed: %s (line %d)\n", what, line);
}

void end() {
    printf("%s: %s\n", group_failures ? "FAIL" : "PASS", group_name);
    if (group_failures) ++failed_groups;
    fflush(stdout);
}

namespace {

// Reads a file beside the program even while the game holds it open for
// writing (the log), which plat_read_file's read-only sharing does not allow.
std::string read_beside(const char* name) {
    wchar_t path[1200];
    if (!win32_path_beside_program(name, path, 1200)) return "<no path>";
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s;
    char buf[4096];
    DWORD got;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) s.append(buf, got);
    CloseHandle(f);
    return s;
}

void remove_beside(const char* name) {
    wchar_t path[1200];
    if (win32_path_beside_program(name, path, 1200)) DeleteFileW(path);
}

LPARAM key_lp(int scan, bool extended, bool repeat = false, bool up = false, bool alt = false) {
    LPARAM lp = 1 | ((LPARAM)scan << 16);
    if (extended) lp |= (LPARAM)1 << 24;
    if (alt) lp |= (LPARAM)1 << 29;
    if (repeat || up) lp |= (LPARAM)1 << 30;
    if (up) lp |= (LPARAM)1 << 31;
    return lp;
}

// Relative motion through the system's input queue, as a mouse would send it.
void move_mouse(int dx, int dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    Sleep(30);
}

// One key through the system's input queue, as a keyboard sends it (virtual
// key and scan code), or one character typed as Unicode (as an input method).
void send_key(WORD vk, WORD scan, bool up, bool unicode = false) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    if (unicode) input.ki.dwFlags = KEYEVENTF_UNICODE;
    if (up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    Sleep(30);
}

void post(UINT msg, WPARAM wp, LPARAM lp) { PostMessageW(win32_window(), msg, wp, lp); }

bool rect_is(const RECT& r, int left, int top, int right, int bottom) {
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

void check_files_and_log() {
    begin("log: recreated at first line, CR LF, long line cut at 2040 bytes");
    const char old[] = "ancien journal\r\n";
    EXPECT(plat_write_file("tervanne-journal.txt", old, (int)sizeof old - 1));
    log_printf("Première ligne %d", 1);
    std::string long_text(3000, 'x');
    log_printf("%s", long_text.c_str());
    log_printf("fin");
    std::string expected = "Première ligne 1\r\n" + std::string(2040, 'x') + "\r\nfin\r\n";
    EXPECT(read_beside("tervanne-journal.txt") == expected);
    end();

    begin("files beside the program: round trip, capacity, truncation, missing file");
    const char* name = "essai-plateforme.txt";
    remove_beside(name);
    char buf[64];
    memcpy(buf, "zzz", 4);
    EXPECT(plat_read_file(name, buf, sizeof buf) == -1);
    EXPECT(strcmp(buf, "zzz") == 0);  // untouched on failure
    EXPECT(plat_write_file(name, "bonjour é", 10));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 10);
    EXPECT(strcmp(buf, "bonjour é") == 0);
    EXPECT(plat_read_file(name, buf, 4) == 3);
    EXPECT(strcmp(buf, "bon") == 0);
    EXPECT(plat_write_file(name, "ok", 2));  // a shorter write leaves no tail
    EXPECT(plat_read_file(name, buf, sizeof buf) == 2);
    EXPECT(strcmp(buf, "ok") == 0);
    EXPECT(plat_write_file(name, "", 0));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 0);
    EXPECT(buf[0] == 0);
    EXPECT(!plat_write_file("dossier-absent\\x.txt", "a", 1));
    // Replacing: the new file takes the old one's name in one step; a
    // missing source leaves the target as it was.
    const char* temp = "essai-plateforme.txt.tmp";
    EXPECT(plat_write_file(name, "ancien", 6));
    EXPECT(plat_write_file(temp, "nouveau", 7));
    EXPECT(plat_replace_file(temp, name));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 7);
    EXPECT(strcmp(buf, "nouveau") == 0);
    EXPECT(plat_read_file(temp, buf, sizeof buf) == -1);
    EXPECT(!plat_replace_file(temp, name));
    EXPECT(plat_read_file(name, buf, sizeof buf) == 7);
    EXPECT(plat_read_file(name, buf, 0) == -1);
    remove_beside(name);
    end();
}

// The usable area of the window's monitor: the screen less the taskbar.
RECT usable_area(HWND w) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

void check_window_and_context(int& outer_w, int& outer_h) {
    begin("window: class, title, client size, centred, windowed");
    plat_open_window("Tervanne — essai", 640, 360);
    HWND w = win32_window();
    EXPECT(w != nullptr);
    EXPECT(FindWindowW(L"QuarnFenetre", nullptr) == w);
    wchar_t title[64] = {};
    GetWindowTextW(w, title, 64);
    EXPECT(wcscmp(title, L"Tervanne — essai") == 0);
    RECT c;
    GetClientRect(w, &c);
    EXPECT(c.right == 640 && c.bottom == 360);
    EXPECT(plat_input.client_width == 640 && plat_input.client_height == 360);
    EXPECT(plat_input.window_active == 1);
    EXPECT(!plat_is_fullscreen());
    EXPECT((GetWindowLongPtrW(w, GWL_STYLE) & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW);
    RECT r;
    GetWindowRect(w, &r);
    outer_w = r.right - r.left;
    outer_h = r.bottom - r.top;
    // Centred in the desktop's usable area, the taskbar left out.
    RECT work = usable_area(w);
    int sw = work.right - work.left, sh = work.bottom - work.top;
    EXPECT(r.left == work.left + (sw - outer_w) / 2 && r.top == work.top + (sh - outer_h) / 2);
    EXPECT(plat_window_framebuffer() == 0);
    end();

    begin("GL: 3.3 compatibility context, entry points from both sources, vsync");
    using GetStringFn = const unsigned char*(WINAPI*)(unsigned);
    using GetIntegervFn = void(WINAPI*)(unsigned, int*);
    auto get_string = (GetStringFn)gl_proc("glGetString");  // an opengl32.dll export
    auto get_integerv = (GetIntegervFn)gl_proc("glGetIntegerv");
    EXPECT(get_string != nullptr && get_integerv != nullptr);
    EXPECT(gl_proc("glCreateShader") != nullptr);  // only through the extension loader
    EXPECT(gl_proc("glFonctionQuiNExistePas") == nullptr);
    if (get_string && get_integerv) {
        const char* version = (const char*)get_string(0x1F02);
        int major = 0, minor = 0;
        if (version) sscanf(version, "%d.%d", &major, &minor);
        printf("  GL_VERSION %s\n", version ? version : "(null)");
        EXPECT(major * 10 + minor >= 33);
        int profile = 0;
        get_integerv(0x9126, &profile);
        EXPECT((profile & 2) != 0);
    }
    using GetSwapIntervalFn = int(WINAPI*)();
    if (auto get_interval = (GetSwapIntervalFn)gl_proc("wglGetSwapIntervalEXT"))
        EXPECT(get_interval() == 1);
    end();

    begin("clock: starts near 0 at window creation and advances");
    double t0 = plat_time();
    Sleep(30);
    double t1 = plat_time();
    EXPECT(t0 >= 0.0 && t0 < 30.0);
    EXPECT(t1 - t0 >= 0.02 && t1 - t0 < 5.0);
    end();
}

void check_keyboard() {
    InputState& in = plat_input;
    begin("keys: one press per hold, right Shift is Shift, extended keys apart");
    post(WM_KEYDOWN, 'A', key_lp(0x1E, false));
    plat_pump();
    EXPECT(in.key_down[30] && in.key_pressed[30] && !in.key_down_prev[30]);
    post(WM_KEYDOWN, 'A', key_lp(0x1E, false, true));  // auto-repeat
    post(WM_KEYDOWN, 'A', key_lp(0x1E, false, true));
    plat_pump();
    EXPECT(in.key_down[30] && !in.key_pressed[30] && in.key_down_prev[30]);
    post(WM_KEYUP, 'A', key_lp(0x1E, false, false, true));
    plat_pump();
    EXPECT(!in.key_down[30] && in.key_down_prev[30]);

    post(WM_KEYDOWN, VK_SHIFT, key_lp(0x36, false));
    plat_pump();
    EXPECT(in.key_down[KEY_LSHIFT] && in.key_pressed[KEY_LSHIFT] && !in.key_down[KEY_RSHIFT]);
    post(WM_KEYUP, VK_SHIFT, key_lp(0x2A, false, false, true));
    plat_pump();
    EXPECT(!in.key_down[KEY_LSHIFT]);

    post(WM_KEYDOWN, VK_CONTROL, key_lp(0x1D, true));
    plat_pump();
    EXPECT(in.key_down[0x9D] && !in.key_down[0x1D]);
    post(WM_KEYUP, VK_CONTROL, key_lp(0x1D, true, false, true));
    plat_pump();
    EXPECT(!in.key_down[0x9D]);
    end();

    begin("Alt keys: tracked as keys, no close except Alt+F4");
    post(WM_SYSKEYDOWN, VK_MENU, key_lp(0x38, false, false, false, true));
    post(WM_SYSKEYDOWN, 'X', key_lp(0x2D, false, false, false, true));
    plat_pump();
    EXPECT(in.key_down[0x38] && in.key_pressed[0x2D]);
    post(WM_SYSKEYUP, 'X', key_lp(0x2D, false, false, true, true));
    post(WM_SYSKEYUP, VK_MENU, key_lp(0x38, false, false, true, true));
    plat_pump();
    EXPECT(!in.key_down[0x38] && !in.key_down[0x2D]);
    EXPECT(!in.quit_requested);
    end();

    begin("text: typed UTF-16 units as UTF-8, controls and lone halves dropped, one frame only");
    const WPARAM chars[] = {'a', 0xE9, 0x20AC, 13, 8, 9, 27, 0xD83D, 0xDE00, 'b'};
    for (WPARAM ch : chars) post(WM_CHAR, ch, 1);
    plat_pump();
    EXPECT(in.text_input_length == 7);
    EXPECT(strcmp(in.text_input, "aé€b") == 0);
    plat_pump();
    EXPECT(in.text_input_length == 0 && in.text_input[0] == 0);
    end();
}

void check_system_input() {
    InputState& in = plat_input;
    begin("input queue: scan-code keys and typed characters arrive through translation");
    SetForegroundWindow(win32_window());
    plat_pump();
    send_key('A', 0x1E, false);
    plat_pump();
    EXPECT(in.key_down[30] && in.key_pressed[30]);
    EXPECT(strcmp(in.text_input, "a") == 0);
    send_key('A', 0x1E, true);
    send_key(0, 0xE9, false, true);  // é typed as Unicode
    send_key(0, 0xE9, true, true);
    plat_pump();
    EXPECT(!in.key_down[30]);
    EXPECT(strcmp(in.text_input, "é") == 0);
    end();
}

void check_mouse() {
    InputState& in = plat_input;
    begin("mouse: signed position, buttons for one frame, wheel notches");
    HWND w = win32_window();
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM((WORD)(int16_t)-5, 300));
    EXPECT(in.mouse_x == -5 && in.mouse_y == 300);
    post(WM_RBUTTONDOWN, MK_RBUTTON, 0);
    post(WM_MBUTTONDOWN, MK_MBUTTON, 0);
    post(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(int16_t)-240), 0);
    plat_pump();
    EXPECT(in.button_down[1] && in.button_pressed[1] && in.button_down[2] && !in.button_down[0]);
    EXPECT(in.wheel == -2.0f);
    post(WM_RBUTTONUP, 0, 0);
    post(WM_MBUTTONUP, 0, 0);
    plat_pump();
    EXPECT(!in.button_down[1] && !in.button_pressed[1] && in.button_down_prev[1]);
    EXPECT(in.wheel == 0.0f);
    end();

    begin("cursor capture and focus: 1x1 clip, raw motion only while captured, focus loss releases all");
    SetForegroundWindow(w);  // raw input goes to the foreground window
    plat_pump();
    RECT r;
    GetWindowRect(w, &r);
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    SetCursorPos(cx, cy);
    plat_set_cursor_captured(true);
    plat_set_cursor_captured(true);  // no change, no second remembered position
    EXPECT(in.cursor_captured == 1);
    RECT clip;
    GetClipCursor(&clip);
    EXPECT(clip.right - clip.left == 1 && clip.bottom - clip.top == 1);
    EXPECT(SendMessageW(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == 1);
    EXPECT(GetCursor() == nullptr);
    move_mouse(5, -3);
    move_mouse(2, 1);
    plat_pump();
    EXPECT(in.mouse_delta[0] == 7.0f && in.mouse_delta[1] == -2.0f);
    plat_pump();
    EXPECT(in.mouse_delta[0] == 0.0f && in.mouse_delta[1] == 0.0f);
    post(WM_KEYDOWN, 'W', key_lp(0x11, false));
    post(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    plat_pump();
    EXPECT(in.key_down[0x11] && in.button_down[0]);
    SendMessageW(w, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT(in.window_active == 0 && in.cursor_captured == 0);
    EXPECT(!in.key_down[0x11] && !in.button_down[0]);  // no key stays held after Alt+Tab
    GetClipCursor(&clip);
    EXPECT(clip.right - clip.left > 1);
    SendMessageW(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT(GetCursor() == LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW));
    POINT p;
    GetCursorPos(&p);
    EXPECT(p.x == cx && p.y == cy);
    SendMessageW(w, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT(in.window_active == 1);
    EXPECT(GetFocus() == w);
    move_mouse(4, 4);
    plat_pump();
    EXPECT(in.mouse_delta[0] == 0.0f && in.mouse_delta[1] == 0.0f);
    end();
}

void check_fullscreen_and_sizes(int outer_w, int outer_h) {
    InputState& in = plat_input;
    HWND w = win32_window();
    RECT work = usable_area(w);
    int sw = work.right - work.left, sh = work.bottom - work.top;
    RECT windowed;
    GetWindowRect(w, &windowed);

    begin("F11: borderless over the monitor, held key toggles once, back to the window");
    post(WM_KEYDOWN, VK_F11, key_lp(87, false));
    plat_pump();
    EXPECT(plat_is_fullscreen());
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT(rect_is(r, mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom));
    LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    EXPECT((style & WS_POPUP) && !(style & WS_CAPTION) && (style & WS_VISIBLE));
    EXPECT(in.client_width == mi.rcMonitor.right - mi.rcMonitor.left);
    post(WM_KEYDOWN, VK_F11, key_lp(87, false, true));
    plat_pump();
    EXPECT(plat_is_fullscreen());
    post(WM_KEYUP, VK_F11, key_lp(87, false, false, true));
    plat_pump();
    post(WM_KEYDOWN, VK_F11, key_lp(87, false));
    post(WM_KEYUP, VK_F11, key_lp(87, false, false, true));  // press and release in one frame
    plat_pump();
    EXPECT(!plat_is_fullscreen());
    GetWindowRect(w, &r);
    EXPECT(rect_is(r, windowed.left, windowed.top, windowed.right, windowed.bottom));
    EXPECT(in.client_width == 640 && in.client_height == 360);
    end();

    begin("windowed size: applied when windowed, kept for later when fullscreen, 3/4 fallback");
    int frame_w = outer_w - 640, frame_h = outer_h - 360;
    plat_set_windowed_size(800, 500);
    EXPECT(in.client_width == 800 && in.client_height == 500);
    GetWindowRect(w, &r);
    EXPECT(r.left == work.left + (sw - 800 - frame_w) / 2 && r.top == work.top + (sh - 500 - frame_h) / 2);
    plat_toggle_fullscreen();
    plat_set_windowed_size(700, 400);
    GetWindowRect(w, &r);
    EXPECT(rect_is(r, mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom));
    plat_toggle_fullscreen();
    EXPECT(in.client_width == 700 && in.client_height == 400);
    plat_set_windowed_size(sw + 100, sh);
    GetWindowRect(w, &r);
    EXPECT(r.right - r.left == sw * 3 / 4 && r.bottom - r.top == sh * 3 / 4);
    EXPECT(r.left == work.left + (sw - sw * 3 / 4) / 2 && r.top == work.top + (sh - sh * 3 / 4) / 2);
    EXPECT(!plat_is_fullscreen());
    // The whole usable area asked for: with its frame it does not fit, so
    // the title bar and borders never run off the desktop.
    plat_set_windowed_size(sw, sh);
    GetWindowRect(w, &r);
    EXPECT(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom);
    EXPECT(r.right - r.left == sw * 3 / 4 && r.bottom - r.top == sh * 3 / 4);
    plat_set_windowed_size(640, 360);
    end();
}

void check_key_names() {
    begin("key names: system names, upper-case letter, fallback for unnamed keys");
    char name[64];
    plat_key_name(30, name, sizeof name);
    EXPECT(strcmp(name, "A") == 0);
    printf("  key 30 \"%s\"", name);
    plat_key_name(1, name, sizeof name);
    printf(", key 1 \"%s\"", name);
    EXPECT(name[0] != 0 && strncmp(name, "touche", 6) != 0);
    plat_key_name(0x9D, name, sizeof name);  // Wine names both Ctrl keys alike
    printf(", key 0x9D \"%s\"\n", name);
    EXPECT(name[0] != 0);
    plat_key_name(0, name, sizeof name);
    EXPECT(strcmp(name, "touche 0") == 0);
    end();
}

void check_quit_paths() {
    InputState& in = plat_input;
    HWND w = win32_window();
    begin("quit: Alt+F4, the close box and the quit message set the flag, window stays");
    post(WM_SYSKEYDOWN, VK_F4, key_lp(62, false, false, false, true));
    plat_pump();
    plat_pump();  // the close arrives as a posted system command
    EXPECT(in.quit_requested == 1);
    EXPECT(IsWindow(w));
    in.quit_requested = 0;
    post(WM_CLOSE, 0, 0);
    plat_pump();
    EXPECT(in.quit_requested == 1 && IsWindow(w));
    in.quit_requested = 0;
    PostQuitMessage(0);
    plat_pump();
    EXPECT(in.quit_requested == 1);
    end();
}

void check_udp() {
    begin("UDP: open once, loopback round trip in host order, never blocks, oversized dropped, close and reopen");
    EXPECT(udp_open());
    EXPECT(udp_open());
    SOCKET peer = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    bind(peer, (sockaddr*)&a, sizeof a);
    int len = sizeof a;
    getsockname(peer, (sockaddr*)&a, &len);
    uint16_t peer_port = ntohs(a.sin_port);
    u_long nb = 1;
    ioctlsocket(peer, FIONBIO, &nb);

    char buf[64];
    uint32_t from = 0;
    uint16_t from_port = 0;
    EXPECT(udp_receive(buf, sizeof buf, &from, &from_port) == -1);
    EXPECT(udp_send(0x7F000001, peer_port, "TVN1bonjour", 11));
    sockaddr_in sender = {};
    int got = -1;
    for (int i = 0; i < 50 && got < 0; ++i) {
        int sl = sizeof sender;
        got = recvfrom(peer, buf, sizeof buf, 0, (sockaddr*)&sender, &sl);
        if (got < 0) Sleep(10);
    }
    EXPECT(got == 11 && memcmp(buf, "TVN1bonjour", 11) == 0);
    sendto(peer, "TVN1rep", 7, 0, (sockaddr*)&sender, sizeof sender);
    int n = -1;
    for (int i = 0; i < 50 && n < 0; ++i) {
        n = udp_receive(buf, sizeof buf, &from, &from_port);
        if (n < 0) Sleep(10);
    }
    EXPECT(n == 7 && memcmp(buf, "TVN1rep", 7) == 0);
    EXPECT(from == 0x7F000001 && from_port == peer_port);

    // Longer than the buffer: dropped, never handed over cut; the next
    // datagram waiting behind it arrives whole in the same call.
    char big[200];
    memset(big, 'g', sizeof big);
    sendto(peer, big, sizeof big, 0, (sockaddr*)&sender, sizeof sender);
    sendto(peer, "TVN1fin", 7, 0, (sockaddr*)&sender, sizeof sender);
    Sleep(20);
    n = udp_receive(buf, sizeof buf, &from, &from_port);
    EXPECT(n == 7 && memcmp(buf, "TVN1fin", 7) == 0);
    EXPECT(udp_receive(buf, sizeof buf, &from, &from_port) == -1);

    uint32_t addr = 0;
    EXPECT(udp_resolve("127.0.0.1", &addr) && addr == 0x7F000001);
    EXPECT(udp_resolve("localhost", &addr) && addr == 0x7F000001);
    EXPECT(!udp_resolve("", &addr));

    udp_close();
    udp_close();
    EXPECT(!udp_send(0x7F000001, peer_port, "x", 1));
    EXPECT(udp_receive(buf, sizeof buf, &from, &from_port) == -1);
    EXPECT(udp_open());
    EXPECT(udp_send(0x7F000001, peer_port, "x", 1));
    udp_close();
    closesocket(peer);
    end();
}

}  // namespace

// Wine has XInput but no pad: the pad stays absent through pumps, the
// rumble asks nothing of a missing pad, and the recorded XInput layout maps
// the same in this build as in the native one.
void check_no_pad() {
    begin("pad: XInput loaded at run time, no pad present, mapping of a recorded state");
    InputState& in = plat_input;
    for (int i = 0; i < 3; ++i) plat_pump();
    EXPECT(!in.pad.connected && in.pad.buttons == 0 && in.pad.axes[PAD_LX] == 0.0f);
    EXPECT(!in.pad_used_last);
    plat_pad_rumble(1.0f, 1.0f, 0.5f);
    plat_pump();
    EXPECT(!in.pad.connected);
    const unsigned char recorded[12] = {0x04, 0x12, 0x00, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0, 0, 0, 0};
    XInputGamepadRecord x;
    memcpy(&x, recorded, sizeof x);
    PadState p{};
    pad_from_xinput(x, p);
    EXPECT(p.buttons == ((1u << PAD_A) | (1u << PAD_RB) | (1u << PAD_LEFT) | (1u << PAD_RT)));
    EXPECT(p.axes[PAD_LX] == -1.0f && p.axes[PAD_LY] == -1.0f);
    end();
}

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    // The runs of one case each, in folders the script prepares.
    if (argc > 1) return check_file_case(argv[1]);
    check_files_and_log();
    check_held_and_refused_files();
    check_saves_held_or_refused();
    check_folder_lock();
    int outer_w = 0, outer_h = 0;
    check_window_and_context(outer_w, outer_h);
    check_keyboard();
    check_system_input();
    check_mouse();
    check_fullscreen_and_sizes(outer_w, outer_h);
    check_key_names();
    check_quit_paths();
    check_no_pad();
    check_udp();
    printf("%s: %d group(s) failed\n", failed_groups ? "FAIL" : "PASS", failed_groups);
    return failed_groups ? 1 : 0;
}
