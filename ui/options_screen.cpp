// The options screen, opened from the pause menu: sound, mouse, window and
// quality, and the 26 key bindings with key capture.
#include "ui/options_screen.h"
#include "ui/pause_dialog.h"

#include <cmath>
#include <cstdio>

#include "persist/options.h"
#include "common/game_time.h"
#include "play/bindings.h"
#include "play/comfort.h"
#include "render/renderer.h"
#include "ui/screen_widgets.h"
#include "render/ui_focus.h"
#include "sound/sound.h"

namespace {

enum Drag : int { DRAG_NONE, DRAG_MUSIC, DRAG_EFFECTS, DRAG_SENSITIVITY, DRAG_PAD_SENSITIVITY, DRAG_DEAD_ZONE,
                  DRAG_FIELD_OF_VIEW };
int drag = DRAG_NONE;
float effects_at_drag = 0.0f;
int waiting_action = -1;  // the action whose new key is awaited
bool pad_page = false;    // the right column shows the pad's buttons
bool access_page = false; // the right column shows the accessibility settings
int waiting_pad = -1;     // the action whose new pad button is awaited
int scroll_rows = 0;

const char* const quality_names[3] = {"basse", "moyenne", "haute"};
const char* const vision_names[VISION_MODE_COUNT] = {"normale", "protanopie", "deutéranopie", "tritanopie"};

// The window's size at scale 1: 1400 wide with a margin, and the height its
// left column needs. With a large text it gives way to fit (HudFitScope).
constexpr float OPTIONS_DESIGN_W = 1440.0f, OPTIONS_DESIGN_H = 980.0f;
constexpr int TEXT_SIZE_STEP = 10;

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// A slider from 0 to 1; returns the position, changed while dragged.
float slider(UiRect track, float position, int which) {
    const float s = hud_scale;
    ui_rect(track.x, track.y + track.h * 0.4f, track.w, track.h * 0.2f, Vec4{0.25f, 0.25f, 0.2f, 0.9f});
    ui_rect(track.x, track.y + track.h * 0.4f, track.w * position, track.h * 0.2f, HUD_GOLD);
    ui_rect(track.x + track.w * position - 6 * s, track.y, 12 * s, track.h, HUD_PARCHMENT);
    bool clicked = widget_clicked(track);
    // With the pad the bumpers move a slider; its A would throw it to the middle.
    if (ui_focus_pad_hints()) {
        if (widget_hover(track) && pad_pressed(plat_input.pad, PAD_LB)) position = clamp01(position - 0.05f);
        if (widget_hover(track) && pad_pressed(plat_input.pad, PAD_RB)) position = clamp01(position + 0.05f);
        clicked = false;
    }
    if (waiting_action < 0 && clicked) {
        drag = which;
        if (which == DRAG_EFFECTS) effects_at_drag = options.effects_volume;
    }
    if (drag == which) position = clamp01(((float)plat_input.mouse_x - track.x) / track.w);
    return position;
}

const char* volume_text(float v, const char* muted) {
    if (v < 0.005f) return muted;
    return hud_fmt("%d %%", (int)std::lround(v * 100.0f));
}

void close_screen() {
    options_write();
    game_flags.windows.options = 0;
    drag = DRAG_NONE;
    waiting_action = -1;
    waiting_pad = -1;
    ui_focus_set_capture(false);
    pause_dialog_open();
}

bool bound_elsewhere(int action) {
    for (int i = 0; i < BINDING_COUNT; ++i)
        if (i != action && bindings[i] == bindings[action]) return true;
    return false;
}

void capture_key() {
    if (plat_input.key_pressed[KEY_ESCAPE]) {
        waiting_action = -1;
        return;
    }
    for (int k = 1; k < 256; ++k) {
        if (!plat_input.key_pressed[k] || !options_key_bindable(k)) continue;
        bindings[waiting_action] = k;
        waiting_action = -1;
        snd_play(SFX_CLICK, 0.7f);
        return;
    }
}

// ---- The pad ------------------------------------------------------------------------

bool pad_bound_elsewhere(int action) {
    for (int i = 0; i < BINDING_COUNT; ++i)
        if (i != action && pad_action_bindable(i) && pad_bindings[i] == pad_bindings[action]) return true;
    return false;
}

void capture_pad_button() {
    const PadState& pad = plat_input.pad;
    // Start (never bound) or Escape gives up the wait.
    // The options are the only screen that sees Escape while they are open:
    // giving up the wait takes it, the screen stays.
    bool cancel = pad_pressed(pad, PAD_START) || plat_input.key_pressed[KEY_ESCAPE] || !pad.connected;
    for (int b = 0; b < PAD_BUTTON_COUNT && !cancel; ++b) {
        if (!pad_pressed(pad, b) || !pad_button_bindable(b)) continue;
        pad_bindings[waiting_pad] = b;
        snd_play(SFX_CLICK, 0.7f);
        cancel = true;
    }
    if (cancel) {
        waiting_pad = -1;
        ui_focus_set_capture(false);
    }
}

// The "Manette" settings, under the display's in the left column.
void pad_settings(float x, float y, float w) {
    const float s = hud_scale;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    ui_text(x, y, "Manette", 28 * s, HUD_GOLD, UI_FONT_TITLE);
    if (!plat_input.pad.connected)
        ui_text(x + 140 * s, y + 8 * s, "aucune manette branchée", 16 * s, dim, UI_FONT_BODY);
    y += 44 * s;
    ui_text(x, y, "Sensibilité", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    float p = slider({x + 200 * s, y, 280 * s, 26 * s}, (pad_tuning.sensitivity - 0.25f) / 2.25f, DRAG_PAD_SENSITIVITY);
    pad_tuning.sensitivity = 0.25f + 2.25f * p;
    ui_text(x + 500 * s, y, hud_fmt("× %.2f", pad_tuning.sensitivity), 20 * s, dim, UI_FONT_BODY);
    y += 40 * s;
    ui_text(x, y, "Zone morte", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    float z = slider({x + 200 * s, y, 280 * s, 26 * s}, (pad_tuning.dead_zone - 0.05f) / 0.45f, DRAG_DEAD_ZONE);
    pad_tuning.dead_zone = 0.05f + 0.45f * z;
    ui_text(x + 500 * s, y, hud_fmt("%d %%", (int)std::lround(pad_tuning.dead_zone * 100.0f)), 20 * s, dim,
            UI_FONT_BODY);
    y += 40 * s;
    float half = (w - 60 * s - 12 * s) * 0.5f;
    if (widget_button({x, y, half, 40 * s}, pad_tuning.invert_y ? "Axe vertical : inversé" : "Axe vertical : normal"))
        pad_tuning.invert_y = !pad_tuning.invert_y;
    if (widget_button({x + half + 12 * s, y, half, 40 * s}, pad_tuning.vibration ? "Vibrations : oui" : "Vibrations : non"))
        pad_tuning.vibration = !pad_tuning.vibration;
}

// The pad's buttons of the actions, in place of the key list.
void pad_bindings_list(float kx, float ky, float list_bottom) {
    const float s = hud_scale;
    const float row_h = 36 * s;
    int row = 0;
    for (int a = 0; a < BINDING_COUNT; ++a) {
        if (!pad_action_bindable(a)) continue;
        float ry = ky + row++ * row_h;
        if (ry + row_h > list_bottom + 36 * s) break;
        ui_text(kx, ry + 6 * s, binding_table[a].label, 19 * s, HUD_PARCHMENT, UI_FONT_BODY);
        const char* shown = a == waiting_pad ? "appuyez…" : pad_button_name(pad_bindings[a]);
        if (widget_button({kx + 360 * s, ry + 2 * s, 220 * s, row_h - 6 * s}, shown, true, a == waiting_pad) &&
            waiting_pad < 0 && waiting_action < 0) {
            waiting_pad = a;
            drag = DRAG_NONE;
            ui_focus_set_capture(true);
        }
        if (pad_bound_elsewhere(a))
            ui_text(kx + 596 * s, ry + 4 * s, "!", 24 * s, Vec4{1.0f, 0.35f, 0.2f, 1.0f}, UI_FONT_BODY);
    }
    ui_text(kx, list_bottom + 6 * s, "Back : carte  ·  Start : pause  ·  gâchettes : barre d'action 1-5 et 6-10",
            15 * s, Vec4{0.75f, 0.72f, 0.62f, 1.0f}, UI_FONT_BODY);
    if (widget_button({kx, list_bottom + 40 * s, 300 * s, 44 * s}, "Boutons par défaut")) pad_bindings_reset();
}

// Sound, mouse, display and quality, then the pad's settings.
void settings_column(float x, float y, float w) {
    const float s = hud_scale;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    // Sound.
    ui_text(x, y, "Son", 28 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 44 * s;
    ui_text(x, y, "Musique", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    options.music_volume = slider({x + 200 * s, y, 280 * s, 26 * s}, options.music_volume, DRAG_MUSIC);
    ui_text(x + 500 * s, y, volume_text(options.music_volume, "coupée"), 20 * s, dim, UI_FONT_BODY);
    y += 40 * s;
    ui_text(x, y, "Effets sonores", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    options.effects_volume = slider({x + 200 * s, y, 280 * s, 26 * s}, options.effects_volume, DRAG_EFFECTS);
    ui_text(x + 500 * s, y, volume_text(options.effects_volume, "coupés"), 20 * s, dim, UI_FONT_BODY);
    y += 56 * s;

    // Mouse.
    ui_text(x, y, "Souris", 28 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 44 * s;
    ui_text(x, y, "Sensibilité", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    float p = slider({x + 200 * s, y, 280 * s, 26 * s}, (options.sensitivity - 0.25f) / 2.25f, DRAG_SENSITIVITY);
    options.sensitivity = 0.25f + 2.25f * p;
    ui_text(x + 500 * s, y, hud_fmt("× %.2f", options.sensitivity), 20 * s, dim, UI_FONT_BODY);
    y += 40 * s;
    if (widget_button({x, y, w - 60 * s, 40 * s}, options.invert_y ? "Axe vertical : inversé" : "Axe vertical : normal"))
        options.invert_y = !options.invert_y;
    y += 60 * s;

    // Window and quality.
    ui_text(x, y, "Affichage", 28 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 44 * s;
    bool full = plat_is_fullscreen();
    if (widget_button({x, y, w - 60 * s, 40 * s}, full ? "Plein écran  (F11)" : "Fenêtre  (F11)")) {
        plat_toggle_fullscreen();
        full = plat_is_fullscreen();
    }
    options.fullscreen = full ? 1 : 0;
    y += 52 * s;
    ui_text(x, y + 8 * s, "Taille de la fenêtre", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    int r = options.resolution < 0 || options.resolution >= RESOLUTION_COUNT ? 2 : options.resolution;
    int dr = 0;
    if (widget_button({x + 240 * s, y, 40 * s, 40 * s}, "<")) dr = -1;
    ui_text_centred(x + 390 * s, y + 8 * s, hud_fmt("%d × %d", resolution_sizes[r][0], resolution_sizes[r][1]),
                    20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    if (widget_button({x + 500 * s, y, 40 * s, 40 * s}, ">")) dr = 1;
    if (dr) {
        options.resolution = (r + dr + RESOLUTION_COUNT) % RESOLUTION_COUNT;
        plat_set_windowed_size(resolution_sizes[options.resolution][0], resolution_sizes[options.resolution][1]);
    }
    if (full) ui_text(x + 240 * s, y + 44 * s, "(s'applique en mode fenêtre)", 16 * s, dim, UI_FONT_BODY);
    y += 72 * s;
    ui_text(x, y + 8 * s, "Qualité graphique", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    int q = options.quality < 0 || options.quality > 2 ? 2 : options.quality;
    if (widget_button({x + 240 * s, y, 40 * s, 40 * s}, "<")) options.quality = (q + 2) % 3;
    ui_text_centred(x + 390 * s, y + 8 * s, quality_names[q], 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    if (widget_button({x + 500 * s, y, 40 * s, 40 * s}, ">")) options.quality = (q + 1) % 3;
    if (options.quality == 0)
        ui_text(x, y + 48 * s, "ombres moins fines, sans anticrénelage ni occlusion ambiante", 16 * s, dim,
                UI_FONT_BODY);
    pad_settings(x, y + 76 * s, w);
}

// The 26 keys, as many as fit with the wheel for the rest.
void key_bindings_list(float kx, float ky, float list_bottom) {
    const float s = hud_scale;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    const float row_h = 36 * s;
    int fit = (int)((list_bottom - ky) / row_h);
    if (fit < 1) fit = 1;
    if (fit > BINDING_COUNT) fit = BINDING_COUNT;
    int max_scroll = BINDING_COUNT - fit;
    if (plat_input.wheel != 0.0f) scroll_rows += plat_input.wheel > 0.0f ? -1 : 1;
    scroll_rows = scroll_rows < 0 ? 0 : (scroll_rows > max_scroll ? max_scroll : scroll_rows);
    for (int row = 0; row < fit; ++row) {
        int a = scroll_rows + row;
        float ry = ky + row * row_h;
        ui_text(kx, ry + 6 * s, binding_table[a].label, 19 * s, HUD_PARCHMENT, UI_FONT_BODY);
        char key_name[64];
        plat_key_name(bindings[a], key_name, sizeof key_name);
        const char* shown = a == waiting_action ? "appuyez…" : key_name;
        if (widget_button({kx + 360 * s, ry + 2 * s, 220 * s, row_h - 6 * s}, shown, true, a == waiting_action) &&
            waiting_action < 0) {
            waiting_action = a;
            drag = DRAG_NONE;
        }
        if (bound_elsewhere(a)) ui_text(kx + 596 * s, ry + 4 * s, "!", 24 * s, Vec4{1.0f, 0.35f, 0.2f, 1.0f}, UI_FONT_BODY);
    }
    if (max_scroll > 0)
        ui_text(kx, ky + fit * row_h + 6 * s,
                ui_focus_pad_hints() ? "gâchettes : plus de touches" : "molette : plus de touches", 16 * s, dim,
                UI_FONT_BODY);
    if (widget_button({kx, list_bottom + 40 * s, 300 * s, 44 * s}, "Touches par défaut")) bindings_reset();
}

// "Maintenir" or "bascule" for an action that lasts.
bool hold_or_toggle(UiRect b, const char* what, uint8_t* toggle) {
    if (!widget_button(b, hud_fmt("%s : %s", what, *toggle ? "appui pour basculer" : "maintenir"))) return false;
    *toggle = !*toggle;
    return true;
}

// Colours, flashes, the field of view, how lasting actions are held and the
// sounds' captions.
void accessibility_list(float kx, float ky) {
    const float s = hud_scale;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    const float w = 600 * s;
    ui_text(kx, ky + 8 * s, "Vision des couleurs", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    int v = view_settings.colour_vision;
    if (v < 0 || v >= VISION_MODE_COUNT) v = VISION_NORMAL;
    if (widget_button({kx + 260 * s, ky, 40 * s, 40 * s}, "<"))
        view_settings.colour_vision = (v + VISION_MODE_COUNT - 1) % VISION_MODE_COUNT;
    ui_text_centred(kx + 410 * s, ky + 8 * s, vision_names[v], 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    if (widget_button({kx + 520 * s, ky, 40 * s, 40 * s}, ">"))
        view_settings.colour_vision = (v + 1) % VISION_MODE_COUNT;
    ky += 46 * s;
    ui_text(kx, ky, "corrige les couleurs de toute l'image, l'interface comprise", 16 * s, dim, UI_FONT_BODY);
    ky += 36 * s;
    if (widget_button({kx, ky, w, 40 * s}, view_settings.screen_flashes ? "Éclair rouge quand vous êtes touché : oui"
                                                                        : "Éclair rouge quand vous êtes touché : non"))
        view_settings.screen_flashes = !view_settings.screen_flashes;
    ky += 56 * s;
    ui_text(kx, ky, "Champ de vision", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    const float range = FIELD_OF_VIEW_MAX - FIELD_OF_VIEW_MIN;
    float p = slider({kx + 260 * s, ky, 240 * s, 26 * s}, (comfort.field_of_view - FIELD_OF_VIEW_MIN) / range,
                     DRAG_FIELD_OF_VIEW);
    // Whole degrees, so the file and the screen agree.
    comfort.field_of_view = std::round(FIELD_OF_VIEW_MIN + range * p);
    ui_text(kx + 520 * s, ky, hud_fmt("%d°", (int)comfort.field_of_view), 20 * s, dim, UI_FONT_BODY);
    ky += 56 * s;
    char walk_key[64], guard_key[64];
    plat_key_name(bindings[BIND_WALK], walk_key, sizeof walk_key);
    plat_key_name(bindings[BIND_GUARD], guard_key, sizeof guard_key);
    hold_or_toggle({kx, ky, w, 40 * s}, hud_fmt("Marcher (%s)", walk_key), &comfort.walk_toggle);
    ky += 52 * s;
    hold_or_toggle({kx, ky, w, 40 * s}, hud_fmt("Bouclier (%s)", guard_key), &comfort.guard_toggle);
    ky += 52 * s;
    hold_or_toggle({kx, ky, w, 40 * s}, "Regarder autour (souris)", &comfort.look_toggle);
    ky += 48 * s;
    ui_text(kx, ky, comfort.look_toggle ? "glissez pour regarder, cliquez pour rendre le curseur"
                                        : "regardez en glissant, un bouton de la souris enfoncé",
            16 * s, dim, UI_FONT_BODY);
    ky += 36 * s;
    if (widget_button({kx, ky, w, 40 * s}, options.sound_captions ? "Sous-titres des sons : oui"
                                                                  : "Sous-titres des sons : non"))
        options.sound_captions = !options.sound_captions;
    ky += 52 * s;
    // Applied from the next frame on, this screen included.
    ui_text(kx, ky + 8 * s, "Taille du texte", 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    const int t = hud_text_size;
    if (widget_button({kx + 260 * s, ky, 40 * s, 40 * s}, "-"))
        hud_text_size = t - TEXT_SIZE_STEP < HUD_TEXT_SIZE_MIN ? HUD_TEXT_SIZE_MIN : t - TEXT_SIZE_STEP;
    ui_text_centred(kx + 410 * s, ky + 8 * s, hud_fmt("%d %%", t), 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    if (widget_button({kx + 520 * s, ky, 40 * s, 40 * s}, "+"))
        hud_text_size = t + TEXT_SIZE_STEP > HUD_TEXT_SIZE_MAX ? HUD_TEXT_SIZE_MAX : t + TEXT_SIZE_STEP;
}

// The right column: the keys, the pad's buttons or the accessibility
// settings, and the page's button.
void bindings_column(float kx, float ky, float list_bottom) {
    const float s = hud_scale;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    UiRect page = options_page_button_box();
    if (widget_button({page.x, page.y, page.w, page.h},
                      pad_page || access_page ? "Voir les touches" : "Voir la manette") &&
        waiting_action < 0 && waiting_pad < 0) {
        pad_page = !pad_page && !access_page;
        access_page = false;
    }
    if (access_page) {
        ui_text(kx, ky, "Accessibilité", 28 * s, HUD_GOLD, UI_FONT_TITLE);
        accessibility_list(kx, ky + 48 * s);
        return;
    }
    float title_w = ui_text(kx, ky, pad_page ? "Manette" : "Touches", 28 * s, HUD_GOLD, UI_FONT_TITLE);
    // The hint follows the title and stops short of the page's button.
    if (!pad_page) {
        float hint_x = kx + title_w + 18 * s;
        ui_text_fitted(hint_x, ky + 8 * s, page.x - 12 * s - hint_x, "cliquez une touche pour la changer", 18 * s,
                       dim, UI_FONT_BODY);
    }
    ky += 48 * s;
    if (pad_page)
        pad_bindings_list(kx, ky, list_bottom);
    else
        key_bindings_list(kx, ky, list_bottom);
}

}  // namespace

void options_open() {
    game_flags.windows.options = 1;
    game_flags.paused = 1;
    drag = DRAG_NONE;
    waiting_action = -1;
    waiting_pad = -1;
    ui_focus_set_capture(false);
    plat_set_cursor_captured(false);
}

UiRect options_page_button_box() {
    HudFitScope fit(OPTIONS_DESIGN_W, OPTIONS_DESIGN_H);
    const float s = hud_scale;
    const float kx = ((float)plat_input.client_width - 1400 * s) * 0.5f + 720 * s, ky = 40 * s + 90 * s;
    return {kx + 470 * s, ky - 2 * s, 170 * s, 34 * s};
}

UiRect options_access_button_box() {
    HudFitScope fit(OPTIONS_DESIGN_W, OPTIONS_DESIGN_H);
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    return {W * 0.5f - 400 * s, 40 * s + (H - 80 * s) - 60 * s, 240 * s, 46 * s};
}

// The action waiting for a key, -1 for none (tests).
int options_waiting_action() { return waiting_action; }

void options_screen() {
    HudFitScope fit(OPTIONS_DESIGN_W, OPTIONS_DESIGN_H);
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    ui_focus_modal();
    if (waiting_pad >= 0) capture_pad_button();
    else if (waiting_action >= 0) capture_key();
    else if (plat_input.key_pressed[KEY_ESCAPE]) {
        close_screen();
        return;
    }

    UiRect panel = {(W - 1400 * s) * 0.5f, 40 * s, 1400 * s, H - 80 * s};
    ui_panel(panel.x, panel.y, panel.w, panel.h, Vec4{0.06f, 0.09f, 0.07f, 0.95f}, HUD_GOLD, 2.0f * s);
    UiBoxScope window(panel.x, panel.y, panel.w, panel.h, UI_BOX_LAYER, 2.0f * s);
    ui_text_centred(W * 0.5f, panel.y + 18 * s, "Options", 44 * s, HUD_GOLD, UI_FONT_TITLE);
    float x = panel.x + 40 * s, y = panel.y + 90 * s, w = 600 * s;
    const Vec4 dim = {0.75f, 0.72f, 0.62f, 1.0f};
    const float columns_top = panel.y + 84 * s, columns_h = panel.h - 184 * s;

    // The columns' boxes reach a little past their texts' start, where a
    // letter such as "J" hangs.
    {
        UiBoxScope column(x - 10 * s, columns_top, 680 * s, columns_h);
        settings_column(x, y, w);
    }
    float kx = panel.x + 720 * s, kw = 640 * s;
    {
        UiBoxScope column(kx - 10 * s, columns_top, kw + 20 * s, columns_h);
        bindings_column(kx, panel.y + 90 * s, panel.y + panel.h - 190 * s);
    }

    // Foot.
    ui_text_centred(W * 0.5f, panel.y + panel.h - 92 * s, "Réglages enregistrés pour tous vos personnages", 18 * s,
                    dim, UI_FONT_BODY);
    options_apply_sound();
    if (drag != DRAG_NONE && !plat_input.button_down[0]) {
        if (drag == DRAG_EFFECTS && options.effects_volume != effects_at_drag) snd_play(SFX_CLICK, 0.8f);
        drag = DRAG_NONE;
    }
    const UiRect access = options_access_button_box();
    if (widget_button({access.x, access.y, access.w, access.h}, "Accessibilité", true, access_page) &&
        waiting_action < 0 && waiting_pad < 0) {
        access_page = !access_page;
        pad_page = false;
    }
    if (widget_button({W * 0.5f - 120 * s, panel.y + panel.h - 60 * s, 240 * s, 46 * s}, "Fermer")) close_screen();
}
