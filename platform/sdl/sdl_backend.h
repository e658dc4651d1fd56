#pragma once
// Extras of the SDL backend for its entry point and for scripted tests.

// Destroys the context and the window and shuts SDL down.
void sdl_close_window();
// Scripted play: each plat_pump advances plat_time by this many seconds
// instead of reading the real clock (0 = real clock).
void sdl_set_fixed_step(double seconds);
// Scripted play: the next plat_open_window opens a window of this client
// size whatever the game asks for (0, 0: as asked); small frames keep a
// software renderer quick.
void sdl_set_window_size(int width, int height);
