#pragma once
// Extras of the SDL backend for its entry point and for scripted tests.

// Destroys the context and the window and shuts SDL down.
void sdl_close_window();
// Scripted play: each plat_pump advances plat_time by this many seconds
// instead of reading the real clock, and the window's focus (which another
// window of the display can take at any moment) no longer releases held keys
// and buttons or the cursor: only the pushed events move the game.
// 0 = real clock and focus.
void sdl_set_fixed_step(double seconds);
// Scripted play: the next plat_open_window opens a window of this client
// size whatever the game asks for (0, 0: as asked); small frames keep a
// software renderer quick.
void sdl_set_window_size(int width, int height);
// Scripted play: the next plat_swap first writes the frame it presents to
// this PNG file (beside nothing: the path as given). Null cancels.
void sdl_picture_next_swap(const char* path);
// How many times the window was asked to switch between fullscreen and
// windowed (F11, the options): on a display where fullscreen never takes,
// the only trace of a request.
int sdl_fullscreen_requests();
// A fullscreen request the window manager has neither carried out nor refused yet.
bool sdl_fullscreen_pending();
