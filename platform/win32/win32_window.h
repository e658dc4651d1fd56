#pragma once
// What the Windows backend shares between its own files and its tests.
#include <windows.h>

// The game window, or null before plat_open_window.
HWND win32_window();
// The window procedure of "QuarnFenetre".
LRESULT CALLBACK win32_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Key index of a keyboard message's second parameter (scan code bits 16-22,
// extended flag bit 24), right Shift folded onto left.
int win32_key_index(LPARAM lp);
// UTF-16 text to UTF-8 and back; false when it does not fit.
bool win32_to_utf8(const wchar_t* text, char* out, int capacity);
bool win32_from_utf8(const char* text, wchar_t* out, int capacity);
// Full path of a file beside the program file; false when the program path
// or the result does not fit (the caller then fails as for a missing file).
bool win32_path_beside_program(const char* name, wchar_t* out, int capacity);

// Polls the pad into plat_input.pad (pad_xinput.cpp); once per pump.
void win32_pad_poll();
