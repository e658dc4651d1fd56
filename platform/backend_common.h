#pragma once
// What the backends (platform/headless, platform/posix, platform/sdl,
// platform/win32) share behind the seam of platform.h: the portable rules
// each of them applies the same way, so that keys, log lines, pads and window
// placement come out identical on every system. The game's layers do not
// include this; tests of the backends do.
#include <cstdarg>
#include <cstdint>

#include "platform/platform.h"

// ---- Input (platform_common.cpp, key_table.cpp) -------------------------------
// Resets the per-frame parts of the snapshot: what was down becomes what was
// down before, and presses, wheel, mouse motion and typed text start empty.
void plat_input_begin_frame(InputState& in);
// Key index from a scan code and the extended flag, with right Shift folded.
int plat_key_index(int scan_code, bool extended);
// Keyboard usage id (USB HID; SDL scancodes are these) to a key index, -1
// for keys the game does not know; and back (first usage giving the index).
int plat_usage_to_key_index(int usage);
int plat_key_index_to_usage(int key_index);
// French display name of a key that prints no character (Espace, Maj gauche,
// Entrée, the arrows, the keypad, F1-F12...), null for the others, which the
// keyboard layout names.
const char* plat_key_french_name(int key_index);
// Key went down (auto-repeat does not set key_pressed again).
void plat_input_key_down(InputState& in, int key_index);
void plat_input_key_up(InputState& in, int key_index);
// True when F11 went down during this pump (pressed, or down now and not at
// the start of the pump).
bool plat_f11_went_down(const InputState& in, bool f11_down_at_start);
// Appends a UTF-32 key name as UTF-8 while fewer than capacity - 4 bytes are
// written, then applies the "touche %d" fallback and the upper-casing of a
// single lowercase ASCII letter.
void plat_key_name_from_utf32(const uint32_t* name, int name_length, int key_index, char* out,
                              int capacity);

// ---- The run log and file names (platform_common.cpp) -------------------------
// Formats one log line into out (capacity >= 2043): at most 2040 bytes of
// text, then CR LF, NUL-terminated. Returns the byte count without the NUL.
int plat_format_log_line(char* out, const char* fmt, va_list args);
// The run log holds at most PLAT_LOG_LIMIT bytes (a hostile peer must not
// fill the disk): given a formatted line and the bytes the log holds so far,
// returns how many bytes of `line` to write. The line that would pass the
// limit is replaced by one closing line saying so; after it, nothing more
// (0). *log_bytes counts what was admitted, and becomes -1 once closed.
constexpr long PLAT_LOG_LIMIT = 1L << 20;
int plat_log_keep(char* line, int length, long* log_bytes);
// Joins a program path and a file name: the path is cut after its last
// separator ('\\' or '/'); with none, the name replaces the path.
void plat_path_beside_program(const char* program_path, const char* name, char* out, int capacity);

// ---- Threads (platform_threads.cpp) -------------------------------------------
// Tests: while on, every plat_thread_start fails as a refused one does.
void plat_threads_refuse(bool refuse);
bool plat_threads_refused();
// Processors a CPU quota allows: quota / period rounded up, at least 1; 0 for
// no limit (a quota or period of 0 or below).
int plat_quota_processors(long long quota, long long period);
// The same from the text of a cgroup v2 "cpu.max" file ("max 100000",
// "150000 100000"); 0 for no limit or a text that is not one.
int plat_cpu_max_processors(const char* text);

// ---- Pads (platform_pad.cpp) --------------------------------------------------
// Trigger buttons with a little hysteresis, so a trigger resting near
// half-way does not chatter: down above 0.55, up again below 0.45.
void pad_update_trigger_buttons(PadState& pad);
// Any button went down or a stick left its rest this frame.
bool pad_active(const PadState& pad);
// End of a pump: which device the player used last (keys or mouse touched
// during this pump, or the pad moved).
void pad_note_last_used(InputState& in, bool keyboard_or_mouse);
// The fields of XINPUT_GAMEPAD, as XInputGetState fills them.
struct XInputGamepadRecord {
    uint16_t buttons;
    uint8_t left_trigger, right_trigger;
    int16_t thumb_lx, thumb_ly, thumb_rx, thumb_ry;
};
// One XInput reading into the pad (prev kept for the trigger hysteresis).
void pad_from_xinput(const XInputGamepadRecord& x, PadState& pad);

// ---- Window placement (platform_common.cpp) -----------------------------------
struct WindowPlacement {
    int left, top, right, bottom;  // outer rectangle, windowed mode
    bool fits;                     // false: start fullscreen
};
// Outer size for a client size given the frame sizes, the three-quarter
// fallback when it does not fit, and centring on the screen.
WindowPlacement plat_place_window(int client_width, int client_height, int frame_width,
                                  int frame_height, int screen_width, int screen_height);
