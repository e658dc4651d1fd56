// The game window on Windows: window class, WGL context, messages into the
// input snapshot, fullscreen, cursor capture, key names, GL lookup, clock.
#include <cstdint>
#include <cstring>

#include "platform/backend_common.h"
#include "platform/win32/win32_window.h"

namespace {

HWND window;
HDC device_context;
HCURSOR arrow_cursor;
HMODULE opengl_library;
RECT windowed_rect;
uint8_t fullscreen;
POINT saved_cursor;
LARGE_INTEGER counter_frequency;
LARGE_INTEGER counter_start;

const wchar_t* const kClassName = L"QuarnFenetre";
const DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;

// WGL_ARB_create_context values.
const int kContextMajorVersion = 0x2091;
const int kContextMinorVersion = 0x2092;
const int kContextProfileMask = 0x9126;
const int kCompatibilityProfileBit = 0x0002;

using CreateContextAttribsFn = HGLRC(WINAPI*)(HDC, HGLRC, const int*);
using SwapIntervalFn = BOOL(WINAPI*)(int);

// The desktop's usable area (the screen less the taskbar) of the monitor the
// window is on, the primary one before it exists.
RECT work_area() {
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                              : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    if (monitor && GetMonitorInfoW(monitor, &mi))
        work = mi.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Outer rectangle for a client size: frame added, three-quarter fallback and
// centring in the usable area, so that title bar and borders stay on the
// desktop, above the taskbar.
WindowPlacement place_for_client(int client_width, int client_height) {
    RECT r = {0, 0, client_width, client_height};
    AdjustWindowRectEx(&r, kWindowedStyle, FALSE, 0);
    int frame_w = (r.right - r.left) - client_width;
    int frame_h = (r.bottom - r.top) - client_height;
    RECT work = work_area();
    WindowPlacement p = plat_place_window(client_width, client_height, frame_w, frame_h, work.right - work.left,
                                          work.bottom - work.top);
    p.left += work.left;
    p.right += work.left;
    p.top += work.top;
    p.bottom += work.top;
    return p;
}

// The client size is what the window really got, never what was asked for:
// a placement the system trims or refuses sends no WM_SIZE of the asked size.
void read_client_size() {
    RECT client;
    if (!GetClientRect(window, &client)) return;
    plat_input.client_width = client.right - client.left;
    plat_input.client_height = client.bottom - client.top;
}

void place_window(const RECT& r) {
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED);
    read_client_size();
}

// Some drivers return small integers or -1 instead of null for functions they
// do not have; those are "missing" too.
bool proc_missing(PROC p) {
    intptr_t v = (intptr_t)p;
    return v == 0 || v == 1 || v == 2 || v == 3 || v == -1;
}

template <typename Fn>
Fn wgl_extension(const char* name) {
    PROC p = wglGetProcAddress(name);
    return proc_missing(p) ? nullptr : (Fn)(void*)p;
}

}  // namespace

HWND win32_window() { return window; }

int win32_key_index(LPARAM lp) {
    return plat_key_index((int)((lp >> 16) & 0x7F), ((lp >> 24) & 1) != 0);
}

LRESULT CALLBACK win32_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    InputState& in = plat_input;
    switch (msg) {
    case WM_MOUSEMOVE:
        in.mouse_x = (int16_t)LOWORD(lp);
        in.mouse_y = (int16_t)HIWORD(lp);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        int b = msg == WM_LBUTTONDOWN ? 0 : msg == WM_RBUTTONDOWN ? 1 : 2;
        in.button_down[b] = 1;
        in.button_pressed[b] = 1;
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        in.button_down[msg == WM_LBUTTONUP ? 0 : msg == WM_RBUTTONUP ? 1 : 2] = 0;
        return 0;
    case WM_MOUSEWHEEL:
        in.wheel += (float)(int16_t)HIWORD(wp) / 120.0f;
        return 0;
    case WM_INPUT: {
        // Header (24 bytes) plus a mouse record fits; anything bigger is not ours.
        alignas(8) unsigned char buffer[64];
        UINT size = sizeof buffer;
        UINT got = GetRawInputData((HRAWINPUT)lp, RID_INPUT, buffer, &size,
                                   sizeof(RAWINPUTHEADER));
        if (got != (UINT)-1 && got >= sizeof(RAWINPUTHEADER)) {
            const RAWINPUT* raw = (const RAWINPUT*)buffer;
            if (raw->header.dwType == RIM_TYPEMOUSE && in.cursor_captured &&
                !(raw->data.mouse.usFlags & MOUSE_MOVE_ABSOLUTE)) {
                in.mouse_delta[0] += (float)raw->data.mouse.lLastX;
                in.mouse_delta[1] += (float)raw->data.mouse.lLastY;
            }
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    case WM_KEYDOWN:
        plat_input_key_down(in, win32_key_index(lp));
        return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_SYSKEYDOWN: {
        int key = win32_key_index(lp);
        plat_input_key_down(in, key);
        // Alt+F4 must still close the game; any other Alt key would open the
        // system menu and freeze the frame loop.
        if (key == KEY_F4) return DefWindowProcW(hwnd, msg, wp, lp);
        return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        plat_input_key_up(in, win32_key_index(lp));
        return 0;
    case WM_CHAR:
        plat_input_text(in, (uint32_t)(wp & 0xFFFF));
        return 0;
    case WM_SYSCHAR:
        // Alt+Space would open the system menu and Alt+letter would beep for a
        // missing menu mnemonic: neither belongs in a game.
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
        // The loop ends and saves first; the window dies with the process.
        in.quit_requested = 1;
        return 0;
    case WM_SIZE:
        in.client_width = LOWORD(lp);
        in.client_height = HIWORD(lp);
        return 0;
    case WM_ACTIVATE:
        in.window_active = LOWORD(wp) != WA_INACTIVE;
        if (!in.window_active) {
            plat_set_cursor_captured(false);
            // The releases of keys held now go to the other window: without
            // this, Alt+Tab away while walking leaves the player walking.
            memset(in.key_down, 0, sizeof in.key_down);
            memset(in.button_down, 0, sizeof in.button_down);
        }
        // The default handler gives the keyboard focus back on activation;
        // without it keys would arrive only as system keys.
        DefWindowProcW(hwnd, msg, wp, lp);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            SetCursor(in.cursor_captured ? nullptr : arrow_cursor);
            return 1;
        }
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void plat_open_window(const char* title, int client_width, int client_height) {
    QueryPerformanceFrequency(&counter_frequency);
    QueryPerformanceCounter(&counter_start);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    arrow_cursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = win32_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    // The small picture from the same resource, so the title bar is not a
    // blurred copy of the big one.
    wc.hIconSm = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    wc.hCursor = arrow_cursor;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    WindowPlacement p = place_for_client(client_width, client_height);
    windowed_rect = {p.left, p.top, p.right, p.bottom};

    wchar_t wide_title[256];
    if (!win32_from_utf8(title, wide_title, 256)) wide_title[0] = 0;
    window = CreateWindowExW(0, kClassName, wide_title, kWindowedStyle | WS_VISIBLE, p.left, p.top,
                             p.right - p.left, p.bottom - p.top, nullptr, nullptr, instance,
                             nullptr);

    // Without a window there is no context either: gl_load then reports the
    // missing functions and the game ends with its OpenGL message.
    if (!window) return;
    device_context = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(device_context, &pfd);
    SetPixelFormat(device_context, format, &pfd);
    HGLRC plain = wglCreateContext(device_context);
    wglMakeCurrent(device_context, plain);
    opengl_library = GetModuleHandleW(L"opengl32.dll");

    if (auto create = wgl_extension<CreateContextAttribsFn>("wglCreateContextAttribsARB")) {
        const int attributes[] = {kContextMajorVersion, 3, kContextMinorVersion, 3,
                                  kContextProfileMask, kCompatibilityProfileBit, 0};
        HGLRC modern = create(device_context, nullptr, attributes);
        if (modern && wglMakeCurrent(device_context, modern)) {
            wglDeleteContext(plain);
        } else {
            // gl_load decides whether the plain context is enough.
            if (modern) wglDeleteContext(modern);
            wglMakeCurrent(device_context, plain);
        }
    }
    if (auto swap_interval = wgl_extension<SwapIntervalFn>("wglSwapIntervalEXT")) swap_interval(1);

    ShowWindow(window, SW_SHOW);

    RAWINPUTDEVICE mouse = {};
    mouse.usUsagePage = 1;
    mouse.usUsage = 2;
    mouse.dwFlags = 0;
    mouse.hwndTarget = window;
    RegisterRawInputDevices(&mouse, 1, sizeof mouse);

    read_client_size();
    plat_input.window_active = 1;

    if (!p.fits) plat_toggle_fullscreen();
}

void plat_pump() {
    bool f11_at_start = plat_input.key_down[KEY_F11] != 0;
    plat_input_begin_frame(plat_input);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) plat_input.quit_requested = 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    bool keyboard_or_mouse = plat_input.wheel != 0.0f;
    for (int k = 0; k < 256; ++k) keyboard_or_mouse |= plat_input.key_pressed[k] != 0;
    for (int b = 0; b < 3; ++b) keyboard_or_mouse |= plat_input.button_pressed[b] != 0;
    win32_pad_poll();
    pad_note_last_used(plat_input, keyboard_or_mouse);
    if (plat_f11_went_down(plat_input, f11_at_start)) plat_toggle_fullscreen();
}

void plat_swap() { SwapBuffers(device_context); }

double plat_time() {
    if (counter_frequency.QuadPart <= 0) return 0.0;  // before the window exists
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - counter_start.QuadPart) / (double)counter_frequency.QuadPart;
}

uint32_t plat_window_framebuffer() { return 0; }

void plat_toggle_fullscreen() {
    fullscreen = !fullscreen;
    if (!window) return;
    if (fullscreen) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &mi);
        SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        place_window(mi.rcMonitor);
    } else {
        SetWindowLongPtrW(window, GWL_STYLE, kWindowedStyle | WS_VISIBLE);
        place_window(windowed_rect);
    }
}

bool plat_is_fullscreen() { return fullscreen != 0; }

void plat_set_windowed_size(int client_width, int client_height) {
    WindowPlacement p = place_for_client(client_width, client_height);
    windowed_rect = {p.left, p.top, p.right, p.bottom};
    if (window && !fullscreen) place_window(windowed_rect);
}

void plat_set_cursor_captured(bool captured) {
    if ((plat_input.cursor_captured != 0) == captured) return;
    if (captured) {
        GetCursorPos(&saved_cursor);
        RECT one = {saved_cursor.x, saved_cursor.y, saved_cursor.x + 1, saved_cursor.y + 1};
        ClipCursor(&one);
        SetCursor(nullptr);
    } else {
        ClipCursor(nullptr);
        SetCursorPos(saved_cursor.x, saved_cursor.y);
        SetCursor(arrow_cursor);
    }
    plat_input.cursor_captured = captured ? 1 : 0;
}

void plat_close_window() {
    if (!window) return;
    plat_set_cursor_captured(false);
    HGLRC context = wglGetCurrentContext();
    wglMakeCurrent(nullptr, nullptr);
    if (context) wglDeleteContext(context);
    ReleaseDC(window, device_context);
    HWND closing = window;
    window = nullptr;
    device_context = nullptr;
    DestroyWindow(closing);
}

void plat_key_name(int key_index, char* out, int capacity) {
    if (!out || capacity <= 0) return;
    key_index &= 0xFF;
    LONG lp = (LONG)(((key_index & 0x7F) << 16) | ((key_index & KEY_EXTENDED) ? (1 << 24) : 0));
    wchar_t wide[48];
    int n = GetKeyNameTextW(lp, wide, 48);
    if (n < 0) n = 0;
    // Pairs of UTF-16 halves become one code point; a lone half is not text.
    uint32_t name[48];
    int count = 0;
    for (int i = 0; i < n; ++i) {
        uint32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        name[count++] = c;
    }
    plat_key_name_from_utf32(name, count, key_index, out, capacity);
}

void* gl_proc(const char* name) {
    PROC p = wglGetProcAddress(name);
    if (proc_missing(p)) {
        if (!opengl_library) return nullptr;
        p = GetProcAddress(opengl_library, name);
    }
    return (void*)p;
}
