// Going down into the catacombs and coming back: the garrison placed on each
// entry, the prompts of the cave, the portal, the passage and the ossuary
// chest, the fall of the crypt's lord, room names and the exploration map.
#include "play/catacomb_visits.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/rng.h"
#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "common/game_events.h"
#include "play/play_calls.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/ui.h"
#include "sound/sound.h"
#include "world/terrain.h"
#include "world/world.h"
#include "play/items.h"
#include "play/population.h"

namespace {

CatacombState state;
Rng garrison{0xC4A7AC0Bu};
uint8_t* map_pixels = nullptr;

// Where the player comes out on the heath, facing away from the cave.
constexpr float MOUTH_X = 47.06f, MOUTH_Z = 323.6f;
const float MOUTH_HEADING = std::atan2(-0.2095f, -0.9778f);

const char* interact_key() {
    static char name[48];
    plat_key_name(bindings[BIND_INTERACT], name, (int)sizeof name);
    return name;
}

void place_player(Vec3 p, float heading) {
    player.pos_x = p.x;
    player.pos_y = p.y;
    player.pos_z = p.z;
    player.heading = heading;
    player.vertical_speed = 0.0f;
    player.on_ground = 1;
    player.ground_speed = 0.0f;
    player.camera_yaw = heading;
    player.camera_pos = {p.x - 3.0f * std::sin(heading), p.y + 2.2f, p.z - 3.0f * std::cos(heading)};
    player.target = nullptr;
    player.target_hold = 0.0f;
}

void close_dialog() {
    if (hud_dialog_state().open) hud_dialog_close();
}

// ---- Garrison ---------------------------------------------------------------------------------

Creature* guard(int species, Vec3 at, Vec3 patrol, int level) {
    Creature* c = spawn_creature_making_room(species, at, at);
    if (!c) return nullptr;
    c->world = WORLD_CATACOMBS;
    c->patrol_point = patrol;
    c->heading = 2.0f * PI * rng_float(garrison);
    if (level > 0) set_creature_level(c, level);
    return c;
}

bool in_guarded_room(int i, int j) {
    int r = catacomb_room_of_cell(i, j);
    return r == ROOM_VESTIBULE || r == ROOM_OSSUARY || r == ROOM_GUARDS_WEST || r == ROOM_GUARDS_EAST;
}

void garrison_main_path(bool on_path[CATACOMB_CELLS][CATACOMB_CELLS]) {
    int pi[CATACOMB_CELLS * CATACOMB_CELLS], pj[CATACOMB_CELLS * CATACOMB_CELLS];
    int L = catacomb_main_path(pi, pj, CATACOMB_CELLS * CATACOMB_CELLS);
    for (int k = 0; k < L; ++k) on_path[pi[k]][pj[k]] = true;
    for (int k = L - 4; k >= 2; k -= 3) {
        if (in_guarded_room(pi[k], pj[k])) continue;
        Vec3 c = catacomb_cell_centre(pi[k], pj[k]);
        float f = 1.0f - (float)k / (float)L;
        int first = f < 0.35f ? SP_SKELETON : (f < 0.7f ? SP_SKELETON_ARCHER : SP_BONE_GUARDIAN);
        int second = SP_SKELETON;
        if (f >= 0.5f && rng_float(garrison) >= 0.5f) second = SP_SKELETON_ARCHER;
        // One walks toward the crypt, the other toward the way in.
        guard(first, c + Vec3{0.8f, 0, 0.6f}, catacomb_cell_centre(pi[k - 1], pj[k - 1]), 0);
        guard(second, c - Vec3{0.8f, 0, 0.6f}, catacomb_cell_centre(pi[k + 1], pj[k + 1]), 0);
    }
}

// The neighbour one step nearer the way in, or the cell itself.
void step_toward_start(int* i, int* j) {
    int here = catacomb_distance(*i, *j);
    for (int d = 0; d < 4; ++d)
        if (catacomb_wall_open(*i, *j, d) && catacomb_distance(*i + DIR_DX[d], *j + DIR_DZ[d]) == here - 1) {
            *i += DIR_DX[d];
            *j += DIR_DZ[d];
            return;
        }
}

// Dead ends and forks off the main path: every second one, far enough from
// the vestibule, holds a skeleton pacing the corridor that leads to it,
// warriors and archers in turn.
void garrison_side_corridors(const bool on_path[CATACOMB_CELLS][CATACOMB_CELLS]) {
    int candidates = 0, placed = 0;
    for (int j = 0; j < CATACOMB_CELLS && placed < 12; ++j)
        for (int i = 0; i < CATACOMB_CELLS && placed < 12; ++i) {
            if (on_path[i][j] || catacomb_room_of_cell(i, j) >= 0 || catacomb_distance(i, j) < 4) continue;
            int open = 0;
            for (int d = 0; d < 4; ++d) open += catacomb_wall_open(i, j, d) ? 1 : 0;
            if (open != 1 && open < 3) continue;
            if (candidates++ % 2) continue;
            int ti = i, tj = j;
            step_toward_start(&ti, &tj);
            if (open == 1) step_toward_start(&ti, &tj);
            Vec3 c = catacomb_cell_centre(i, j);
            Vec3 at = c + Vec3{rng_range(garrison, -0.5f, 0.5f), 0, rng_range(garrison, -0.5f, 0.5f)};
            guard(placed % 2 ? SP_SKELETON_ARCHER : SP_SKELETON, at, catacomb_cell_centre(ti, tj), 0);
            ++placed;
        }
}

void garrison_rooms() {
    // Guard rooms: a bone guardian at the centre, an archer at each side.
    const Vec3 guard_rooms[2] = {catacomb_cell_centre(3, 5), {1078.0f, 0.0f, 63.0f}};
    for (const Vec3& g : guard_rooms) {
        guard(SP_BONE_GUARDIAN, g, g, 10);
        guard(SP_SKELETON_ARCHER, g + Vec3{-2.2f, 0, -0.8f}, g + Vec3{-2.2f, 0, -0.8f}, 10);
        guard(SP_SKELETON_ARCHER, g + Vec3{2.2f, 0, -0.8f}, g + Vec3{2.2f, 0, -0.8f}, 10);
    }
    // The ossuary round its chest.
    guard(SP_BONE_GUARDIAN, {1048.0f, 0, 50.2f}, {1048.0f, 0, 50.2f}, 10);
    guard(SP_SKELETON, {1050.4f, 0, 48.0f}, {1050.4f, 0, 45.0f}, 10);
    guard(SP_SKELETON, {1045.6f, 0, 48.0f}, {1045.6f, 0, 51.0f}, 10);
    guard(SP_SKELETON_ARCHER, {1048.0f, 0, 45.4f}, {1048.0f, 0, 45.4f}, 10);
    // Two guardians before the crypt's door.
    guard(SP_BONE_GUARDIAN, {1047.0f, 0, 73.8f}, {1047.0f, 0, 73.8f}, 10);
    guard(SP_BONE_GUARDIAN, {1049.0f, 0, 73.8f}, {1049.0f, 0, 73.8f}, 10);
}

void spawn_lord() {
    Vec3 throne = {1048.0f, 0.0f, 85.3f};
    Creature* b = spawn_creature_making_room(SP_BOSS, throne, throne);
    if (!b) {
        log_printf("Catacombes : plus de place pour Bréhus.");
        return;
    }
    b->world = WORLD_CATACOMBS;
    b->level = 10;
    b->heading = PI;
    b->ai_state = CS_IDLE;
}

// ---- Exploration --------------------------------------------------------------------------------

bool mark_cell(int i, int j) {
    if (i < 0 || j < 0 || i >= CATACOMB_CELLS || j >= CATACOMB_CELLS || state.seen[i][j]) return false;
    state.seen[i][j] = 1;
    return true;
}

bool mark_with_room(int i, int j) {
    bool fresh = mark_cell(i, j);
    int r = catacomb_room_of_cell(i, j);
    if (r >= 0) {
        const CatacombRoom& m = catacomb_rooms[r];
        for (int a = m.i0; a <= m.i1; ++a)
            for (int b = m.j0; b <= m.j1; ++b) fresh = mark_cell(a, b) || fresh;
    }
    return fresh;
}

// Cells bordering a grid square along one axis (one for a cell square, two
// for a wall line).
int axis_cells(int g, int out[2]) {
    if (g < 0 || g >= CATACOMB_GRID) return 0;
    if (g % 2) {
        out[0] = (g - 1) / 2;
        return 1;
    }
    int n = 0;
    if (g / 2 - 1 >= 0) out[n++] = g / 2 - 1;
    if (g / 2 < CATACOMB_CELLS) out[n++] = g / 2;
    return n;
}

}  // namespace

// ---- Entering and leaving ---------------------------------------------------------------------------

void catacombs_enter() {
    if (game_flags.underground) return;
    // Made at the first descent, not at start-up: most visits to the game
    // never go below.
    catacomb_geometry_build();
    close_dialog();
    std::memset(state.seen, 0, sizeof(state.seen));
    state.chest_opened = 0;
    state.passage_open = 0;
    state.time_underground = 0.0f;
    garrison.state = 0xC4A7AC0Bu;

    // The previous visit's garrison goes first: a table that filled up with
    // old visits would leave no room for the lord.
    clear_world_creatures(WORLD_CATACOMBS);
    spawn_lord();
    bool on_path[CATACOMB_CELLS][CATACOMB_CELLS] = {};
    garrison_main_path(on_path);
    garrison_side_corridors(on_path);
    garrison_rooms();
    int n = 0;
    for (const Creature& c : creatures) n += c.in_use && c.world == WORLD_CATACOMBS ? 1 : 0;
    log_printf("Catacombes : %d créatures en garnison.", n);

    game_flags.underground = 1;
    place_player({CATACOMB_VESTIBULE_X, 0.0f, CATACOMB_VESTIBULE_Z}, 0.0f);
    hud_fade(1.4f);
    snd_play(SFX_PORTAL_HUM, 1.0f);
    result_message("Les Catacombes du Val sans Retour", 3.2f);
    catacombs_step(0.0f);
    catacombs_map_paint();
}

void catacombs_leave() {
    if (!game_flags.underground) return;
    close_dialog();
    game_flags.underground = 0;
    clear_world_creatures(WORLD_CATACOMBS);
    place_player({MOUTH_X, ground_height(MOUTH_X, MOUTH_Z), MOUTH_Z}, MOUTH_HEADING);
    world_map_upload();
    world_population_on_return();
    hud_fade(1.4f);
    snd_play(SFX_PORTAL_HUM, 1.0f);
    result_message("La lande du Val", 2.5f);
    // Back on the surface: a save keeps what the dungeon gave.
    result_save_wanted();
}

void catacombs_boss_defeated() {
    state.passage_open = 1;
    for (Creature& c : creatures)
        if (c.minion && creature_alive(&c)) damage_creature(&c, c.health + 1.0f);
    result_message("Bréhus sans Pitié est vaincu !\nUn passage s'ouvre au fond de la crypte.", 4.0f);
    snd_play(SFX_FANFARE, 1.0f);
}

// ---- Prompts --------------------------------------------------------------------------------------------

static void enter_anyway() { catacombs_enter(); }

static bool chest_guarded() {
    for (const Creature& c : creatures) {
        if (!creature_alive(&c) || c.world != WORLD_CATACOMBS || c.companion) continue;
        if (hdist(c.pos, CATACOMB_CHEST_X, CATACOMB_CHEST_Z) < 7.0f) return true;
    }
    return false;
}

static void open_chest() {
    if (chest_guarded()) {
        result_message("Les gardiens de l'ossuaire vous en empêchent !", 1.6f);
        return;
    }
    static const int pick[6] = {43, 44, 45, 46, 43, 46};
    int index = (int)(rng_float(creature_rng) * 6.0f);
    int items[2] = {pick[index > 5 ? 5 : index], 27};
    // Nothing is lost to a full bag: the chest waits until both fit.
    if (!play_calls.give_items_fit(items, 2, "coffre de l'ossuaire")) {
        result_message("Votre sac est plein.", 1.6f);
        return;
    }
    state.chest_opened = 1;
    int money = 40 + (int)std::floor(30.0f * rng_float(creature_rng));
    player.purse += money;
    result_message(hud_fmt("Le coffre contenait %d deniers.", money), 2.0f);
    snd_play(SFX_COINS, 1.0f);
}

bool catacombs_interact(bool requested) {
    Vec3 p = player_feet();
    if (!game_flags.underground) {
        if (hdist(p, CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z) > 3.6f) return false;
        hud_prompt(true, hud_fmt("%s  ·  Entrer dans les Catacombes du Val sans Retour", interact_key()));
        if (!requested) return true;
        if (player.level >= 10) {
            catacombs_enter();
        } else {
            static const HudButton buttons[2] = {{"Entrer quand même", enter_anyway}, {"Rester dehors", nullptr}};
            hud_dialog("Les Catacombes du Val sans Retour",
                       hud_fmt("Une odeur de pierre froide et de vieux os monte de la caverne. Une stèle prévient : "
                               "« Ici dorment les chevaliers félons de Morgane, et leur maître, Bréhus sans Pitié ».\n\n"
                               "Les créatures y sont de niveau 9 et 10, et vous n'êtes que de niveau %d.",
                               player.level),
                       buttons, 2);
        }
        return true;
    }
    if (hdist(p, CATACOMB_PORTAL_X, CATACOMB_PORTAL_Z) <= 3.0f) {
        hud_prompt(true, hud_fmt("%s  ·  Quitter les catacombes", interact_key()));
        if (requested) catacombs_leave();
        return true;
    }
    if (state.passage_open && hdist(p, CATACOMB_PASSAGE_X, CATACOMB_PASSAGE_Z) <= 3.0f) {
        hud_prompt(true, hud_fmt("%s  ·  Emprunter le passage vers la lande", interact_key()));
        if (requested) catacombs_leave();
        return true;
    }
    if (!state.chest_opened && hdist(p, CATACOMB_CHEST_X, CATACOMB_CHEST_Z) <= 2.2f) {
        hud_prompt(true, hud_fmt("%s  ·  Ouvrir le coffre de l'ossuaire", interact_key()));
        if (requested) open_chest();
        return true;
    }
    return false;
}

// ---- Per frame ----------------------------------------------------------------------------------------

void catacombs_step(float dt) {
    if (dt > 0.0f) state.time_underground += dt;
    int i, j;
    catacomb_lookup_cell(player_feet(), &i, &j);
    bool fresh = mark_with_room(i, j);
    for (int d = 0; d < 4; ++d)
        if (catacomb_wall_open(i, j, d)) fresh = mark_with_room(i + DIR_DX[d], j + DIR_DZ[d]) || fresh;
    if (fresh && dt > 0.0f) catacombs_map_paint();
}

void catacombs_update(float dt) {
    if (game_flags.underground) catacombs_step(dt);
}

void catacombs_submit() {
    if (!game_flags.underground) return;
    catacomb_geometry_submit(state.chest_opened != 0, state.passage_open != 0, player_feet());
}

void catacombs_portal_labels_draw() {
    if (!game_flags.underground) return;
    Vec3 p = player_feet();
    if (hdist(p, CATACOMB_PORTAL_X, CATACOMB_PORTAL_Z) <= 14.0f)
        hud_world_label({CATACOMB_PORTAL_X, 3.95f, 1.4f}, "Portail vers la lande", 0.15f,
                        Vec4{0.65f, 0.85f, 1.0f, 1.0f}, UI_FONT_TITLE);
    if (state.passage_open && hdist(p, CATACOMB_PASSAGE_X, CATACOMB_PASSAGE_Z) <= 16.0f)
        hud_world_label({CATACOMB_PASSAGE_X, 2.6f, CATACOMB_PASSAGE_Z}, "Passage vers la lande", 0.15f,
                        Vec4{0.65f, 0.85f, 1.0f, 1.0f}, UI_FONT_TITLE);
    if (!state.chest_opened && hdist(p, CATACOMB_CHEST_X, CATACOMB_CHEST_Z) <= 12.0f) {
        float bob = 0.08f * std::sin(3.0f * (float)game_clock);
        hud_world_label({CATACOMB_CHEST_X, 1.35f + bob, CATACOMB_CHEST_Z}, "◆", 0.2f, Vec4{1.0f, 0.85f, 0.3f, 1.0f},
                        UI_FONT_BODY);
    }
}

// ---- Names and the map ------------------------------------------------------------------------------

const char* catacomb_room_name(Vec3 p) {
    if (catacomb_room_contains(ROOM_CRYPT, p.x - CATACOMB_X0, p.z)) return catacomb_rooms[ROOM_CRYPT].name;
    int i, j;
    catacomb_lookup_cell(p, &i, &j);
    int r = catacomb_room_of_cell(i, j);
    return r >= 0 ? catacomb_rooms[r].name : "Catacombes du Val sans Retour";
}

uint8_t catacomb_cell_seen(Vec3 p) {
    int i, j;
    catacomb_lookup_cell(p, &i, &j);
    return state.seen[i][j];
}

const CatacombState& catacombs_state() { return state; }

void catacombs_map_paint() {
    if (!map_pixels) {
        map_pixels = (uint8_t*)std::malloc((size_t)CATACOMB_MAP_SIZE * CATACOMB_MAP_SIZE * 4);
        if (!map_pixels) return;
    }
    const float step = 100.0f / (float)CATACOMB_MAP_SIZE;
    for (int r = 0; r < CATACOMB_MAP_SIZE; ++r) {
        float lz = -2.0f + ((float)r + 0.5f) * step;
        int gz = catacomb_grid_index(lz);
        int cj[2];
        int nj = axis_cells(gz, cj);
        for (int c = 0; c < CATACOMB_MAP_SIZE; ++c) {
            float lx = -2.0f + ((float)c + 0.5f) * step;
            int gx = catacomb_grid_index(lx);
            int ci[2];
            int ni = axis_cells(gx, ci);
            bool seen = false;
            int room = -1;
            for (int a = 0; a < ni; ++a)
                for (int b = 0; b < nj; ++b) {
                    seen = seen || state.seen[ci[a]][cj[b]];
                    if (room < 0) room = catacomb_room_of_cell(ci[a], cj[b]);
                }
            uint8_t* px = map_pixels + ((size_t)r * CATACOMB_MAP_SIZE + (size_t)c) * 4;
            uint8_t rgb[3] = {10, 10, 12};
            if (seen && ni > 0 && nj > 0) {
                if (catacomb_grid_at(gx, gz)) {
                    rgb[0] = 74; rgb[1] = 66; rgb[2] = 58;
                } else if (room == ROOM_GUARDS_WEST || room == ROOM_GUARDS_EAST) {
                    rgb[0] = 168; rgb[1] = 104; rgb[2] = 86;
                } else if (room == ROOM_CRYPT) {
                    rgb[0] = 132; rgb[1] = 104; rgb[2] = 140;
                } else {
                    rgb[0] = 168; rgb[1] = 156; rgb[2] = 132;
                }
            }
            px[0] = rgb[0];
            px[1] = rgb[1];
            px[2] = rgb[2];
            px[3] = 255;
        }
    }
    if (game_flags.underground) ui_map_upload(map_pixels, CATACOMB_MAP_SIZE, CATACOMB_MAP_SIZE);
}

const uint8_t* catacombs_map_pixels() { return map_pixels; }

uint32_t catacombs_map_checksum() {
    if (!map_pixels) return 0;
    uint32_t h = 2166136261u;
    size_t n = (size_t)CATACOMB_MAP_SIZE * CATACOMB_MAP_SIZE * 4;
    for (size_t k = 0; k < n; ++k) {
        h ^= map_pixels[k];
        h *= 16777619u;
    }
    return h;
}
