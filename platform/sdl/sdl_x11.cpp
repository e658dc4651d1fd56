// The two questions the SDL backend puts to the X server. libX11 is looked up
// at run time (SDL itself loads it that way): the program still starts where
// there is no X at all.
#include "platform/sdl/sdl_x11.h"

#include <SDL_syswm.h>

namespace {

using SyncFn = int (*)(Display*, Bool);
using GetGeometryFn = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                                 unsigned*);
using InternAtomFn = Atom (*)(Display*, const char*, Bool);
using GetWindowPropertyFn = int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                                    unsigned long*, unsigned char**);
using FreeFn = int (*)(void*);
using DefaultRootWindowFn = Window (*)(Display*);
using SendEventFn = Status (*)(Display*, Window, Bool, long, XEvent*);
using MoveWindowFn = int (*)(Display*, Window, int, int);
using FlushFn = int (*)(Display*);

struct X11Calls {
    bool tried = false, ready = false;
    SyncFn sync = nullptr;
    GetGeometryFn get_geometry = nullptr;
    InternAtomFn intern_atom = nullptr;
    GetWindowPropertyFn get_window_property = nullptr;
    FreeFn free = nullptr;
    DefaultRootWindowFn default_root_window = nullptr;
    SendEventFn send_event = nullptr;
    MoveWindowFn move_window = nullptr;
    FlushFn flush = nullptr;
};
X11Calls x;

bool load() {
    if (x.tried) return x.ready;
    x.tried = true;
    void* lib = SDL_LoadObject("libX11.so.6");  // kept for the run
    if (!lib) return false;
    x.sync = (SyncFn)SDL_LoadFunction(lib, "XSync");
    x.get_geometry = (GetGeometryFn)SDL_LoadFunction(lib, "XGetGeometry");
    x.intern_atom = (InternAtomFn)SDL_LoadFunction(lib, "XInternAtom");
    x.get_window_property = (GetWindowPropertyFn)SDL_LoadFunction(lib, "XGetWindowProperty");
    x.free = (FreeFn)SDL_LoadFunction(lib, "XFree");
    x.default_root_window = (DefaultRootWindowFn)SDL_LoadFunction(lib, "XDefaultRootWindow");
    x.send_event = (SendEventFn)SDL_LoadFunction(lib, "XSendEvent");
    x.move_window = (MoveWindowFn)SDL_LoadFunction(lib, "XMoveWindow");
    x.flush = (FlushFn)SDL_LoadFunction(lib, "XFlush");
    x.ready = x.sync && x.get_geometry && x.intern_atom && x.get_window_property && x.free &&
              x.default_root_window && x.send_event && x.move_window && x.flush;
    return x.ready;
}

bool x11_handles(SDL_Window* window, Display** display, Window* xwindow) {
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    if (!info.info.x11.display || !load()) return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

// A 32-bit property of a window: its items (freed by the caller with
// x.free), or null.
unsigned long* window_property(Display* display, Window w, const char* name, Atom type, unsigned long* count) {
    *count = 0;
    Atom atom = x.intern_atom(display, name, True);
    if (atom == None) return nullptr;  // no client ever named it: nobody set it
    Atom got_type = None;
    int format = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    int r = x.get_window_property(display, w, atom, 0, 4096, False, type, &got_type, &format, count, &after, &data);
    if (r != Success || got_type != type || format != 32 || !data || *count == 0) {
        if (data) x.free(data);
        *count = 0;
        return nullptr;
    }
    return (unsigned long*)data;  // format 32 items are longs in Xlib
}

unsigned long* root_property(Display* display, const char* name, Atom type, unsigned long* count) {
    return window_property(display, x.default_root_window(display), name, type, count);
}

bool window_manager_runs(Display* display) {
    unsigned long n = 0;
    unsigned long* check = root_property(display, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &n);
    if (check) x.free(check);
    return check != nullptr;
}

// The frame extents the window manager has published for the window.
bool read_frame_extents(Display* display, Window w, int extents[4]) {
    unsigned long n = 0;
    unsigned long* e = window_property(display, w, "_NET_FRAME_EXTENTS", XA_CARDINAL, &n);
    if (!e) return false;
    bool ok = n >= 4;
    for (int i = 0; ok && i < 4; ++i) extents[i] = (int)e[i];
    x.free(e);
    return ok;
}

}  // namespace

bool sdl_x11_window_size(SDL_Window* window, int* width, int* height) {
    Display* display;
    Window xwindow;
    if (!x11_handles(window, &display, &xwindow)) return false;
    Window root;
    int left, top;
    unsigned w = 0, h = 0, border, depth;
    // A round trip: what the server holds now, not what SDL last asked for.
    if (!x.get_geometry(display, xwindow, &root, &left, &top, &w, &h, &border, &depth)) return false;
    *width = (int)w;
    *height = (int)h;
    return true;
}

int sdl_x11_fullscreen_support(SDL_Window* window) {
    Display* display;
    Window xwindow;
    if (!x11_handles(window, &display, &xwindow)) return -1;
    x.sync(display, False);
    unsigned long n = 0;
    if (!window_manager_runs(display)) return 0;  // no window manager, or one that cannot be asked
    Atom wanted = x.intern_atom(display, "_NET_WM_STATE_FULLSCREEN", True);
    unsigned long* supported = root_property(display, "_NET_SUPPORTED", XA_ATOM, &n);
    int found = 0;
    for (unsigned long i = 0; supported && i < n; ++i)
        if (wanted != None && (Atom)supported[i] == wanted) found = 1;
    if (supported) x.free(supported);
    return found;
}

bool sdl_x11_work_area(SDL_Window* window, SDL_Rect* area) {
    Display* display;
    Window xwindow;
    if (!x11_handles(window, &display, &xwindow)) return false;
    unsigned long n = 0, desktops = 0;
    unsigned long* current = root_property(display, "_NET_CURRENT_DESKTOP", XA_CARDINAL, &desktops);
    unsigned long desktop = current ? current[0] : 0;
    if (current) x.free(current);
    unsigned long* work = root_property(display, "_NET_WORKAREA", XA_CARDINAL, &n);
    if (!work) return false;
    // One x, y, width, height per desktop.
    if (n < 4 * (desktop + 1)) desktop = 0;
    bool ok = n >= 4 && work[4 * desktop + 2] > 0 && work[4 * desktop + 3] > 0;
    if (ok)
        *area = {(int)work[4 * desktop], (int)work[4 * desktop + 1], (int)work[4 * desktop + 2],
                 (int)work[4 * desktop + 3]};
    x.free(work);
    return ok;
}

int sdl_x11_frame_extents(SDL_Window* window, bool ask, int extents[4]) {
    Display* display;
    Window xwindow;
    if (!x11_handles(window, &display, &xwindow)) return -1;
    x.sync(display, False);
    if (!window_manager_runs(display)) {
        extents[0] = extents[1] = extents[2] = extents[3] = 0;
        return 1;
    }
    if (read_frame_extents(display, xwindow, extents)) return 1;
    if (!ask) return 0;
    Atom request = x.intern_atom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwindow;
    e.xclient.message_type = request;
    e.xclient.format = 32;
    x.send_event(display, x.default_root_window(display), False, SubstructureNotifyMask | SubstructureRedirectMask,
                 &e);
    // The answer is a property the manager sets; one that does not know the
    // request never sets it, so the wait is short.
    for (int i = 0; i < 50; ++i) {
        x.sync(display, False);
        if (read_frame_extents(display, xwindow, extents)) return 1;
        SDL_Delay(4);
    }
    return 0;
}

bool sdl_x11_move_frame(SDL_Window* window, int left, int top) {
    Display* display;
    Window xwindow;
    if (!x11_handles(window, &display, &xwindow)) return false;
    // The window's own gravity (north-west) puts the frame's corner there.
    x.move_window(display, xwindow, left, top);
    x.flush(display);
    return true;
}
