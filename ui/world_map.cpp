// The big map ("Grande carte"): every zone at once or one zone at a time,
// zoomed with the wheel and panned by dragging, with four layers of markers,
// names under the pointer and the quests in hand; the catacombs underground.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "content/professions.h"
#include "net/net.h"
#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "play/quest_state.h"
#include "ui/map_marks.h"
#include "ui/maps.h"
#include "render/ui.h"
#include "render/ui_focus.h"
#include "sound/sound.h"
#include "world/camelot.h"
#include "world/terrain.h"
#include "world/world.h"
#include "content/quests.h"
#include "play/merchant.h"

namespace {

constexpr float COLUMN = 290.0f;
constexpr int MAX_MARKS = 256;

BigMapState map = {false, MAP_ZONE, 0, 1.0f, 0, 0, false, 0, 0, 0, 0, -1, 0, {true, true, true, true}, {0}};
bool was_open = false;

const char* const layer_names[LAYER_COUNT] = {"Lieux", "Personnages", "Objectifs de quête", "Plantes et filons"};

struct Mark {
    float sx, sy, radius;
    const char* name;
};
Mark marks[MAX_MARKS];
int mark_count = 0;

void add_mark(float sx, float sy, float radius, const char* name) {
    if (mark_count < MAX_MARKS && name && *name) marks[mark_count++] = {sx, sy, radius, name};
}

// The visible rectangle's size at the current zoom, and the centre kept so
// that the view never leaves its full rectangle.
void clamp_centre() {
    float x0, w, z0, h;
    big_map_view_rect(map.view, map.zone, &x0, &w, &z0, &h);
    float vw = w / map.zoom, vh = h / map.zoom;
    map.centre_x = clampf(map.centre_x, x0 + vw * 0.5f, x0 + w - vw * 0.5f);
    map.centre_z = clampf(map.centre_z, z0 + vh * 0.5f, z0 + h - vh * 0.5f);
}

void show_view(int view, int zone) {
    map.view = view;
    map.zone = zone;
    map.zoom = 1.0f;
    float x0, w, z0, h;
    big_map_view_rect(view, zone, &x0, &w, &z0, &h);
    map.centre_x = x0 + w * 0.5f;
    map.centre_z = z0 + h * 0.5f;
    map.dragging = false;
}

const char* zone_title(int zone) { return zone == 1 ? "La Gaste Forêt" : "Forêt de Tervanne"; }
const char* zone_levels(int zone) { return zone == 1 ? "niveaux 11 à 20" : "niveaux 1 à 10"; }

// The zone under a pointer on the map, by the terrain's own limits: the
// click and the outline agree on it; -1 off both.
int zone_at(float pointer_x, float pointer_y) {
    float x, z;
    big_map_to_world(pointer_x, pointer_y, &x, &z);
    if (std::fabs(x) > MAP_HALF_WIDTH) return -1;
    if (z >= ZONE_BORDER_Z && z <= MAP_NORTH) return 0;
    if (z >= MAP_SOUTH && z < ZONE_BORDER_Z) return 1;
    return -1;
}

}  // namespace

const BigMapState& big_map_state() { return map; }

void big_map_view_rect(int view, int zone, float* x0, float* w, float* z0, float* h) {
    if (view == MAP_CATACOMBS) {
        *x0 = 998.0f; *w = 100.0f; *z0 = -2.0f; *h = 100.0f;
    } else if (view == MAP_ALL_ZONES) {
        *x0 = -830.0f; *w = 1660.0f; *z0 = -1230.0f; *h = 1660.0f;
    } else if (zone == 1) {
        *x0 = -820.0f; *w = 1640.0f; *z0 = -1220.0f; *h = 830.0f;
    } else {
        *x0 = -820.0f; *w = 1640.0f; *z0 = -410.0f; *h = 830.0f;
    }
}

const char* big_map_title() {
    if (map.view == MAP_CATACOMBS) return "Les catacombes du Val sans Retour";
    if (map.view == MAP_ALL_ZONES) return "Les terres du royaume";
    return zone_title(map.zone);
}

void big_map_set_open(bool open) {
    map.open = open;
    game_flags.windows.map = open ? 1 : 0;
    was_open = open;
    if (!open) {
        map.dragging = false;
        return;
    }
    if (game_flags.underground)
        show_view(MAP_CATACOMBS, 0);
    else
        show_view(MAP_ZONE, in_gaste(player.pos_z) ? 1 : 0);
}

UiRect big_map_panel() {
    const float s = hud_scale;
    float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    float left = 30 * s, top = 86 * s;
    float avail_w = W - COLUMN * s - 60 * s - left, avail_h = H - top - 56 * s;
    float x0, w, z0, h;
    big_map_view_rect(map.view, map.zone, &x0, &w, &z0, &h);
    float aspect = w / h;
    float pw = avail_w, ph = avail_w / aspect;
    if (ph > avail_h) {
        ph = avail_h;
        pw = avail_h * aspect;
    }
    return {left + (avail_w - pw) * 0.5f, top, pw, ph};
}

void big_map_visible(float* x0, float* w, float* z0, float* h) {
    float fx0, fw, fz0, fh;
    big_map_view_rect(map.view, map.zone, &fx0, &fw, &fz0, &fh);
    *w = fw / map.zoom;
    *h = fh / map.zoom;
    *x0 = map.centre_x - *w * 0.5f;
    *z0 = map.centre_z - *h * 0.5f;
}

// North (+z) up and, seen from above, +x to the left, as the world looks.
void big_map_to_screen(float x, float z, float* sx, float* sy) {
    UiRect p = big_map_panel();
    float x0, w, z0, h;
    big_map_visible(&x0, &w, &z0, &h);
    *sx = p.x + (x0 + w - x) / w * p.w;
    *sy = p.y + (z0 + h - z) / h * p.h;
}

void big_map_to_world(float sx, float sy, float* x, float* z) {
    UiRect p = big_map_panel();
    float x0, w, z0, h;
    big_map_visible(&x0, &w, &z0, &h);
    *x = x0 + w - (sx - p.x) / p.w * w;
    *z = z0 + h - (sy - p.y) / p.h * h;
}

void big_map_wheel(float notches, float pointer_x, float pointer_y) {
    if (map.view == MAP_ALL_ZONES || notches == 0.0f) return;
    float wx, wz;
    big_map_to_world(pointer_x, pointer_y, &wx, &wz);
    UiRect p = big_map_panel();
    float fx = (pointer_x - p.x) / p.w, fy = (pointer_y - p.y) / p.h;
    map.zoom = clampf(map.zoom * std::pow(MAP_ZOOM_STEP, notches), 1.0f, MAP_ZOOM_MAX);
    float x0, w, z0, h;
    big_map_visible(&x0, &w, &z0, &h);
    // The same world point stays under the pointer.
    map.centre_x = wx - w + fx * w + w * 0.5f;
    map.centre_z = wz - h + fy * h + h * 0.5f;
    clamp_centre();
}

void big_map_drag_begin(float pointer_x, float pointer_y) {
    map.dragging = true;
    map.drag_x = pointer_x;
    map.drag_y = pointer_y;
    map.drag_centre_x = map.centre_x;
    map.drag_centre_z = map.centre_z;
}

void big_map_drag_to(float pointer_x, float pointer_y) {
    if (!map.dragging || map.view == MAP_ALL_ZONES) return;
    UiRect p = big_map_panel();
    float x0, w, z0, h;
    big_map_visible(&x0, &w, &z0, &h);
    // The map follows the pointer: right on screen is toward -x, down toward -z.
    map.centre_x = map.drag_centre_x + (pointer_x - map.drag_x) / p.w * w;
    map.centre_z = map.drag_centre_z + (pointer_y - map.drag_y) / p.h * h;
    clamp_centre();
}

void big_map_left_click(float pointer_x, float pointer_y) {
    if (map.view != MAP_ALL_ZONES || !big_map_panel().contains(pointer_x, pointer_y)) return;
    const int zone = zone_at(pointer_x, pointer_y);
    if (zone < 0) return;
    snd_play(SFX_CLICK, 0.6f);
    show_view(MAP_ZONE, zone);
}

void big_map_right_click() {
    if (map.view != MAP_ZONE) return;
    snd_play(SFX_CLICK, 0.6f);
    show_view(MAP_ALL_ZONES, 0);
}

namespace {

bool visible_on_panel(UiRect p, float sx, float sy) { return p.contains(sx, sy); }

// The places' names wait until the quests' markers are down, so that a
// name under a marker can step below it.
struct PendingLabel {
    float x, y;
    const char* text;
    float size;
};
constexpr int MAX_LABELS = 16;
PendingLabel labels[MAX_LABELS];
int label_count = 0;
UiRect objective_boxes[HUD_TRACKER_SLOTS];
int objective_count = 0;

// A short label under a marker.
void place_label(float sx, float sy, const char* text, float size) {
    if (label_count < MAX_LABELS) labels[label_count++] = {sx, sy + 6 * hud_scale, text, size};
}

// The names, each kept on the map and clear of the quests' markers. With a
// larger text (the map small beside it) a name that would cover one drawn
// before it goes under that one, or is left to its marker's hover where that
// does not clear it.
void draw_place_labels(UiRect p) {
    const float s = hud_scale;
    const bool larger_text = hud_text_size > HUD_TEXT_SIZE_DEFAULT;
    UiRect drawn[MAX_LABELS];
    int drawn_count = 0;
    auto covers_drawn = [&](UiRect r) {
        for (int k = 0; k < drawn_count; ++k)
            if (r.overlaps(drawn[k])) return k;
        return -1;
    };
    for (int i = 0; i < label_count; ++i) {
        const PendingLabel& l = labels[i];
        float w = ui_text_width(l.text, l.size, UI_FONT_BODY), h = l.size * 1.25f;
        float x = clampf(l.x - w * 0.5f, p.x + 3 * s, p.x + p.w - 3 * s - w), y = l.y;
        for (int k = 0; k < objective_count; ++k) {
            const UiRect& o = objective_boxes[k];
            if (UiRect{x, y, w, h}.overlaps(o)) y = o.y + o.h + 2 * s;
        }
        // Above its marker when the foot of the map would cut it.
        if (y + h > p.y + p.h - 2 * s) y = l.y - 12 * s - h;
        if (int k = larger_text ? covers_drawn({x, y, w, h}) : -1; k >= 0) {
            y = drawn[k].y + drawn[k].h + 1 * s;
            if (y + h > p.y + p.h - 2 * s || covers_drawn({x, y, w, h}) >= 0) continue;
        }
        ui_text(x, y, l.text, l.size, HUD_PARCHMENT, UI_FONT_BODY);
        drawn[drawn_count++] = {x, y, w, h};
    }
    label_count = 0;
    objective_count = 0;
}

void draw_places(UiRect p) {
    const float s = hud_scale;
    float sx, sy;
    auto place = [&](float x, float z, const char* hover, const char* label) {
        big_map_to_screen(x, z, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) return;
        map_mark_place(sx, sy, 5 * s);
        if (label) place_label(sx, sy, label, 13 * s);
        add_mark(sx, sy, 9 * s, hover);
    };
    if (map.view == MAP_CATACOMBS) return;
    place(48, 328, "Entrée des catacombes (niveau 10)", "Catacombes");
    place(64, 52, "Excalibur, plantée dans le roc", nullptr);
    Vec3 d;
    d = camelot_point(-76.5f, -70.0f);
    place(d.x, d.z, "Artisans", "Artisans");
    d = camelot_point(-40.0f, 0.0f);
    place(d.x, d.z, "Marché", "Marché");
    d = camelot_point(68.0f, 0.0f);
    place(d.x, d.z, "Château", "Château");
    place(-20, -995, "La Chapelle Verte (niveau 16)", "Chapelle Verte");
    Vec3 m = merchant_position();
    place(m.x, m.z, "Marchand  ·  enclume de forge à côté", nullptr);
    Vec3 l = lady_position();
    place(l.x, l.z, "Viviane, la Dame du Lac", nullptr);
    static char workshop[PROFESSION_COUNT][64];
    for (int i = 0; i < PROFESSION_COUNT; ++i) {
        float facing;
        Vec3 w = workshop_position(i, &facing);
        std::snprintf(workshop[i], sizeof workshop[i], "Atelier : %s", profession_defs[i].name);
        big_map_to_screen(w.x, w.z, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) continue;
        map_mark_place(sx, sy, 3.5f * s);
        add_mark(sx, sy, 7 * s, workshop[i]);
    }
    // The zone names with their levels, near the top of each zone.
    for (int zone = 0; zone < 2; ++zone) {
        if (map.view == MAP_ZONE && map.zone != zone) continue;
        // Toward the quiet western edge, clear of the camps and the moor.
        big_map_to_screen(-560.0f, zone == 0 ? 360.0f : -460.0f, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) continue;
        ui_text_centred(sx, sy, zone_title(zone), 20 * s, HUD_GOLD, UI_FONT_TITLE);
        ui_text_centred(sx, sy + 24 * s, zone_levels(zone), 14 * s, HUD_PARCHMENT, UI_FONT_BODY);
    }
}

void draw_people(UiRect p) {
    const float s = hud_scale;
    float sx, sy;
    const bool under = map.view == MAP_CATACOMBS;
    if (!under) {
        for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
            Vec3 q = giver_position(g);
            if (q.y < -500.0f) continue;
            big_map_to_screen(q.x, q.z, &sx, &sy);
            if (!visible_on_panel(p, sx, sy)) continue;
            int m = giver_marker(g);
            map_mark_person(sx, sy, 4.5f * s, m);
            add_mark(sx, sy, 9 * s, giver_map_name(g));
        }
    }
    for (int i = 0; i < net_max_players(); ++i) {
        Vec3 q;
        if (!net_player_position(i, &q) || in_catacombs(q.x) != under) continue;
        big_map_to_screen(q.x, q.z, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) continue;
        map_mark_other_player(sx, sy, 4.5f * s);
        add_mark(sx, sy, 9 * s, "Un autre joueur");
    }
    big_map_to_screen(player.pos_x, player.pos_z, &sx, &sy);
    if (visible_on_panel(p, sx, sy)) {
        map_mark_arrow(sx, sy, 11 * s, player.heading);
        add_mark(sx, sy, 11 * s, "Vous");
    }
}

void draw_objectives(UiRect p) {
    const float s = hud_scale;
    float sx, sy;
    for (int slot = 0; slot < HUD_TRACKER_SLOTS; ++slot) {
        Vec3 at;
        bool turn_in = false;
        if (!quest_panel_marker(slot, &at, &turn_in)) continue;
        if (in_catacombs(at.x) != (map.view == MAP_CATACOMBS)) continue;
        big_map_to_screen(at.x, at.z, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) continue;
        // A marker at the edge is pulled in to show whole.
        sx = clampf(sx, p.x + 8 * s, p.x + p.w - 8 * s);
        sy = clampf(sy, p.y + 11 * s, p.y + p.h - 11 * s);
        ui_rect(sx - 8 * s, sy - 11 * s, 16 * s, 22 * s, Vec4{0.08f, 0.06f, 0.02f, 0.85f});
        objective_boxes[objective_count++] = UiRect{sx - 8 * s, sy - 11 * s, 16 * s, 22 * s};
        ui_text_centred(sx, sy - 11 * s, turn_in ? "?" : "!", 20 * s, HUD_GOLD, UI_FONT_TITLE);
        const QuestTrackerEntry* e = hud_tracker_get(slot);
        add_mark(sx, sy, 11 * s, e ? e->title : nullptr);
    }
}

void draw_nodes(UiRect p) {
    if (map.view == MAP_CATACOMBS) return;
    const float s = hud_scale;
    float sx, sy;
    const GatherNode* nodes = gather_nodes();
    for (int i = 0; i < gather_node_count(); ++i) {
        if (nodes[i].regrow > 0.0f) continue;
        big_map_to_screen(nodes[i].x, nodes[i].z, &sx, &sy);
        if (!visible_on_panel(p, sx, sy)) continue;
        bool ore = node_kind_is_ore(nodes[i].kind);
        map_mark_node(sx, sy, (2.0f + 0.5f * map.zoom) * s, ore);
        add_mark(sx, sy, 6 * s, ore ? "Filon de minerai" : "Plante à cueillir");
    }
}

UiRect layer_box(int i) {
    const float s = hud_scale;
    float x = (float)plat_input.client_width - COLUMN * s - 20 * s;
    return {x, 120 * s + (float)i * 34 * s, COLUMN * s, 28 * s};
}

UiRect close_box() {
    const float s = hud_scale;
    UiRect p = big_map_panel();
    return {p.x + p.w - 30 * s, p.y - 40 * s, 30 * s, 30 * s};
}

bool input_live() { return !game_flags.paused && !hud_dialog_state().open && !game_flags.title_overlay; }

// The pad: the left stick pans the map (a full push crosses the panel in
// about a second and a half), the right trigger zooms in, the left one out,
// both about the panel's centre.
void pad_pan_and_zoom(UiRect p) {
    const PadState& pad = plat_input.pad;
    if (!pad.connected || map.dragging) return;
    float cx = p.x + p.w * 0.5f, cy = p.y + p.h * 0.5f;
    if (pad_pressed(pad, PAD_RT)) big_map_wheel(1.0f, cx, cy);
    if (pad_pressed(pad, PAD_LT)) big_map_wheel(-1.0f, cx, cy);
    float x, y;
    pad_stick(pad.axes[PAD_LX], pad.axes[PAD_LY], 0.2f, &x, &y);
    if (x == 0.0f && y == 0.0f) return;
    float step = 0.7f * p.w * (frame_dt > 0.0f ? frame_dt : 1.0f / 60.0f);
    big_map_drag_begin(cx, cy);
    big_map_drag_to(cx - x * step, cy - y * step);
    map.dragging = false;
}

void handle_input() {
    if (!input_live()) {
        map.dragging = false;
        return;
    }
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    UiRect p = big_map_panel();
    bool down = plat_input.button_down[0] != 0;
    bool pressed = plat_input.button_pressed[0] != 0 || (down && !plat_input.button_down_prev[0]);
    bool right = plat_input.button_pressed[1] != 0 ||
                 (plat_input.button_down[1] != 0 && !plat_input.button_down_prev[1]);
    if (pressed) {
        if (close_box().contains(mx, my)) {
            big_map_set_open(false);
            return;
        }
        for (int i = 0; i < LAYER_COUNT; ++i)
            if (layer_box(i).contains(mx, my)) map.layer[i] = !map.layer[i];
        if (p.contains(mx, my)) {
            if (map.view == MAP_ALL_ZONES)
                big_map_left_click(mx, my);
            else
                big_map_drag_begin(mx, my);
        }
    }
    if (map.dragging) {
        if (down)
            big_map_drag_to(mx, my);
        else
            map.dragging = false;
    }
    if (right && p.contains(mx, my)) big_map_right_click();
    if (plat_input.wheel != 0.0f && p.contains(mx, my)) big_map_wheel(plat_input.wheel, mx, my);
    pad_pan_and_zoom(p);
}

void draw_column() {
    const float s = hud_scale;
    UiRect first = layer_box(0);
    ui_panel(first.x - 14 * s, 70 * s, first.w + 24 * s, (float)plat_input.client_height - 140 * s,
             Vec4{0.05f, 0.07f, 0.06f, 0.96f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
    UiBoxScope column(first.x - 14 * s, 70 * s, first.w + 24 * s, (float)plat_input.client_height - 140 * s, 0,
                      std::fmax(1.0f, s));
    ui_text(first.x, first.y - 38 * s, "Afficher", 22 * s, HUD_GOLD, UI_FONT_TITLE);
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    for (int i = 0; i < LAYER_COUNT; ++i) {
        UiRect b = layer_box(i);
        bool hover = b.contains(mx, my);
        ui_panel(b.x, b.y + 4 * s, 20 * s, 20 * s, hover ? Vec4{0.2f, 0.24f, 0.16f, 1} : Vec4{0.1f, 0.13f, 0.1f, 1},
                 HUD_GOLD, std::fmax(1.0f, s));
        if (map.layer[i]) ui_rect(b.x + 5 * s, b.y + 9 * s, 10 * s, 10 * s, HUD_GOLD);
        ui_text(b.x + 30 * s, b.y + 4 * s, layer_names[i], 17 * s, HUD_PARCHMENT, UI_FONT_BODY);
    }
    float y = layer_box(LAYER_COUNT - 1).y + 56 * s;
    ui_text(first.x, y, "Quêtes en cours", 22 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 36 * s;
    int shown = 0;
    // The quests that fit the column; the journal holds the rest.
    const float bottom = (float)plat_input.client_height - 70 * s - 10 * s;
    for (int slot = 0; slot < HUD_TRACKER_SLOTS; ++slot) {
        const QuestTrackerEntry* e = hud_tracker_get(slot);
        if (!e || !e->shown) continue;
        const char* line = e->completed ? "Accomplie : à rendre" : (e->line_count > 0 ? e->lines[0] : "");
        float line_h = ui_text_wrapped_height(COLUMN * s - 10 * s, line, 14 * s, UI_FONT_BODY, 1.25f);
        // Room is kept for the "…" under it while more quests follow.
        bool more = false;
        for (int later = slot + 1; later < HUD_TRACKER_SLOTS && !more; ++later) {
            const QuestTrackerEntry* n = hud_tracker_get(later);
            more = n && n->shown;
        }
        if (y + 21 * s + line_h + (more ? 8 * s + 20 * s : 0.0f) > bottom) {
            ui_text(first.x, y, "…", 16 * s, HUD_PARCHMENT, UI_FONT_BODY);
            break;
        }
        ui_text(first.x, y, e->title, 16 * s, e->completed ? Vec4{0.5f, 0.9f, 0.4f, 1} : HUD_PARCHMENT, UI_FONT_BODY);
        y += 21 * s;
        y += ui_text_wrapped(first.x + 10 * s, y, COLUMN * s - 10 * s, line, 14 * s,
                             Vec4{0.73f, 0.69f, 0.58f, 1}, UI_FONT_BODY, 1.25f) + 8 * s;
        ++shown;
    }
    if (!shown) ui_text(first.x, y, "Aucune quête en cours", 16 * s, Vec4{0.73f, 0.69f, 0.58f, 1}, UI_FONT_BODY);
}

// In the all-zones view, the zone under the pointer is outlined and named.
void draw_zone_hover(UiRect p) {
    if (map.view != MAP_ALL_ZONES) return;
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    const float s = hud_scale;
    for (int zone = 0; zone < 2; ++zone) {
        float x0, w, z0, h;
        big_map_view_rect(MAP_ZONE, zone, &x0, &w, &z0, &h);
        float ax, ay, bx, by;
        big_map_to_screen(x0 + w, z0 + h, &ax, &ay);
        big_map_to_screen(x0, z0, &bx, &by);
        // Outlined by its view, which overlaps its neighbour's by a margin;
        // named where a click would show it.
        bool hover = p.contains(mx, my) && zone_at(mx, my) == zone;
        Vec4 c = hover ? Vec4{1.0f, 0.85f, 0.3f, 0.9f} : Vec4{0.83f, 0.68f, 0.24f, 0.35f};
        float t = (hover ? 3.0f : 1.5f) * s;
        ui_rect(ax, ay, bx - ax, t, c);
        ui_rect(ax, by - t, bx - ax, t, c);
        ui_rect(ax, ay, t, by - ay, c);
        ui_rect(bx - t, ay, t, by - ay, c);
        if (hover) {
            const char* name = zone_title(zone);
            float tw = ui_text_width(name, 22 * s, UI_FONT_TITLE) + 24 * s;
            float cx = (ax + bx) * 0.5f, cy = (ay + by) * 0.5f;
            ui_panel(cx - tw * 0.5f, cy - 26 * s, tw, 58 * s, Vec4{0.04f, 0.05f, 0.04f, 0.85f}, HUD_PANEL_BORDER,
                     std::fmax(1.0f, s));
            UiBoxScope name_box(cx - tw * 0.5f, cy - 26 * s, tw, 58 * s, UI_BOX_LAYER, std::fmax(1.0f, s));
            ui_text_centred(cx, cy - 22 * s, name, 22 * s, HUD_GOLD, UI_FONT_TITLE);
            ui_text_centred(cx, cy + 6 * s, zone_levels(zone), 15 * s, HUD_PARCHMENT, UI_FONT_BODY);
        }
    }
}

}  // namespace

void map_screen_draw() {
    if (!was_open) big_map_set_open(true);  // opened by its key since the last frame
    handle_input();
    if (!game_flags.windows.map) return;
    const float s = hud_scale;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    ui_rect(0, 0, W, H, Vec4{0.01f, 0.02f, 0.02f, 0.82f});
    UiBoxScope screen(0, 0, W, H, UI_BOX_LAYER);
    UiRect p = big_map_panel();
    ui_text(p.x, p.y - 44 * s, big_map_title(), 30 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_rect(p.x - 4 * s, p.y - 4 * s, p.w + 8 * s, p.h + 8 * s, Vec4{0.04f, 0.05f, 0.04f, 1.0f});
    if (ui_map_ready()) {
        float mx0 = map.view == MAP_CATACOMBS ? 998.0f : WORLD_MAP_X0;
        float mz0 = map.view == MAP_CATACOMBS ? -2.0f : WORLD_MAP_Z0;
        float span = map.view == MAP_CATACOMBS ? 100.0f : WORLD_MAP_SPAN;
        float x0, w, z0, h;
        big_map_visible(&x0, &w, &z0, &h);
        float ul = (x0 + w - mx0) / span, ur = (x0 - mx0) / span;
        float vt = (z0 + h - mz0) / span, vb = (z0 - mz0) / span;
        const float uv[8] = {ul, vt, ur, vt, ur, vb, ul, vb};
        ui_map(p.x, p.y, p.w, p.h, uv);
    }
    UiRect c = close_box();
    ui_focus_claim_stick();
    ui_focus_add(c.x, c.y, c.w, c.h);
    for (int i = 0; i < LAYER_COUNT; ++i) {
        UiRect b = layer_box(i);
        ui_focus_add(b.x, b.y, b.w, b.h);
    }
    if (map.view == MAP_ALL_ZONES) {
        // Each zone is a place of its own: A on it shows it.
        for (int zone = 0; zone < 2; ++zone) {
            float x0, w, z0, h, ax, ay, bx, by;
            big_map_view_rect(MAP_ZONE, zone, &x0, &w, &z0, &h);
            big_map_to_screen(x0 + w, z0 + h, &ax, &ay);
            big_map_to_screen(x0, z0, &bx, &by);
            ax = std::fmax(ax, p.x), ay = std::fmax(ay, p.y);
            bx = std::fmin(bx, p.x + p.w), by = std::fmin(by, p.y + p.h);
            ui_focus_add(ax, ay, bx - ax, by - ay);
        }
    } else {
        ui_focus_add(p.x + p.w * 0.4f, p.y + p.h * 0.4f, p.w * 0.2f, p.h * 0.2f);
    }
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    ui_panel(c.x, c.y, c.w, c.h, c.contains(mx, my) ? Vec4{0.22f, 0.28f, 0.18f, 1} : Vec4{0.12f, 0.17f, 0.13f, 1},
             Vec4{0.83f, 0.68f, 0.24f, 0.8f}, std::fmax(1.0f, s));
    {
        UiBoxScope close(c.x, c.y, c.w, c.h);
        ui_text_centred(c.x + c.w * 0.5f, c.y + 1 * s, "×", 24 * s, HUD_GOLD, UI_FONT_BODY);
    }

    mark_count = 0;
    {
        UiBoxScope on_map(p.x, p.y, p.w, p.h);
        draw_zone_hover(p);
        if (map.layer[LAYER_NODES]) draw_nodes(p);
        if (map.layer[LAYER_PLACES]) draw_places(p);
        if (map.layer[LAYER_OBJECTIVES]) draw_objectives(p);
        draw_place_labels(p);
        if (map.layer[LAYER_PEOPLE]) draw_people(p);
    }

    // The marker nearest to the pointer, within its radius, is named.
    map.hovered = -1;
    map.hover_text[0] = 0;
    for (int i = 0; i < mark_count; ++i) {
        float d = std::hypot(marks[i].sx - mx, marks[i].sy - my);
        if (d <= marks[i].radius && (map.hovered < 0 || d < map.hovered_distance)) {
            map.hovered = i;
            map.hovered_distance = d;
        }
    }
    if (map.hovered >= 0) {
        std::snprintf(map.hover_text, sizeof map.hover_text, "%s", marks[map.hovered].name);
        float tw = ui_text_width(map.hover_text, 16 * s, UI_FONT_BODY) + 20 * s;
        float x = std::fmin(mx + 16 * s, W - tw);
        ui_panel(x, my + 14 * s, tw, 28 * s, Vec4{0.04f, 0.05f, 0.04f, 0.95f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
        UiBoxScope tip(x, my + 14 * s, tw, 28 * s, UI_BOX_LAYER, std::fmax(1.0f, s));
        ui_text(x + 10 * s, my + 18 * s, map.hover_text, 16 * s, HUD_PARCHMENT, UI_FONT_BODY);
    }
    draw_column();

    const char* hint;
    if (ui_focus_pad_hints())
        hint = map.view == MAP_ALL_ZONES ? "Choisissez une zone, A pour l'afficher  ·  B : fermer"
               : map.view == MAP_ZONE
                   ? "Gâchettes : zoom  ·  stick gauche : déplacer la carte  ·  X : toutes les zones  ·  B : fermer"
                   : "Gâchettes : zoom  ·  stick gauche : déplacer la carte  ·  B : fermer";
    else
        hint = map.view == MAP_ALL_ZONES
                   ? "Survolez une zone, clic gauche pour l'afficher  ·  M ou Échap : fermer"
               : map.view == MAP_ZONE
                   ? "Molette : zoom  ·  glisser : déplacer la carte  ·  clic droit : toutes les zones  ·  M "
                     "ou Échap : fermer"
                   : "Molette : zoom  ·  glisser : déplacer la carte  ·  M ou Échap : fermer";
    ui_text_centred(W * 0.5f, H - 36 * s, hint, 16 * s, Vec4{0.73f, 0.69f, 0.58f, 1}, UI_FONT_BODY);
}

// Closed by another window's key or a character load: the next opening starts afresh.
void big_map_frame_check() {
    if (!game_flags.windows.map && was_open) {
        was_open = false;
        map.open = false;
        map.dragging = false;
    }
}
