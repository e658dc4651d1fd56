// The character list: the first screen after start-up and the way to online
// play. The live character stands in the world behind it as the preview.
#include "ui/character_select.h"

#include <cstdio>
#include <cstring>

#include "net/net.h"
#include "common/game_time.h"
#include "persist/characters.h"
#include "play/player_input.h"
#include "ui/character_creation.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud_internal.h"
#include "render/icons.h"
#include "ui/screen_widgets.h"

namespace {

char server_field[64];
double last_row_click = -10.0;
int last_row_clicked = -1;
int delete_pending = -1;

// Letters, digits and the separators of host names, addresses and ports.
bool server_char_ok(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
           c == ':';
}

void server_field_input() {
    int n = (int)std::strlen(server_field);
    for (int i = 0; i < plat_input.text_input_length && i < (int)sizeof plat_input.text_input; ++i) {
        char c = plat_input.text_input[i];
        if (server_char_ok(c) && n < 63) {
            server_field[n++] = c;
            server_field[n] = 0;
        }
    }
    if (plat_input.key_pressed[KEY_BACKSPACE]) text_backspace(server_field);
}

void delete_confirmed() {
    int slot = delete_pending;
    delete_pending = -1;
    character_delete(slot);
    // The last one gone: a new character is made.
    if (characters_present_count() == 0) character_creation_open_new();
    plat_set_cursor_captured(false);
}

void delete_cancelled() {
    delete_pending = -1;
    plat_set_cursor_captured(false);
}

int class_icon(int cls) {
    if (cls < 0 || cls > 2) cls = 0;
    return skill_defs[cls * SKILLS_PER_CLASS].icon;
}

void play(bool online) { character_select_play(online, server_field); }

// A row is 62 tall every 70; under the rows stand the server field, the
// status line, the create button and the delete/quit pair.
constexpr float ROW_STEP = 70, ROW_H = 62, UNDER_ROWS = 6 + 44 + 34 + 56 + 46, BOTTOM_MARGIN = 16;
constexpr float ARROWS_W = 36, ARROWS_GAP = 8;

// A large text on a short screen leaves room for fewer rows than slots: the
// list then shows as many of the characters present as fit, from
// `first_row` (an index among them), and scrolls.
int first_row = 0;
// The selection the list last brought into view (-2: none yet).
int row_kept_in_view = -2;

int rows_that_fit(float panel_h, float s) {
    int n = (int)((panel_h - (22 + 100 + UNDER_ROWS + BOTTOM_MARGIN - (ROW_STEP - ROW_H)) * s) / (ROW_STEP * s));
    return n < 1 ? 1 : (n > CHARACTER_SLOTS ? CHARACTER_SLOTS : n);
}

}  // namespace

// Set each time the list opens: the screen fills an empty server field then.
static uint8_t character_list_opened = 0;

void character_select_show() {
    if (!characters_list_prepare()) {
        character_creation_open_new();
        return;
    }
    game_flags.character_creation_open = 0;
    game_flags.character_select_open = 1;
    character_list_opened = 1;
    row_kept_in_view = -2;
    game_flags.windows.options = 0;
    game_flags.paused = 0;
    plat_set_cursor_captured(false);
}

void character_screens_open() {
    if (characters_load())
        character_select_show();
    else
        character_creation_open_new();
}

void character_enter_play() {
    game_flags.character_select_open = 0;
    game_flags.character_creation_open = 0;
    plat_set_cursor_captured(true);
    hud_message(hud_fmt("Bienvenue à Tervanne, %s", player.name), 2.5f);
}

bool character_select_play(bool online, const char* server_address) {
    if (!character_start_play()) return false;
    character_enter_play();
    if (online) net_connect(server_address);
    return true;
}

// The server field as typed (tests, and the online start).
const char* character_select_server_field() { return server_field; }

void character_select_draw() {
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    if (character_list_opened) {
        character_list_opened = 0;
        const char* saved = net_server_address();
        if (!server_field[0] && saved) std::snprintf(server_field, sizeof server_field, "%s", saved);
    }
    bool dialog_open = hud_dialog_state().open;
    if (!dialog_open) server_field_input();

    UiRect panel = {48 * s, 60 * s, 600 * s, H - 120 * s};
    widget_panel(panel);
    float x = panel.x + 28 * s, y = panel.y + 22 * s, w = panel.w - 56 * s;
    ui_box_begin(panel.x, panel.y, panel.w, panel.h, 0, 2.0f * s);
    ui_text(x, y, "Vos personnages", 44 * s, HUD_GOLD, UI_FONT_TITLE);
    int present = characters_present_count();
    ui_text(x, y + 60 * s, hud_fmt("%d / %d  ·  choisissez qui jouer", present, CHARACTER_SLOTS), 20 * s,
            HUD_PARCHMENT, UI_FONT_BODY);
    y += 100 * s;
    const float list_top = y;
    const int rows_shown = rows_that_fit(panel.h, s);
    const bool scrolls = present > rows_shown;
    if (selected_slot != row_kept_in_view) {
        // A new selection (or the list just opened) is brought into view.
        int at = 0;
        for (int slot = 0; slot < selected_slot && slot < CHARACTER_SLOTS; ++slot) at += character_slots[slot].present;
        if (selected_slot >= 0 && at < first_row) first_row = at;
        if (selected_slot >= 0 && at >= first_row + rows_shown) first_row = at - rows_shown + 1;
        row_kept_in_view = selected_slot;
    }
    const UiRect list_area = {x, list_top, w, (rows_shown * ROW_STEP - (ROW_STEP - ROW_H)) * s};
    {
        const float aw = ARROWS_W * s, ax = x + w - aw;
        UiRect up = {ax, list_top, aw, ROW_H * s};
        UiRect down = {ax, list_top + (rows_shown - 1) * ROW_STEP * s, aw, ROW_H * s};
        if (rows_shown < 2) {
            up.h = down.h = (ROW_H - 4) * s * 0.5f;
            down.y = list_top + up.h + 4 * s;
        }
        widget_list_scroll(first_row, present, rows_shown, list_area, up, down);
    }
    // The rows leave room for the scroll buttons when there is something to scroll.
    const float row_w = scrolls ? w - (ARROWS_W + ARROWS_GAP) * s : w;
    int index = -1;
    for (int slot = 0; slot < CHARACTER_SLOTS; ++slot) {
        const CharacterSlot& c = character_slots[slot];
        if (!c.present) continue;
        ++index;
        if (index < first_row || index >= first_row + rows_shown) continue;
        UiRect row = {x, y, row_w, ROW_H * s};
        bool selected = slot == selected_slot;
        ui_panel(row.x, row.y, row.w, row.h,
                 selected ? Vec4{0.3f, 0.24f, 0.08f, 0.9f} : Vec4{0.05f, 0.08f, 0.06f, 0.7f},
                 selected ? HUD_GOLD : HUD_PANEL_BORDER, 1.5f * s);
        UiBoxScope row_box(row.x, row.y, row.w, row.h, 0, 1.5f * s);
        icon_draw(class_icon(c.player_class), row.x + 8 * s, row.y + 7 * s, 48 * s, Vec3{0.85f, 0.7f, 0.35f}, 1.0f);
        ui_text(row.x + 68 * s, row.y + 6 * s, c.name, 24 * s, HUD_PARCHMENT, UI_FONT_BODY);
        ui_text(row.x + 68 * s, row.y + 34 * s,
                hud_fmt("%s  ·  niveau %d", class_display_name(c.player_class, c.woman != 0), c.level), 18 * s,
                Vec4{0.75f, 0.72f, 0.62f, 1.0f}, UI_FONT_BODY);
        if (widget_clicked(row)) {
            double now = plat_time();
            if (slot == selected_slot && last_row_clicked == slot && now - last_row_click <= 0.4) {
                last_row_clicked = -1;
                ui_box_end();
                play(false);
                return;
            }
            character_select(slot);
            last_row_clicked = slot;
            last_row_click = now;
        }
        y += 70 * s;
    }

    // Under the room for the rows: every slot where the screen has it (the
    // list starts under the title, 22 s below the panel's top).
    y = panel.y + 22 * s + 100 * s + rows_shown * 70 * s + 6 * s;
    ui_text(x, y, "Serveur", 20 * s, HUD_GOLD, UI_FONT_BODY);
    widget_field({x + 110 * s, y - 6 * s, w - 110 * s, 38 * s}, server_field, !dialog_open);
    y += 44 * s;
    const char* status = net_status_text();
    if (!status || !status[0]) status = "Adresse donnée par le serveur (127.0.0.1 sur ce PC).";
    ui_text(x, y, status, 16 * s, Vec4{0.75f, 0.72f, 0.62f, 1.0f}, UI_FONT_BODY);
    y += 34 * s;
    bool full = present >= CHARACTER_SLOTS;
    if (widget_button({x, y, w, 46 * s}, "Créer un nouveau personnage", !full)) {
        ui_box_end();
        character_creation_open_new();
        return;
    }
    if (full && widget_clicked({x, y, w, 46 * s}))
        hud_message("La liste est pleine : supprimez d'abord un personnage.", 2.0f);
    y += 56 * s;
    float half = (w - 12 * s) * 0.5f;
    bool has_selection = selected_slot >= 0 && character_slots[selected_slot].present;
    if (widget_button({x, y, half, 46 * s}, "Supprimer", has_selection)) {
        delete_pending = selected_slot;
        static const HudButton buttons[2] = {{"Oui, supprimer", delete_confirmed}, {"Annuler", delete_cancelled}};
        hud_dialog("Vos personnages",
                   hud_fmt("Supprimer définitivement %s ? Son équipement, ses quêtes et son niveau seront perdus.",
                           character_slots[selected_slot].name),
                   buttons, 2);
    }
    if (widget_button({x + half + 12 * s, y, half, 46 * s}, "Quitter le jeu")) plat_request_quit();
    ui_box_end();

    // The preview's caption and the two ways into the world.
    const float panel_right = panel.x + panel.w;
    UiRect alone, online;
    const float cx = character_preview_buttons(panel_right, &alone, &online);
    if (has_selection)
        character_preview_caption(panel_right, H - 190 * s,
                                  hud_fmt("%s de la Table ronde  ·  niveau %d", player.name, player.level), 30 * s);
    if (widget_button(alone, "Jouer seul", has_selection)) {
        play(false);
        return;
    }
    if (widget_button(online, "Jouer en ligne", has_selection)) {
        play(true);
        return;
    }
    if (has_selection && !dialog_open && (plat_input.key_pressed[KEY_ENTER] || plat_input.key_pressed[KEY_KEYPAD_ENTER])) {
        play(false);
        return;
    }
    // Under the two buttons, beside the list.
    widget_message(cx, H - 62 * s, panel_right + 20 * s, W - 20 * s);
    hud_draw_dialog();
}
