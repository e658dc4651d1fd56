#include "platform/input_script.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend_common.h"

void input_script_apply(InputState& live, const InputState& rec) {
    for (int k = 0; k < 256; ++k) {
        if (rec.key_down[k]) plat_input_key_down(live, k);
        else if (live.key_down[k]) plat_input_key_up(live, k);
    }
    for (int b = 0; b < 3; ++b) {
        if (rec.button_down[b] && !live.button_down[b]) live.button_pressed[b] = 1;
        live.button_down[b] = rec.button_down[b];
    }
    if (live.cursor_captured) {
        live.mouse_delta[0] += rec.mouse_delta[0];
        live.mouse_delta[1] += rec.mouse_delta[1];
    }
    live.wheel += rec.wheel;
    live.mouse_x = rec.mouse_x;
    live.mouse_y = rec.mouse_y;
    if (rec.quit_requested) live.quit_requested = 1;
    // The pad is polled, not evented: the recorded reading is the reading.
    uint32_t prev = live.pad.buttons_prev;
    live.pad = rec.pad;
    live.pad.buttons_prev = prev;
    if (live.pad.connected) pad_update_trigger_buttons(live.pad);
    // Typed text goes through the same code-point rule as a keyboard.
    const unsigned char* s = (const unsigned char*)rec.text_input;
    while (*s) {
        uint32_t cp = *s;
        int n = *s >= 0xF0 ? 4 : *s >= 0xE0 ? 3 : *s >= 0xC0 ? 2 : 1;
        if (n > 1) cp &= n == 4 ? 0x07 : n == 3 ? 0x0F : 0x1F;
        int i = 1;
        for (; i < n && (s[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (s[i] & 0x3F);
        // A cut or stray sequence in a hand-edited script is no character.
        if (i == n && (*s & 0xC0) != 0x80) plat_input_text(live, cp);
        s += i;
    }
}

int input_script_write(const InputState* frames, int count, char* out, int capacity) {
    int w = 0;
    auto put = [&](const char* fmt, auto... args) {
        if (w < 0) return;
        int n = snprintf(out + w, (size_t)(capacity - w), fmt, args...);
        if (n < 0 || n >= capacity - w) w = -1;
        else w += n;
    };
    for (int f = 0; f < count && w >= 0; ++f) {
        const InputState& s = frames[f];
        put("%s", "k");
        for (int k = 0; k < 256; ++k)
            if (s.key_down[k]) put(" %d", k);
        put(" | b %d%d%d | m %g %g | w %g | c %d %d | q %d | ", s.button_down[0], s.button_down[1],
            s.button_down[2], (double)s.mouse_delta[0], (double)s.mouse_delta[1], (double)s.wheel,
            s.mouse_x, s.mouse_y, s.quit_requested);
        // Only frames with a pad carry its field, so older scripts read the same.
        if (s.pad.connected)
            put("p %x %g %g %g %g %g %g | ", s.pad.buttons & ((1u << PAD_LT) - 1), (double)s.pad.axes[0],
                (double)s.pad.axes[1], (double)s.pad.axes[2], (double)s.pad.axes[3], (double)s.pad.axes[4],
                (double)s.pad.axes[5]);
        put("%s", "t ");
        for (const unsigned char* t = (const unsigned char*)s.text_input; *t; ++t) put("%02x", *t);
        put("%s", "\n");
    }
    return w;
}

int input_script_read(const char* text, InputState* frames, int capacity) {
    int count = 0;
    const char* p = text;
    while (*p && count < capacity) {
        const char* end = strchr(p, '\n');
        if (!end) end = p + strlen(p);
        InputState s;
        memset(&s, 0, sizeof s);
        if (*p != 'k') return -1;
        const char* q = p + 1;
        char* next;
        for (;;) {
            while (*q == ' ') ++q;
            if (*q == '|') break;
            long k = strtol(q, &next, 10);
            if (next == q || k < 0 || k > 255 || next > end) return -1;
            s.key_down[k] = 1;
            q = next;
        }
        int b0, b1, b2, qflag, consumed = 0;
        float mx, my, wh;
        int cx, cy;
        if (sscanf(q, "| b %1d%1d%1d | m %f %f | w %f | c %d %d | q %d | %n", &b0, &b1, &b2, &mx, &my,
                   &wh, &cx, &cy, &qflag, &consumed) != 9 || consumed == 0)
            return -1;
        q += consumed;
        if (*q == 'p') {
            unsigned pb = 0;
            float a[PAD_AXIS_COUNT];
            consumed = 0;
            if (sscanf(q, "p %x %f %f %f %f %f %f | %n", &pb, &a[0], &a[1], &a[2], &a[3], &a[4], &a[5],
                       &consumed) != 7 || consumed == 0)
                return -1;
            s.pad.connected = 1;
            s.pad.buttons = pb & ((1u << PAD_LT) - 1);
            for (int i = 0; i < PAD_AXIS_COUNT; ++i) {
                float lo = i >= PAD_LTRIGGER ? 0.0f : -1.0f;
                // A hand-edited script cannot push a stick past its gate.
                s.pad.axes[i] = !(a[i] >= lo) ? lo : a[i] > 1.0f ? 1.0f : a[i];
            }
            q += consumed;
        }
        consumed = 0;
        if (q[0] != 't' || sscanf(q, "t %n", &consumed) < 0 || consumed == 0) return -1;
        s.button_down[0] = (uint8_t)(b0 != 0);
        s.button_down[1] = (uint8_t)(b1 != 0);
        s.button_down[2] = (uint8_t)(b2 != 0);
        s.mouse_delta[0] = mx;
        s.mouse_delta[1] = my;
        s.wheel = wh;
        s.mouse_x = cx;
        s.mouse_y = cy;
        s.quit_requested = (uint8_t)(qflag != 0);
        q += consumed;
        int t = 0;
        while (q + 1 < end && t < 63) {
            unsigned v;
            if (sscanf(q, "%2x", &v) != 1) return -1;
            s.text_input[t++] = (char)v;
            q += 2;
        }
        s.text_input[t] = 0;
        s.text_input_length = t;
        frames[count++] = s;
        p = *end ? end + 1 : end;
    }
    return count;
}
