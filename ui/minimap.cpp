// The minimap: the world around the player, north up, in the top-right
// corner, with the gathering spots, the quest givers, the objectives, the
// other players, the player's arrow, and the name of the place under it.
#include <cmath>

#include "content/professions.h"
#include "net/net.h"
#include "platform/platform.h"
#include "play/player.h"
#include "play/quest_state.h"
#include "ui/maps.h"
#include "ui/map_marks.h"
#include "render/ui.h"
#include "world/camelot.h"
#include "play/catacomb_visits.h"
#include "world/terrain.h"
#include "world/world.h"
#include "content/quests.h"

namespace {

constexpr float SIZE = 230.0f;
constexpr float MARGIN = 14.0f;
constexpr float FRAME = 4.0f;
constexpr int MAX_NODE_MARKS = 96;

struct Disc {
    float x, z, r;
    const char* name;
};

// Checked in this order, the first that holds names the place.
const Disc wild_places[] = {
    {48, 328, 14, "Entrée des catacombes"},
    {-20, -995, 32, "La Chapelle Verte"},
    {170, -835, 40, "Camp des félons"},
    {-165, -715, 32, "Tanière des ours"},
};
const Disc first_zone_places[] = {
    {-224, -104, 44, "Camp des brigands"},
    {208, -156, 44, "Le bois des loups"},
    {36, 272, 68, "La lande du Val"},
    {160, 124, 44, "Camp des pillards"},
    {-96, -76, 64, "Lac de la Dame"},
};

bool in_disc(float x, float z, const Disc& d) { return std::hypot(x - d.x, z - d.z) <= d.r; }

float half_size(bool under) { return under ? 26.0f : 100.0f; }

// The objective panel's marks ("!" where to go, "?" where to turn in); one
// near or beyond the square's edge sits just inside it, toward the place,
// clear of the north letter. Objectives at one place (a giver's several
// quests) show one mark, the first the tracker lists.
void objective_marks(float px, float pz, bool under, const UiRect& r) {
    const float s = hud_scale;
    const float half = 0.9f * half_size(under);
    float drawn_x[HUD_TRACKER_SLOTS], drawn_y[HUD_TRACKER_SLOTS];
    int drawn = 0;
    for (int slot = 0; slot < HUD_TRACKER_SLOTS; ++slot) {
        Vec3 at;
        bool turn_in = false;
        if (!quest_panel_marker(slot, &at, &turn_in) || in_catacombs(at.x) != under) continue;
        float dx = at.x - px, dz = at.z - pz;
        float far = std::fmax(std::fabs(dx), std::fabs(dz)) / half;
        if (far > 1.0f) {
            dx /= far;
            dz /= far;
        }
        float sx, sy;
        if (!minimap_project(px, pz, px + dx, pz + dz, under, &sx, &sy)) continue;
        // The "N" stands at the top's middle: a mark there goes just below it.
        const float centre = r.x + r.w * 0.5f;
        if (sy - 8 * s < r.y + 20 * s && std::fabs(sx - centre) < 16 * s) sy = r.y + 28 * s;
        bool shown = false;
        for (int k = 0; k < drawn && !shown; ++k)
            shown = std::fabs(drawn_x[k] - sx) < 13 * s && std::fabs(drawn_y[k] - sy) < 17 * s;
        if (shown) continue;
        drawn_x[drawn] = sx;
        drawn_y[drawn] = sy;
        ++drawn;
        ui_rect(sx - 6 * s, sy - 8 * s, 12 * s, 16 * s, Vec4{0.08f, 0.06f, 0.02f, 0.85f});
        ui_text_centred(sx, sy - 8 * s, turn_in ? "?" : "!", 15 * s, HUD_GOLD, UI_FONT_TITLE);
    }
}

}  // namespace

const char* minimap_place_name(float x, float z, bool under) {
    if (under) {
        const char* room = catacomb_room_name(Vec3{x, 0.0f, z});
        return room ? room : "Les catacombes du Val sans Retour";
    }
    if (const char* site = place_name(x, z)) return site;
    for (const Disc& d : wild_places)
        if (in_disc(x, z, d)) return d.name;
    if (z < -400.0f) return "La Gaste Forêt";
    for (const Disc& d : first_zone_places)
        if (in_disc(x, z, d)) return d.name;
    if (const char* district = camelot_district(x, z)) return district;
    if (std::hypot(x + 80.0f, z - 96.0f) <= 30.0f) return "La vieille tour";
    if (std::hypot(x - 64.0f, z - 52.0f) <= 14.0f) return "Le cercle de pierres";
    return "Forêt de Tervanne";
}

UiRect minimap_rect() {
    const float s = hud_scale;
    float size = SIZE * s;
    return {(float)plat_input.client_width - MARGIN * s - size, MARGIN * s, size, size};
}

bool minimap_project(float px, float pz, float x, float z, bool under, float* sx, float* sy) {
    float half = half_size(under);
    float dx = x - px, dz = z - pz;
    if (std::fabs(dx) > 0.97f * half || std::fabs(dz) > 0.97f * half) return false;
    UiRect r = minimap_rect();
    // North (+z) up; seen from above with north up, +x lies to the left.
    *sx = r.x + r.w * 0.5f - dx / half * r.w * 0.5f;
    *sy = r.y + r.h * 0.5f - dz / half * r.h * 0.5f;
    return true;
}

void minimap_draw() {
    big_map_frame_check();
    const float s = hud_scale;
    const bool under = game_flags.underground != 0;
    UiRect r = minimap_rect();
    ui_rect(r.x - FRAME * s, r.y - FRAME * s, r.w + 2 * FRAME * s, r.h + 2 * FRAME * s,
            Vec4{0.04f, 0.05f, 0.04f, 0.92f});
    const float px = player.pos_x, pz = player.pos_z;
    const float half = half_size(under);
    float mx0, mz0, span;
    if (under) {
        mx0 = 998.0f; mz0 = -2.0f; span = 100.0f;
    } else {
        mx0 = WORLD_MAP_X0; mz0 = WORLD_MAP_Z0; span = WORLD_MAP_SPAN;
    }
    if (ui_map_ready()) {
        float u_left = (px + half - mx0) / span, u_right = (px - half - mx0) / span;
        float v_top = (pz + half - mz0) / span, v_bottom = (pz - half - mz0) / span;
        const float uv[8] = {u_left, v_top, u_right, v_top, u_right, v_bottom, u_left, v_bottom};
        ui_map(r.x, r.y, r.w, r.h, uv);
    }
    float sx, sy;
    if (!under) {
        int shown = 0;
        const GatherNode* nodes = gather_nodes();
        for (int i = 0; i < gather_node_count() && shown < MAX_NODE_MARKS; ++i) {
            if (nodes[i].regrow > 0.0f || !minimap_project(px, pz, nodes[i].x, nodes[i].z, false, &sx, &sy)) continue;
            map_mark_node(sx, sy, 3.5f * s, node_kind_is_ore(nodes[i].kind));
            ++shown;
        }
        for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
            Vec3 p = giver_position(g);
            if (p.y < -500.0f || !minimap_project(px, pz, p.x, p.z, false, &sx, &sy)) continue;
            int m = giver_marker(g);
            map_mark_person(sx, sy, 4.0f * s, m);
        }
    }
    for (int i = 0; i < net_max_players(); ++i) {
        Vec3 p;
        if (net_player_position(i, &p) && in_catacombs(p.x) == under && minimap_project(px, pz, p.x, p.z, under, &sx, &sy))
            map_mark_other_player(sx, sy, 4.0f * s);
    }
    map_mark_arrow(r.x + r.w * 0.5f, r.y + r.h * 0.5f, 9.0f * s, player.heading);
    {
        UiBoxScope square(r.x, r.y, r.w, r.h);
        objective_marks(px, pz, under, r);
        ui_text_centred(r.x + r.w * 0.5f, r.y + 2 * s, "N", 15 * s, HUD_GOLD, UI_FONT_TITLE);
    }

    const char* name = minimap_place_name(px, pz, under);
    float w = ui_text_width(name, 16 * s, UI_FONT_BODY) + 20 * s;
    if (w < r.w * 0.6f) w = r.w * 0.6f;
    float y = r.y + r.h + FRAME * s + 4 * s;
    ui_panel(r.x + (r.w - w) * 0.5f, y, w, 24 * s, Vec4{0.04f, 0.05f, 0.04f, 0.85f}, HUD_PANEL_BORDER,
             std::fmax(1.0f, s));
    UiBoxScope place(r.x + (r.w - w) * 0.5f, y, w, 24 * s, 0, std::fmax(1.0f, s));
    ui_text_centred(r.x + r.w * 0.5f, y + 3 * s, name, 16 * s, HUD_PARCHMENT, UI_FONT_BODY);
}
