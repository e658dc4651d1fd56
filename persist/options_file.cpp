// The options file's keys and their rules.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "persist/keyvalue.h"
#include "persist/options.h"
#include "platform/platform.h"
#include "play/bindings.h"

Options options = {0.8f, 0.9f, 1.0f, 0, 0, 2, 2, 0};
const int resolution_sizes[RESOLUTION_COUNT][2] = {{1280, 720}, {1600, 900}, {1920, 1080}, {2560, 1440}};

void options_defaults() {
    options = {0.8f, 0.9f, 1.0f, 0, 0, 2, 2, 0};
    pad_tuning = {0.2f, 1.0f, 0, 1};
    bindings_reset();
    pad_bindings_reset();
}

// "t_sauter" gives "m_sauter": the pad's key of the same action.
static const char* pad_option_key(int action) {
    static char keys[BINDING_COUNT][32];
    char* k = keys[action];
    if (!k[0]) {
        const char* t = binding_table[action].option_key;
        snprintf(k, sizeof keys[action], "m_%s", t[0] == 't' && t[1] == '_' ? t + 2 : t);
    }
    return k;
}

bool options_key_bindable(int key) { return key >= 1 && key <= 255 && key != KEY_ESCAPE && key != KEY_F11; }

static float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
static int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

void options_parse(const char* text) {
    if (!text) return;
    bool found = false;
    int v = kv_int(text, "volume_musique", 0, &found);
    if (found) options.music_volume = clampf((float)v / 1000.0f, 0.0f, 1.0f);
    v = kv_int(text, "volume_effets", 0, &found);
    if (found) options.effects_volume = clampf((float)v / 1000.0f, 0.0f, 1.0f);
    v = kv_int(text, "sensibilite", 0, &found);
    if (found) options.sensitivity = clampf((float)v / 1000.0f, 0.25f, 2.5f);
    v = kv_int(text, "inverser_y", 0, &found);
    if (found) options.invert_y = v != 0 ? 1 : 0;
    v = kv_int(text, "plein_ecran", 0, &found);
    if (found) options.fullscreen = v != 0 ? 1 : 0;
    v = kv_int(text, "resolution", 0, &found);
    if (found) options.resolution = clampi(v, 0, RESOLUTION_COUNT - 1);
    v = kv_int(text, "qualite", 0, &found);
    if (found) options.quality = clampi(v, 0, 2);
    v = kv_int(text, "mesures_gpu", 0, &found);
    if (found) options.gpu_timing = v != 0 ? 1 : 0;
    for (int i = 0; i < BINDING_COUNT; ++i) {
        v = kv_int(text, binding_table[i].option_key, 0, &found);
        if (!found) continue;
        // Escape opens the pause menu and F11 switches the window: neither
        // can be taken by an action, from the file as on the screen.
        bindings[i] = options_key_bindable(v) ? v : binding_table[i].default_key;
    }
    v = kv_int(text, "manette_sensibilite", 0, &found);
    if (found) pad_tuning.sensitivity = clampf((float)v / 1000.0f, 0.25f, 2.5f);
    v = kv_int(text, "manette_inverser_y", 0, &found);
    if (found) pad_tuning.invert_y = v != 0 ? 1 : 0;
    v = kv_int(text, "manette_zone_morte", 0, &found);
    if (found) pad_tuning.dead_zone = clampf((float)v / 1000.0f, 0.05f, 0.5f);
    v = kv_int(text, "manette_vibration", 0, &found);
    if (found) pad_tuning.vibration = v != 0 ? 1 : 0;
    for (int i = 0; i < BINDING_COUNT; ++i) {
        if (!pad_action_bindable(i)) continue;
        v = kv_int(text, pad_option_key(i), 0, &found);
        if (!found) continue;
        // Back, Start and the triggers are the map, the pause and the bar pages.
        pad_bindings[i] = pad_button_bindable(v) ? v : pad_binding_defaults[i];
    }
}

int options_build_text(char* out, int capacity) {
    KvWriter w;
    kv_begin(w, out, capacity);
    kv_printf(w, "# Tervanne - options\r\n");
    kv_line(w, "volume_musique", (int)std::lround(options.music_volume * 1000.0f));
    kv_line(w, "volume_effets", (int)std::lround(options.effects_volume * 1000.0f));
    kv_line(w, "sensibilite", (int)std::lround(options.sensitivity * 1000.0f));
    kv_line(w, "inverser_y", options.invert_y ? 1 : 0);
    kv_line(w, "plein_ecran", options.fullscreen ? 1 : 0);
    kv_line(w, "resolution", options.resolution);
    kv_line(w, "qualite", options.quality);
    // A measuring aid, off for players: the line is kept only while it is on.
    if (options.gpu_timing) kv_line(w, "mesures_gpu", 1);
    for (int i = 0; i < BINDING_COUNT; ++i) kv_line(w, binding_table[i].option_key, bindings[i]);
    kv_line(w, "manette_sensibilite", (int)std::lround(pad_tuning.sensitivity * 1000.0f));
    kv_line(w, "manette_inverser_y", pad_tuning.invert_y ? 1 : 0);
    kv_line(w, "manette_zone_morte", (int)std::lround(pad_tuning.dead_zone * 1000.0f));
    kv_line(w, "manette_vibration", pad_tuning.vibration ? 1 : 0);
    for (int i = 0; i < BINDING_COUNT; ++i)
        if (pad_action_bindable(i)) kv_line(w, pad_option_key(i), pad_bindings[i]);
    return w.overflow ? -1 : w.used;
}
