#pragma once
// What the SDL backend asks the X server itself: SDL keeps the size it asked
// for (a fullscreen request's monitor size too) even when no window manager
// carried the request out, so the picture would be drawn for a window that
// is not there.
#include <SDL.h>

// The window's real client size from the X server. False when the window is
// not an X11 one (Wayland...) or the server cannot be asked; SDL's own size
// is right there.
bool sdl_x11_window_size(SDL_Window* window, int* width, int* height);

// Whether a window manager runs that can put a window in fullscreen (it
// advertises _NET_WM_STATE_FULLSCREEN): 1 yes, 0 no (none runs, or it cannot),
// -1 not an X11 window.
int sdl_x11_fullscreen_support(SDL_Window* window);

// The desktop's usable area (_NET_WORKAREA of the current desktop: the
// screen less the panels), in root coordinates. False without one.
bool sdl_x11_work_area(SDL_Window* window, SDL_Rect* area);

// The frame the window manager puts round the window: left, right, top,
// bottom. 1 known (all 0 when no window manager runs), 0 not known yet (with
// `ask`, after asking the manager and waiting a moment), -1 not X11.
int sdl_x11_frame_extents(SDL_Window* window, bool ask, int extents[4]);

// Moves the window so that the outer corner of its frame stands at (left,
// top); false when it is not an X11 window.
bool sdl_x11_move_frame(SDL_Window* window, int left, int top);
