// Tervanne-lanceur.exe: the window, its GDI painting and the game start.
#include <windows.h>

#include <cstring>

#include "launcher/layout.h"
#include "launcher/launcher_io.h"
#include "launcher/status.h"
#include "launcher/update.h"

namespace {

constexpr UINT WM_LAUNCHER_REPAINT = WM_APP + 1;

HWND window;
float scale = 1.0f;
int hover = HOVER_NONE;
char game_path[LAUNCHER_PATH_BYTES];
wchar_t game_path_w[301], folder_w[301];
LauncherScene scene;
HCURSOR arrow_cursor, hand_cursor;

void post_repaint() {
    if (window) PostMessageW(window, WM_LAUNCHER_REPAINT, 0, 0);
}

DWORD WINAPI worker(void*) {
    launcher_worker_body();
    return 0;
}

void start_worker() {
    if (!launcher_worker_claim()) return;  // a check is still running
    HANDLE h = CreateThread(nullptr, 0, worker, nullptr, 0, nullptr);
    if (h) CloseHandle(h);
    else launcher_worker_release();
}

COLORREF colour(uint32_t rgb) { return RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255); }

HFONT make_font(const DrawOp& op, int px) {
    return CreateFontW(-px, 0, 0, 0, op.weight, op.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                       op.font == FONT_SERIF ? L"Georgia" : L"Segoe UI");
}

// Fonts are made once per look and kept for the run.
HFONT font_for(const DrawOp& op) {
    struct Cached {
        LauncherFont font;
        int px, weight;
        bool italic;
        HFONT handle;
    };
    static Cached cache[16];
    static int count;
    for (int i = 0; i < count; i++)
        if (cache[i].font == op.font && cache[i].px == op.font_px && cache[i].weight == op.weight &&
            cache[i].italic == op.italic)
            return cache[i].handle;
    HFONT f = make_font(op, op.font_px);
    if (count < 16) cache[count++] = Cached{op.font, op.font_px, op.weight, op.italic, f};
    return f;
}

struct FitLine {
    HDC dc;
    const DrawOp* op;
    const wchar_t* text;
};

// Width of the line at one size, with a font made for the measure only.
int width_at(int px, const void* ctx) {
    const FitLine* f = static_cast<const FitLine*>(ctx);
    HFONT font = make_font(*f->op, px);
    HGDIOBJ old = SelectObject(f->dc, font);
    SIZE size{};
    GetTextExtentPoint32W(f->dc, f->text, lstrlenW(f->text), &size);
    SelectObject(f->dc, old);
    DeleteObject(font);
    return size.cx;
}

void draw_text(HDC dc, const DrawOp& op) {
    wchar_t text[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, scene_text(scene, op), -1, text, 1024) <= 0) return;
    UINT flags = DT_NOPREFIX | ((op.flags & TEXT_CENTER) ? DT_CENTER : DT_LEFT);
    if (op.flags & TEXT_VCENTER) flags |= DT_VCENTER | DT_SINGLELINE;
    if (op.flags & TEXT_WRAP) flags |= DT_WORDBREAK;
    if (op.flags & TEXT_ELLIPSIS) flags |= DT_END_ELLIPSIS | DT_SINGLELINE;
    RECT r{op.x0, op.y0, op.x1, op.y1};
    if (op.flags & TEXT_FIT) {
        DrawOp fitted = op;
        const FitLine line{dc, &op, text};
        fitted.font_px = launcher_fit_px(op.font_px, op.x1 - op.x0, width_at, &line);
        flags |= DT_VCENTER | DT_SINGLELINE;
        SelectObject(dc, font_for(fitted));
        SetTextColor(dc, colour(op.color));
        DrawTextW(dc, text, -1, &r, flags);
        return;
    }
    SelectObject(dc, font_for(op));
    SetTextColor(dc, colour(op.color));
    DrawTextW(dc, text, -1, &r, flags);
}

// draw_button: rounded rectangle with its outline; the label is the text
// operation that follows it in the scene.
void draw_button(HDC dc, const DrawOp& op) {
    HPEN pen = CreatePen(PS_SOLID, op.pen > 0 ? op.pen : 1, colour(op.outline));
    HBRUSH brush = CreateSolidBrush(colour(op.color));
    HGDIOBJ old_pen = SelectObject(dc, pen), old_brush = SelectObject(dc, brush);
    RoundRect(dc, op.x0, op.y0, op.x1, op.y1, op.corner, op.corner);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    // Everything is drawn off-screen and copied in one block: no flicker.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old_bmp = SelectObject(mem, bmp);
    HGDIOBJ old_font = GetCurrentObject(mem, OBJ_FONT);
    SetBkMode(mem, TRANSPARENT);

    const LauncherStatus st = launcher_status_get();
    launcher_layout(st, lfs_exists(game_path), hover, scale, w, h, &scene);
    for (int i = 0; i < scene.count; i++) {
        const DrawOp& op = scene.ops[i];
        switch (op.kind) {
        case DRAW_RECT: {
            RECT r{op.x0, op.y0, op.x1, op.y1};
            HBRUSH b = CreateSolidBrush(colour(op.color));
            FillRect(mem, &r, b);
            DeleteObject(b);
            break;
        }
        case DRAW_BUTTON: draw_button(mem, op); break;
        case DRAW_TEXT: draw_text(mem, op); break;
        }
    }
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old_font);
    SelectObject(mem, old_bmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

// start_game: the game runs in the launcher's folder with no arguments.
bool start_game() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(game_path_w, nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder_w[0] ? folder_w : nullptr,
                        &si, &pi)) {
        MessageBoxW(window, L"Impossible de lancer Tervanne.exe.", L"Tervanne", MB_OK | MB_ICONERROR);
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

int client_width(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return r.right;
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd); return 0;
    case WM_LAUNCHER_REPAINT: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_MOUSEMOVE: {
        const int now = launcher_hover_at(scale, client_width(hwnd), (short)LOWORD(lp), (short)HIWORD(lp));
        if (now != hover) {
            hover = now;
            // The cursor request came before this move: follow the new hover now.
            SetCursor(hover != HOVER_NONE ? hand_cursor : arrow_cursor);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        // Asked again after each move so that leaving the window clears the hover.
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&t);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (hover != HOVER_NONE) {
            hover = HOVER_NONE;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            SetCursor(hover != HOVER_NONE ? hand_cursor : arrow_cursor);
            return TRUE;
        }
        break;
    case WM_LBUTTONUP: {
        const int at = launcher_hover_at(scale, client_width(hwnd), (short)LOWORD(lp), (short)HIWORD(lp));
        const int state = launcher_status_get().state;
        if (at == HOVER_QUIT) {
            DestroyWindow(hwnd);
        } else if (at == HOVER_MAIN) {
            if (state == STATE_REPLACE_FAILED) start_worker();
            else if (can_play(state, lfs_exists(game_path)) && start_game()) DestroyWindow(hwnd);
        }
        return 0;
    }
    case WM_DESTROY:
        launcher_set_repaint_hook(nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // 1. Paths, and the copy left by a previous self-update.
    // Room for one unit more than a path may have, so that a longer path
    // (truncated by the call) is recognised and refused.
    wchar_t module_w[302];
    DWORD n = GetModuleFileNameW(nullptr, module_w, 302);
    if (n == 0 || n > 300) module_w[0] = 0;
    else module_w[n] = 0;
    char module[LAUNCHER_PATH_BYTES];
    if (WideCharToMultiByte(CP_UTF8, 0, module_w, -1, module, sizeof module, nullptr, nullptr) <= 0) module[0] = 0;
    launcher_set_paths(module);
    // 2. Address and installed version.
    launcher_startup();
    launcher_path(game_path, LAUNCHER_GAME_FILE, "");
    MultiByteToWideChar(CP_UTF8, 0, game_path, -1, game_path_w, 301);
    MultiByteToWideChar(CP_UTF8, 0, launcher_folder, -1, folder_w, 301);

    // 3. Scale from the screen's vertical density.
    HDC screen = GetDC(nullptr);
    scale = launcher_scale(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);

    // 4. Window class.
    arrow_cursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    hand_cursor = LoadCursorW(nullptr, (LPCWSTR)IDC_HAND);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.hIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                 GetSystemMetrics(SM_CYICON), 0);
    wc.hIconSm = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                   GetSystemMetrics(SM_CYSMICON), 0);
    wc.hCursor = arrow_cursor;
    wc.lpszClassName = L"TervanneLanceur";
    RegisterClassExW(&wc);

    // 5. Fixed-size window centred on the primary screen.
    int cw, ch;
    launcher_client_size(scale, &cw, &ch);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, cw, ch};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const int ww = r.right - r.left, wh = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - ww) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - wh) / 2;
    window = CreateWindowExW(0, L"TervanneLanceur", L"Tervanne \u2014 lanceur", style, x, y, ww, wh, nullptr,
                             nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    // 6. The update check.
    launcher_set_repaint_hook(post_repaint);
    start_worker();

    // 7. Message loop.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // A worker still running ends with the process.
    ExitProcess(0);
}
