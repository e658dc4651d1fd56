// Rules of the platform layer that do not depend on the window system; both
// backends call these so that input, log lines and paths behave the same.
#include <cstdio>
#include <cstring>

#include "platform/backend_common.h"

InputState plat_input;

void plat_request_quit() { plat_input.quit_requested = 1; }

void plat_input_begin_frame(InputState& in) {
    memcpy(in.key_down_prev, in.key_down, sizeof in.key_down);
    memcpy(in.button_down_prev, in.button_down, sizeof in.button_down);
    in.wheel = 0.0f;
    in.mouse_delta[0] = in.mouse_delta[1] = 0.0f;
    memset(in.key_pressed, 0, sizeof in.key_pressed);
    memset(in.button_pressed, 0, sizeof in.button_pressed);
    in.text_input_length = 0;
    in.text_input[0] = 0;
    in.pad.buttons_prev = in.pad.buttons;
}

int plat_key_index(int scan_code, bool extended) {
    int index = (scan_code & 0x7F) | (extended ? KEY_EXTENDED : 0);
    // Both Shift keys are one key for the bindings.
    if (index == KEY_RSHIFT) index = KEY_LSHIFT;
    return index;
}

void plat_input_key_down(InputState& in, int key_index) {
    if (key_index < 0 || key_index > 255) return;
    if (!in.key_down[key_index]) in.key_pressed[key_index] = 1;
    in.key_down[key_index] = 1;
}

void plat_input_key_up(InputState& in, int key_index) {
    if (key_index < 0 || key_index > 255) return;
    in.key_down[key_index] = 0;
}

void plat_input_text(InputState& in, uint32_t cp) {
    if (cp < 32 || cp == 127) return;                  // Enter, Backspace, Tab, Delete...
    if (cp >= 0xD800 && cp <= 0xDFFF) return;          // surrogate halves
    if (cp > 0xFFFF) return;                           // one UTF-16 unit at most
    char enc[3];
    int n;
    if (cp < 0x80) {
        enc[0] = (char)cp;
        n = 1;
    } else if (cp < 0x800) {
        enc[0] = (char)(0xC0 | (cp >> 6));
        enc[1] = (char)(0x80 | (cp & 0x3F));
        n = 2;
    } else {
        enc[0] = (char)(0xE0 | (cp >> 12));
        enc[1] = (char)(0x80 | ((cp >> 6) & 0x3F));
        enc[2] = (char)(0x80 | (cp & 0x3F));
        n = 3;
    }
    int len = in.text_input_length;
    if (len < 0) len = 0;
    if (len + n > 63) return;  // drop the whole character, never a part of it
    memcpy(in.text_input + len, enc, (size_t)n);
    in.text_input_length = len + n;
    in.text_input[len + n] = 0;
}

bool plat_f11_went_down(const InputState& in, bool f11_down_at_start) {
    return in.key_pressed[KEY_F11] || (in.key_down[KEY_F11] && !f11_down_at_start);
}

int plat_format_log_line(char* out, const char* fmt, va_list args) {
    const int max_text = 2040;
    int n = vsnprintf(out, (size_t)max_text + 1, fmt, args);
    if (n < 0) n = 0;
    if (n > max_text) n = max_text;  // cut also when the formatter reports truncation
    out[n] = '\r';
    out[n + 1] = '\n';
    out[n + 2] = 0;
    return n + 2;
}

int plat_log_keep(char* line, int length, long* log_bytes) {
    static const char closing[] = "Journal plein (1 Mio) : la suite de cette partie n'est pas écrite.\r\n";
    const long closing_length = (long)sizeof closing - 1;
    if (*log_bytes < 0 || length <= 0) return 0;  // closed already
    if (*log_bytes + length + closing_length <= PLAT_LOG_LIMIT) {
        *log_bytes += length;
        return length;
    }
    memcpy(line, closing, sizeof closing);  // a line buffer holds 2043 bytes
    *log_bytes = -1;
    return (int)closing_length;
}

void plat_path_beside_program(const char* program_path, const char* name, char* out, int capacity) {
    if (capacity <= 0) return;
    out[0] = 0;
    const char* cut = nullptr;
    for (const char* p = program_path; *p; ++p)
        if (*p == '\\' || *p == '/') cut = p + 1;
    size_t dir_len = cut ? (size_t)(cut - program_path) : 0;
    size_t name_len = strlen(name);
    if (dir_len + name_len + 1 > (size_t)capacity) {
        // Too long: an empty path makes the caller's open fail cleanly.
        return;
    }
    memcpy(out, program_path, dir_len);
    memcpy(out + dir_len, name, name_len + 1);
}

void plat_key_name_from_utf32(const uint32_t* name, int name_length, int key_index, char* out,
                              int capacity) {
    if (!out || capacity <= 0) return;
    int w = 0;
    if (capacity >= 5) {
        for (int i = 0; i < name_length && w < capacity - 4; ++i) {
            uint32_t c = name[i];
            if (c == 0) break;
            // A lone UTF-16 half or a value past Unicode is not text.
            if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
            if (c < 0x80) {
                out[w++] = (char)c;
            } else if (c < 0x800) {
                out[w++] = (char)(0xC0 | (c >> 6));
                out[w++] = (char)(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out[w++] = (char)(0xE0 | (c >> 12));
                out[w++] = (char)(0x80 | ((c >> 6) & 0x3F));
                out[w++] = (char)(0x80 | (c & 0x3F));
            } else {
                // Four bytes still fit: fewer than capacity - 4 were written.
                out[w++] = (char)(0xF0 | (c >> 18));
                out[w++] = (char)(0x80 | ((c >> 12) & 0x3F));
                out[w++] = (char)(0x80 | ((c >> 6) & 0x3F));
                out[w++] = (char)(0x80 | (c & 0x3F));
            }
        }
    }
    out[w] = 0;
    if (w == 0) {
        snprintf(out, (size_t)capacity, "touche %d", key_index);
        return;
    }
    if (w == 1 && out[0] >= 'a' && out[0] <= 'z') out[0] = (char)(out[0] - 'a' + 'A');
}

WindowPlacement plat_place_window(int client_width, int client_height, int frame_width,
                                  int frame_height, int screen_width, int screen_height) {
    WindowPlacement p;
    int w = client_width + frame_width;
    int h = client_height + frame_height;
    p.fits = true;
    if (w > screen_width || h > screen_height) {
        w = screen_width * 3 / 4;
        h = screen_height * 3 / 4;
        p.fits = false;
    }
    p.left = (screen_width - w) / 2;
    p.top = (screen_height - h) / 2;
    p.right = p.left + w;
    p.bottom = p.top + h;
    return p;
}
