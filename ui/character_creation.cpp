// The creation screen: step 1 the class, step 2 the name and the appearance,
// with the character turning in the world behind it; the same screen edits
// the appearance of the character in play.
#include "ui/character_creation.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "content/dialogue_words.h"
#include "persist/characters.h"
#include "ui/character_select.h"
#include "common/game_time.h"
#include "play/bindings.h"
#include "play/player_input.h"
#include "play/combat.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/icons.h"
#include "ui/screen_widgets.h"

namespace {

// Where the name and looks panel ends, at scale 1.
constexpr float PANEL_RIGHT = 48 + 620;

int step = 1;
bool edit_mode = false;
int chosen_class = 0;
bool portrait_view = false;
AppearanceChoice look_before_edit;
float heading_before_edit;
char name_field[CHARACTER_NAME_SIZE];
// The field holds an offered name until the player types in it: the offer
// follows the sex chosen.
bool name_typed = false;
uint32_t name_seed = 1;
bool turning = false;
int turn_last_x = 0;

const char* const women_names[12] = {"Énide", "Lunete", "Laudine", "Blanchefleur", "Iseult", "Brangien",
                                     "Lyonors", "Elaine", "Soredamor", "Florée", "Clarine", "Ysolde"};
const char* const men_names[12] = {"Gauvain", "Perceval", "Bohort", "Lionel", "Gareth", "Galeschin",
                                   "Méliant", "Sagremor", "Girflet", "Lucan", "Bédoier", "Carados"};
const char* const sex_names[2] = {"Homme", "Femme"};
const char* const skin_names[5] = {"Claire", "Rosée", "Hâlée", "Mate", "Foncée"};
const char* const eye_names[4] = {"Verts", "Bleus", "Bruns", "Gris"};
const char* const hair_names[7] = {"Noirs", "Bruns foncés", "Bruns", "Châtains", "Roux", "Blonds", "Gris"};
const char* const style_names[3] = {"Courts", "Mi-longs", "Longs"};
const char* const beard_names[3] = {"Aucune", "Courte", "Pleine"};

bool name_byte_ok(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80 || c == ' ' || c == '\'' || c == '-';
}

// Typed characters go in whole: a multi-byte character that would pass the
// 22-byte limit, or a text that would overflow the field, is refused.
void name_field_input(float field_width, float size) {
    int count = plat_input.text_input_length;
    if (count > (int)sizeof plat_input.text_input) count = (int)sizeof plat_input.text_input;
    int i = 0;
    while (i < count) {
        unsigned char c = (unsigned char)plat_input.text_input[i];
        int len = c < 0x80 ? 1 : (c >= 0xF0 ? 4 : (c >= 0xE0 ? 3 : (c >= 0xC0 ? 2 : 1)));
        if (i + len > count) break;
        bool ok = true;
        for (int k = 0; k < len; ++k) ok = ok && name_byte_ok((unsigned char)plat_input.text_input[i + k]);
        int n = (int)std::strlen(name_field);
        if (ok && n + len <= 22) {
            std::memcpy(name_field + n, plat_input.text_input + i, (size_t)len);
            name_field[n + len] = 0;
            if (ui_text_width(name_field, size, UI_FONT_BODY) > field_width)
                name_field[n] = 0;
            else
                name_typed = true;
        }
        i += len;
    }
    if (plat_input.key_pressed[KEY_BACKSPACE] && name_field[0]) {
        text_backspace(name_field);
        name_typed = true;
    }
}

void offer_name() {
    std::snprintf(name_field, sizeof name_field, "%s", character_random_name(player_look.woman != 0));
    name_typed = false;
}

void apply_class(int cls) {
    player.player_class = cls;
    set_level_and_experience(1, 0);
}

// "Valider" keeps the new look and goes back to play; "Annuler" puts the old
// look back and returns to the sheet the editor was opened from.
void finish_edit(bool keep) {
    if (!keep) player_look = look_before_edit;
    player.heading = heading_before_edit;
    game_flags.character_creation_open = 0;
    game_flags.paused = 0;
    if (keep) {
        character_save_current();
        plat_set_cursor_captured(true);
    } else {
        game_flags.character_sheet_open = 1;
        plat_set_cursor_captured(false);
    }
}

// One selector row: label, « value »; returns -1, 0 or +1.
int selector(float x, float y, float w, const char* label, const char* value, bool enabled) {
    const float s = hud_scale;
    ui_text(x, y + 6 * s, label, 20 * s, HUD_GOLD, UI_FONT_BODY);
    float bx = x + 150 * s, bw = 40 * s;
    int d = 0;
    if (widget_button({bx, y, bw, 36 * s}, "«", enabled)) d = -1;
    {
        UiBoxScope between(bx + bw, y, w - 150 * s - 2 * bw, 36 * s);
        ui_text_centred(bx + (w - 150 * s) * 0.5f, y + 6 * s, value, 20 * s, HUD_PARCHMENT, UI_FONT_BODY);
    }
    if (widget_button({x + w - bw, y, bw, 36 * s}, "»", enabled)) d = 1;
    return d;
}

int cycle(int v, int d, int count) { return ((v + d) % count + count) % count; }

// One look setting stepped through its names: the name shown and the step
// both wrap at the list's own length. A setting that does not apply shows a
// dash.
template <int N>
void look_selector(float x, float y, float w, const char* label, const char* const (&names)[N], int32_t* value,
                   bool enabled = true) {
    if (int d = selector(x, y, w, label, enabled ? names[cycle(*value, 0, N)] : "—", enabled))
        *value = cycle(*value, d, N);
}

void turn_preview(UiRect area) {
    bool down = plat_input.button_down[0] != 0;
    if (plat_input.button_pressed[0] && widget_hover(area) && !hud_dialog_state().open) {
        turning = true;
        turn_last_x = plat_input.mouse_x;
    }
    if (!down) turning = false;
    // The figure turns, not the view: the camera stands where the heading
    // put it, in front of the figure as the screen opened.
    if (turning) {
        presentation_turn += (float)(plat_input.mouse_x - turn_last_x) * 0.012f;
        turn_last_x = plat_input.mouse_x;
    }
    // The pad turns her with the right stick, which no screen moves the focus
    // with: a full push makes about half a turn a second, the same way as a
    // drag to the right.
    if (plat_input.pad.connected && !hud_dialog_state().open) {
        float x, y;
        pad_stick(plat_input.pad.axes[PAD_RX], plat_input.pad.axes[PAD_RY], pad_tuning.dead_zone, &x, &y);
        presentation_turn += x * 3.0f * frame_dt;
    }
}

struct ClassCards {
    float top, width, height;  // of each card
    float buttons_y;           // the row of "Retour" and "Suivant"
    // Where the icon, the name and the text stand in a card, from its top.
    float icon_y, icon_size, name_y, text_y;
};

// Narrower cards on a narrow screen: all three always show whole. They stand
// 600 tall where the screen has the rows; a large text on a shorter screen
// moves them up a little, sets icon, name and text closer and shortens them,
// never below their longest description, and the buttons follow them up.
ClassCards class_cards() {
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    ClassCards k = {190 * s, std::fmin(500 * s, (W - 2 * 40 * s - 80 * s) / 3.0f), 600 * s, 830 * s,
                    30 * s,  96 * s,  140 * s, 200 * s};
    if (H >= 900 * s) return k;
    k.top = 160 * s;
    k.icon_y = 18 * s;
    k.icon_size = 72 * s;
    k.name_y = 96 * s;
    k.text_y = 150 * s;
    float need = 0.0f;
    for (int c = 0; c < 3; ++c)
        need = std::fmax(need, ui_text_wrapped_height(k.width - 60 * s, class_defs[c].description, 19 * s,
                                                      UI_FONT_BODY, 1.35f));
    need += k.text_y + 24 * s;
    k.height = std::fmin(k.height, std::fmax(need, H - k.top - 30 * s - 56 * s - 14 * s));
    k.buttons_y = k.top + k.height + 30 * s;
    return k;
}

void draw_step1() {
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    ui_rect(0, 0, W, H, Vec4{0.02f, 0.03f, 0.02f, 0.55f});
    ui_text_centred(W * 0.5f, 50 * s, "Nouveau personnage", 48 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text_centred(W * 0.5f, 116 * s, "Étape 1 sur 2  ·  choisissez votre classe", 22 * s, HUD_PARCHMENT,
                    UI_FONT_BODY);
    const ClassCards k = class_cards();
    float gap = 40 * s, cw = k.width, total = 3 * cw + 2 * gap;
    for (int c = 0; c < 3; ++c) {
        UiRect card = {(W - total) * 0.5f + c * (cw + gap), k.top, cw, k.height};
        bool chosen = c == chosen_class;
        ui_panel(card.x, card.y, card.w, card.h, chosen ? Vec4{0.22f, 0.18f, 0.07f, 0.94f} : HUD_PANEL_FILL,
                 chosen ? HUD_GOLD : HUD_PANEL_BORDER, (chosen ? 3.0f : 2.0f) * s);
        UiBoxScope box(card.x, card.y, card.w, card.h, 0, (chosen ? 3.0f : 2.0f) * s);
        icon_draw(skill_defs[c * SKILLS_PER_CLASS].icon, card.x + (cw - k.icon_size) * 0.5f, card.y + k.icon_y,
                  k.icon_size, Vec3{0.85f, 0.7f, 0.35f}, 1.0f);
        ui_text_centred(card.x + cw * 0.5f, card.y + k.name_y, class_defs[c].name, 36 * s, HUD_GOLD, UI_FONT_TITLE);
        ui_text_wrapped(card.x + 30 * s, card.y + k.text_y, cw - 60 * s, class_defs[c].description, 19 * s,
                        HUD_PARCHMENT, UI_FONT_BODY, 1.35f);
        if (widget_clicked(card)) {
            chosen_class = c;
            apply_class(c);
        }
    }
    if (characters_present_count() > 0 &&
        widget_button({W * 0.5f - 330 * s, k.buttons_y, 300 * s, 56 * s}, "Retour")) {
        character_select_show();
        return;
    }
    if (widget_button(character_creation_next_box(), "Suivant")) {
        apply_class(chosen_class);
        step = 2;
    }
}

void draw_step2() {
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    UiRect panel = {48 * s, 60 * s, (PANEL_RIGHT - 48) * s, H - 120 * s};
    widget_panel(panel);
    float x = panel.x + 28 * s, y = panel.y + 22 * s, w = panel.w - 56 * s;
    ui_box_begin(panel.x, panel.y, panel.w, panel.h, 0, 2.0f * s);
    int cls = player.player_class < 0 || player.player_class > 2 ? 0 : player.player_class;
    ui_text(x, y, edit_mode ? "Votre personnage" : "Nouveau personnage", 44 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text(x, y + 60 * s,
            edit_mode ? "Modifiez l'apparence de votre personnage."
                      : hud_fmt("Étape 2 sur 2  ·  le nom et l'apparence de votre %s",
                                class_noun(cls, player_look.woman != 0)),
            19 * s, HUD_PARCHMENT, UI_FONT_BODY);
    y += 110 * s;
    ui_text(x, y + 6 * s, "Nom", 20 * s, HUD_GOLD, UI_FONT_BODY);
    UiRect field = {x + 150 * s, y, w - 150 * s - 52 * s, 38 * s};
    if (!edit_mode) {
        if (!hud_dialog_state().open) name_field_input(field.w - 30 * s, field.h * 0.55f);
        widget_field(field, name_field, true);
        if (widget_button({x + w - 42 * s, y, 42 * s, 38 * s}, "?")) offer_name();
    } else {
        widget_field(field, player.name, false);
    }
    y += 60 * s;
    int d;
    if ((d = selector(x, y, w, "Sexe", sex_names[player_look.woman ? 1 : 0], true))) {
        player_look.woman = cycle(player_look.woman ? 1 : 0, d, 2);
        if (!edit_mode && !name_typed) offer_name();
    }
    y += 48 * s;
    look_selector(x, y, w, "Peau", skin_names, &player_look.skin);
    y += 48 * s;
    look_selector(x, y, w, "Yeux", eye_names, &player_look.eyes);
    y += 48 * s;
    look_selector(x, y, w, "Cheveux", hair_names, &player_look.hair);
    y += 48 * s;
    look_selector(x, y, w, "Coiffure", style_names, &player_look.style);
    y += 48 * s;
    look_selector(x, y, w, "Barbe", beard_names, &player_look.beard, !player_look.woman);
    y += 48 * s;
    if ((d = selector(x, y, w, "Vue", portrait_view ? "Portrait" : "En pied", true))) portrait_view = !portrait_view;
    y += 60 * s;
    ui_text_wrapped(x, y, w,
                    ui_focus_pad_hints() ? "Stick droit : faire tourner le personnage."
                                         : "Faites glisser la souris sur le personnage pour le faire tourner.",
                    17 * s, Vec4{0.75f, 0.72f, 0.62f, 1.0f}, UI_FONT_BODY, 1.3f);
    ui_box_end();

    const char* shown = edit_mode ? player.name : name_field;
    character_preview_caption(panel.x + panel.w, 60 * s, hud_fmt("%s de la Table ronde", shown), 34 * s);
    turn_preview({panel.x + panel.w, 0, W - panel.x - panel.w, H - 150 * s});

    UiRect left, right;
    character_preview_buttons(panel.x + panel.w, &left, &right);
    if (edit_mode) {
        if (widget_button(left, "Annuler")) finish_edit(false);
        else if (widget_button(right, "Valider")) finish_edit(true);
        return;
    }
    if (widget_button(left, "Retour")) {
        step = 1;
        return;
    }
    if (widget_button(right, "Commencer")) {
        if (!name_field[0]) {
            hud_message("Donnez un nom à votre personnage.", 1.5f);
        } else {
            std::snprintf(player.name, sizeof player.name, "%s", name_field);
            if (!character_creation_commit())
                hud_message("La liste est pleine : supprimez d'abord un personnage.", 2.0f);
        }
    }
}

}  // namespace

UiRect character_creation_next_box() {
    const float s = hud_scale, W = (float)plat_input.client_width;
    // Beside "Retour" when there is a list to go back to, else alone under
    // the middle card.
    float x = characters_present_count() > 0 ? W * 0.5f + 30 * s : W * 0.5f - 150 * s;
    return {x, class_cards().buttons_y, 300 * s, 56 * s};
}

UiRect character_creation_finish_box() {
    UiRect left, right;
    character_preview_buttons(PANEL_RIGHT * hud_scale, &left, &right);
    return right;
}

float character_preview_buttons(float panel_right, UiRect* left, UiRect* right) {
    const float s = hud_scale, W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    float cx = W * 0.68f;
    *left = {cx - 310 * s, H - 130 * s, 300 * s, 56 * s};
    *right = {cx + 10 * s, H - 130 * s, 300 * s, 56 * s};
    // At the default size they may touch the panel (a 4:3 window) and stay
    // as they are; a larger text keeps them clear of it and of the edge.
    if (hud_text_size <= HUD_TEXT_SIZE_DEFAULT) return cx;
    float room_left = panel_right + 20 * s, room_right = W - 20 * s;
    if (left->x >= room_left && right->x + right->w <= room_right) return cx;
    float bw = std::fmin(300 * s, (room_right - room_left - 20 * s) * 0.5f);
    cx = std::fmin(std::fmax(cx, room_left + bw + 10 * s), room_right - bw - 10 * s);
    left->x = cx - 10 * s - bw;
    right->x = cx + 10 * s;
    left->w = right->w = bw;
    return cx;
}

void character_preview_caption(float panel_right, float y, const char* text, float size) {
    const float s = hud_scale, W = (float)plat_input.client_width;
    UiRect left, right;
    float cx = character_preview_buttons(panel_right, &left, &right);
    if (hud_text_size > HUD_TEXT_SIZE_DEFAULT) {
        float room_left = panel_right + 20 * s, room_right = W - 20 * s;
        float tw = ui_text_width(text, size, UI_FONT_TITLE);
        if (tw > room_right - room_left) {
            size *= (room_right - room_left) / tw;
            tw = room_right - room_left;
        }
        cx = std::fmin(std::fmax(cx, room_left + tw * 0.5f), room_right - tw * 0.5f);
    }
    ui_text_centred(cx, y, text, size, HUD_GOLD, UI_FONT_TITLE);
}

const char* character_random_name(bool woman) {
    name_seed = name_seed * 1103515245u + (uint32_t)(game_clock * 1000.0) + 12345u;
    return (woman ? women_names : men_names)[(name_seed >> 8) % 12];
}

bool character_creation_commit() {
    if (!character_create()) return false;
    character_enter_play();
    return true;
}

void character_creation_open_new() {
    // No slot is current while a character is being made: going back or
    // quitting must not save the half-made one over another.
    current_slot = -1;
    character_reset();
    chosen_class = 0;
    apply_class(0);
    step = 1;
    edit_mode = false;
    portrait_view = false;
    offer_name();
    game_flags.character_select_open = 0;
    game_flags.character_creation_open = 1;
    plat_set_cursor_captured(false);
}

void character_creation_open_edit() {
    look_before_edit = player_look;
    // The preview camera stands in front of the figure: turn him toward where
    // the play camera was, open ground, rather than into a wall or a stall.
    heading_before_edit = player.heading;
    float dx = player.camera_pos.x - player.pos_x, dz = player.camera_pos.z - player.pos_z;
    if (dx * dx + dz * dz > 0.01f) player.heading = std::atan2(dx, dz);
    step = 2;
    edit_mode = true;
    portrait_view = false;
    game_flags.character_creation_open = 1;
    plat_set_cursor_captured(false);
}

bool character_creation_confirmed_look(AppearanceChoice* look, float* heading) {
    if (!game_flags.character_creation_open || !edit_mode) return false;
    *look = look_before_edit;
    *heading = heading_before_edit;
    return true;
}

bool player_presentation_portrait() { return game_flags.character_creation_open && step == 2 && portrait_view; }

// Where the screen stands (tests).
int character_creation_step() { return step; }
const char* character_creation_name() { return name_field; }

void character_creation_draw() {
    const float s = hud_scale, W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    if (step == 1) {
        draw_step1();
        widget_message(W * 0.5f, H * 0.82f, 20 * s, W - 20 * s);
    } else {
        draw_step2();
        // Under the two buttons, beside the panel.
        UiRect left, right;
        float cx = character_preview_buttons(PANEL_RIGHT * s, &left, &right);
        widget_message(cx, H - 62 * s, (PANEL_RIGHT + 20) * s, W - 20 * s);
    }
}
