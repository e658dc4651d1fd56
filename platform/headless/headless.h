#pragma once
// Test-only backend: no window, a GL context from EGL (Mesa, surfaceless),
// an offscreen framebuffer standing for the window, a fixed time step, and
// input replayed from a recorded sequence of snapshots.
#include <cstdint>

#include "platform/platform.h"

// Size of the offscreen window for the next plat_open_window, whatever the
// game asks for (0, 0: as asked). Smaller frames keep scripted play quick on
// a software renderer.
void headless_set_window_size(int width, int height);
// Fixed step returned by plat_time between two plat_pump calls (default 1/60 s).
void headless_set_time_step(double seconds);
// Snapshots replayed one per plat_pump; past the end the input stays idle.
// The array must outlive the replay.
void headless_set_input_script(const InputState* frames, int count);
int headless_frame_index();
// Focus of the headless window from the next plat_pump on (a focus event).
void headless_set_window_active(bool active);
// The window framebuffer's pixels, RGBA, top row first; false without a context.
bool headless_read_pixels(uint8_t* rgba, int width, int height);
// Writes the window framebuffer as a PNG file; false on failure.
bool headless_screenshot(const char* path);
// Makes gl_proc report one entry point as missing (null: none), to test the
// path of a driver without OpenGL 3.3.
void headless_hide_gl_function(const char* name);
// Whether plat_open_window got a GL context.
bool headless_has_context();
// The motors asked for by the last plat_pad_rumble since the previous call
// (0, 0: none); reading clears them.
void headless_last_rumble(float* low, float* high);
