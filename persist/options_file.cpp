// The options file's keys and their rules.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "persist/keyvalue.h"
#include "persist/options.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/comfort.h"
#include "render/hud.h"
#include "render/renderer.h"

Options options = {0.8f, 0.9f, 1.0f, 0, 0, 2, 2, 0, 0};
const int resolution_sizes[RESOLUTION_COUNT][2] = {{1280, 720}, {1600, 900}, {1920, 1080}, {2560, 1440}};

void options_defaults() {
    options = {0.8f, 0.9f, 1.0f, 0, 0, 2, 2, 0, 0};
    pad_tuning = {0.2f, 1.0f, 0, 1};
    view_settings = {VISION_NORMAL, 1};
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
    comfort_defaults();
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
    v = kv_int(text, "vision_couleurs", 0, &found);
    if (found) view_settings.colour_vision = clampi(v, VISION_NORMAL, VISION_MODE_COUNT - 1);
    v = kv_int(text, "effets_ecran", 0, &found);
    if (found) view_settings.screen_flashes = v != 0 ? 1 : 0;
    v = kv_int(text, "champ_vision", 0, &found);
    if (found) comfort.field_of_view = (float)clampi(v, (int)FIELD_OF_VIEW_MIN, (int)FIELD_OF_VIEW_MAX);
    v = kv_int(text, "bascule_marche", 0, &found);
    if (found) comfort.walk_toggle = v != 0 ? 1 : 0;
    v = kv_int(text, "bascule_bouclier", 0, &found);
    if (found) comfort.guard_toggle = v != 0 ? 1 : 0;
    v = kv_int(text, "bascule_regard", 0, &found);
    if (found) comfort.look_toggle = v != 0 ? 1 : 0;
    v = kv_int(text, "sous_titres", 0, &found);
    if (found) options.sound_captions = v != 0 ? 1 : 0;
    v = kv_int(text, "taille_texte", 0, &found);
    if (found) hud_text_size = clampi(v, HUD_TEXT_SIZE_MIN, HUD_TEXT_SIZE_MAX);
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
    // The accessibility lines appear once changed, so the files of players
    // who never touched them stay as they were.
    if (view_settings.colour_vision != VISION_NORMAL) kv_line(w, "vision_couleurs", view_settings.colour_vision);
    if (!view_settings.screen_flashes) kv_line(w, "effets_ecran", 0);
    if ((int)comfort.field_of_view != (int)FIELD_OF_VIEW_DEFAULT)
        kv_line(w, "champ_vision", (int)std::lround(comfort.field_of_view));
    if (comfort.walk_toggle) kv_line(w, "bascule_marche", 1);
    if (comfort.guard_toggle) kv_line(w, "bascule_bouclier", 1);
    if (comfort.look_toggle) kv_line(w, "bascule_regard", 1);
    if (options.sound_captions) kv_line(w, "sous_titres", 1);
    if (hud_text_size != HUD_TEXT_SIZE_DEFAULT)
        kv_line(w, "taille_texte", clampi(hud_text_size, HUD_TEXT_SIZE_MIN, HUD_TEXT_SIZE_MAX));
    return w.overflow ? -1 : w.used;
}
