// What dead creatures carry: the roll at their death (boss tables, quest
// objects by place, the tables of each kind of creature, money), and the
// loot window that takes it into the bag.
#include "play/loot.h"

#include <cmath>

#include "common/game_events.h"
#include "common/game_time.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "sound/sound.h"

Rng loot_rng = {0};

namespace {

constexpr float LOOT_REACH = 3.5f;
constexpr float LOOT_KEEP_OPEN = 5.0f;

float draw() { return rng_float(loot_rng); }

template <int N>
int pick(const int (&table)[N]) {
    int i = (int)(draw() * (float)N);
    return table[i < N ? i : N - 1];
}

void maybe(Creature* c, float p, int id) {
    if (draw() < p) loot_add(c, id);
}

// Boss tables; the first row also serves any boss without one.
const int grognard_table[] = {28, 29, 28, 29, 30, 31, 19, 18};
const int gueule_grise_table[] = {40, 60, 40, 60, 39};
const int gaudin_table[] = {57, 58, 57, 58, 36, 35};
const int ossian_table[] = {59, 43, 59, 44, 45, 46};
const int green_knight_table[] = {91, 92, 91, 92, 83, 84};
const int crocs_noirs_table[] = {12, 13, 14, 15, 16, 12};
const int brian_table[] = {112, 113, 112, 113, 78};
const int rion_table[] = {59, 43, 44, 45, 46, 84};
const int blanchecrins_table[] = {82, 81, 82, 85};

int boss_table_pick(int row) {
    switch (row) {
        case ELITE_GUEULE_GRISE: return pick(gueule_grise_table);
        case ELITE_GAUDIN: return pick(gaudin_table);
        case ELITE_OSSIAN: return pick(ossian_table);
        case ELITE_GREEN_KNIGHT: return pick(green_knight_table);
        case ELITE_CROCS_NOIRS: return pick(crocs_noirs_table);
        case ELITE_BRIAN: return pick(brian_table);
        case ELITE_RION: return pick(rion_table);
        case ELITE_BLANCHECRINS: return pick(blanchecrins_table);
        default: return pick(grognard_table);
    }
}

void roll_boss(Creature* c, int player_class) {
    int row = c->elite_index;
    int first = boss_table_pick(row);
    loot_add(c, first);
    if (draw() < 0.5f) {
        int second = boss_table_pick(row);
        if (second != first) loot_add(c, second);
    }
    loot_add(c, row == ELITE_GREEN_KNIGHT ? 86 : 27);
    if (row == ELITE_GUEULE_GRISE || row == ELITE_BLANCHECRINS) {
        loot_add(c, 41);
        loot_add(c, 41);
    } else if (row == ELITE_GREEN_KNIGHT) {
        // His purse is his own, drawn below.
    } else {
        c->loot_money = (int)((row == ELITE_GROGNARD ? 30.0f : 45.0f) + draw() * 25.0f);
    }
    if (row == ELITE_OSSIAN) loot_add(c, 47);
    if (row == ELITE_GREEN_KNIGHT) {
        static const int weapons[3] = {93, 94, 95};
        if (draw() < 0.5f) loot_add(c, weapons[player_class >= 0 && player_class < 3 ? player_class : 0]);
        c->loot_money = (int)(90.0f + draw() * 50.0f);
    }
}

struct QuestPlace {
    float x, z, p;
    int id;
};
const QuestPlace quest_places[] = {
    {110.0f, -40.0f, 0.55f, 96}, {430.0f, -130.0f, 0.5f, 98}, {-520.0f, -60.0f, 0.25f, 97}, {-560.0f, -930.0f, 0.4f, 99}};

const int boar_table[] = {4, 5, 6, 7, 8, 24, 2, 1};
const int wolf_table[] = {37, 38, 20, 30};
const int brigand_table[] = {35, 37, 38, 35, 37, 38, 16, 17, 14, 18, 39, 36, 21};
const int skeleton_table[] = {43, 44, 45, 46, 36, 39, 40, 19};
const int crypt_lord_table[] = {48, 49, 50, 51, 52};
const int bear_table[] = {81, 82, 85, 85, 82};
const int felon_table[] = {79, 80, 79, 80, 77, 78, 83, 84, 82};
const int other_table[] = {12, 13, 15, 24, 12, 13, 15, 24, 16, 17, 20, 21, 9, 14, 18, 19};

int money(float a, float b) { return (int)(a + draw() * b); }

void roll_ordinary(Creature* c) {
    for (const QuestPlace& q : quest_places)
        if (std::hypot(c->pos.x - q.x, c->pos.z - q.z) < 90.0f) maybe(c, q.p, q.id);
    switch (c->species) {
        case SP_BOAR:
            maybe(c, 0.45f, 10);
            maybe(c, 0.3f, 11);
            if (draw() < 0.14f) loot_add(c, pick(boar_table));
            break;
        case SP_WOLF:
            maybe(c, 0.5f, 41);
            maybe(c, 0.4f, 42);
            maybe(c, 0.06f, 40);
            if (draw() < 0.1f) loot_add(c, pick(wolf_table));
            break;
        case SP_BRIGAND:
            c->loot_money = money(8.0f, 18.0f);
            if (draw() < 0.35f) loot_add(c, pick(brigand_table));
            if (draw() < 0.2f) loot_add(c, draw() < 0.7f ? 26 : 27);
            break;
        case SP_SKELETON:
        case SP_SKELETON_ARCHER:
        case SP_BONE_GUARDIAN: {
            bool guardian = c->species == SP_BONE_GUARDIAN;
            c->loot_money = guardian ? money(18.0f, 20.0f) : money(10.0f, 20.0f);
            maybe(c, 0.4f, 47);
            if (draw() < (guardian ? 0.4f : 0.22f)) loot_add(c, pick(skeleton_table));
            maybe(c, 0.25f, 27);
            break;
        }
        case SP_BOSS: {
            c->loot_money = money(120.0f, 60.0f);
            int a = pick(crypt_lord_table);
            int b = a;
            // Five pieces: a handful of draws finds a second one; the fallback
            // keeps the two different whatever the generator says.
            for (int tries = 0; tries < 16 && b == a; ++tries) b = pick(crypt_lord_table);
            if (b == a) b = a == 52 ? 48 : a + 1;
            loot_add(c, a);
            loot_add(c, b);
            loot_add(c, 27);
            loot_add(c, 27);
            break;
        }
        case SP_BEAR:
            maybe(c, 0.45f, 74);
            maybe(c, 0.45f, 75);
            if (draw() < 0.14f) loot_add(c, pick(bear_table));
            break;
        case SP_FELON:
            c->loot_money = money(14.0f, 24.0f);
            maybe(c, 0.55f, 76);
            if (draw() < 0.3f) loot_add(c, pick(felon_table));
            if (draw() < 0.18f) loot_add(c, draw() < 0.7f ? 27 : 86);
            break;
        default:
            c->loot_money = money(3.0f, 12.0f);
            maybe(c, 0.25f, 25);
            if (draw() < 0.4f) loot_add(c, pick(other_table));
            maybe(c, 0.05f, 3);
            maybe(c, 0.15f, 26);
            break;
    }
}

Creature* open_corpse = nullptr;
uint32_t open_serial = 0;

float ground_distance(const Creature* c) { return std::hypot(c->pos.x - player.pos_x, c->pos.z - player.pos_z); }

bool corpse_in_my_world(const Creature& c) { return c.in_use && c.world == (game_flags.underground ? 1 : 0); }

bool skinnable_beast(const Creature& c) {
    return c.species == SP_BOAR || c.species == SP_WOLF || c.species == SP_BEAR;
}

// Where a ray (unit direction) enters the sphere that stands for a lying
// body, or -1.
float ray_meets_body(Vec3 origin, Vec3 d, const Creature& c) {
    float r = c.species == SP_BOAR ? 0.65f : 0.55f;
    Vec3 centre = c.pos + Vec3{0, 0.3f, 0};
    Vec3 oc = origin - centre;
    float b = dot(oc, d);
    float q = dot(oc, oc) - r * r;
    float disc = b * b - q;
    if (disc < 0.0f) return -1.0f;
    float t = -b - std::sqrt(disc);
    if (t < 0.0f) t = -b + std::sqrt(disc);
    return t;
}

// The body's fall takes the first half second after death.
constexpr float CORPSE_SETTLED = 0.5f;

// A beast waits its minute for the skinning knife, and the knife needs the
// loot taken first: the minute runs from then. Searched late, it would
// otherwise vanish at the next frame and could never be skinned.
void keep_for_skinning(Creature* c) {
    if (c->loot_count > 0 || c->loot_money > 0 || c->skinned || !skinnable_beast(*c)) return;
    if (c->death_time > CORPSE_SETTLED) c->death_time = CORPSE_SETTLED;
}

}  // namespace

void loot_add(Creature* c, int id) {
    if (!c || !item_exists(id) || c->loot_count >= 4 || c->loot_count < 0) return;
    c->loot[c->loot_count++] = id;
}

int loot_source_species(int id) {
    // The first drops of each type's row of the table above.
    static const struct {
        int id, species;
    } sources[] = {{10, SP_BOAR}, {11, SP_BOAR}, {41, SP_WOLF},     {42, SP_WOLF}, {47, SP_SKELETON},
                   {74, SP_BEAR}, {75, SP_BEAR}, {76, SP_FELON}};
    for (const auto& s : sources)
        if (s.id == id) return s.species;
    return -1;
}

void loot_roll_for_class(Creature* c, int player_class) {
    if (!c) return;
    c->loot_count = 0;
    c->loot_money = 0;
    for (int32_t& id : c->loot) id = 0;
    uint32_t ms = (uint32_t)(int64_t)(game_clock * 1000.0);
    loot_rng.state = (uint32_t)creature_index(c) * 7919u + ms + loot_rng.state;
    // A zero state would stay zero for ever.
    if (loot_rng.state == 0) loot_rng.state = 0x2545F491u;
    if (c->elite)
        roll_boss(c, player_class);
    else
        roll_ordinary(c);
}

void loot_roll(Creature* c) { loot_roll_for_class(c, player.player_class); }

// ---- Corpses --------------------------------------------------------------------------

bool corpse_lootable(const Creature* c) {
    return c && c->in_use && c->ai_state == CS_DEAD && !c->companion && (c->loot_count > 0 || c->loot_money > 0);
}

Creature* corpse_hit_by_ray(Vec3 origin, Vec3 direction) {
    Vec3 d = normalize(direction);
    Creature* best = nullptr;
    float best_t = 40.0f;
    for (Creature& c : creatures) {
        if (!corpse_lootable(&c) || !corpse_in_my_world(c)) continue;
        float t = ray_meets_body(origin, d, c);
        if (t < 0.0f || t >= best_t) continue;
        best_t = t;
        best = &c;
    }
    return best;
}

Creature* body_hit_by_ray(Vec3 origin, Vec3 direction, float* along) {
    Vec3 d = normalize(direction);
    Creature* best = nullptr;
    float best_t = 40.0f;
    for (Creature& c : creatures) {
        if (!c.in_use || c.ai_state != CS_DEAD || c.companion || !corpse_in_my_world(c)) continue;
        float t = ray_meets_body(origin, d, c);
        if (t < 0.0f || t >= best_t) continue;
        best_t = t;
        best = &c;
    }
    if (along) *along = best_t;
    return best;
}

Creature* corpse_nearest() {
    Creature* best = nullptr;
    float best_d = LOOT_REACH;
    for (Creature& c : creatures) {
        if (!corpse_lootable(&c) || !corpse_in_my_world(c)) continue;
        float d = ground_distance(&c);
        if (d <= best_d) {
            best_d = d;
            best = &c;
        }
    }
    return best;
}

// ---- The window ----------------------------------------------------------------------

Creature* loot_corpse() { return open_corpse; }

bool loot_open(Creature* c) {
    if (!corpse_lootable(c) || player.dead) return false;
    if (ground_distance(c) > LOOT_REACH) {
        result_message("Trop loin pour fouiller.", 1.2f);
        return false;
    }
    open_corpse = c;
    open_serial = c->serial;
    game_flags.windows.loot = 1;
    snd_play_at(SFX_PICK_UP, c->pos, 0.6f);
    plat_set_cursor_captured(false);
    return true;
}

void loot_close() {
    Creature* c = open_corpse;
    bool same = c && c->in_use && c->serial == open_serial && c->ai_state == CS_DEAD;
    if (same && c->loot_count <= 0 && c->loot_money <= 0) {
        // An emptied corpse does not linger, unless it still waits for the
        // skinning knife.
        bool skinnable = skinnable_beast(*c) && !c->skinned;
        float life = skinnable ? 60.0f : 15.0f;
        if (!skinnable && c->death_time < life - 10.0f) c->death_time = life - 10.0f;
    }
    open_corpse = nullptr;
    open_serial = 0;
    game_flags.windows.loot = 0;
}

void loot_window_close_for(const Creature* corpse) {
    if (corpse && corpse == open_corpse) {
        open_corpse = nullptr;
        open_serial = 0;
        game_flags.windows.loot = 0;
    }
}

void loot_upkeep() {
    if (!game_flags.windows.loot) return;
    Creature* c = open_corpse;
    if (!c || !c->in_use || c->serial != open_serial || c->ai_state != CS_DEAD) {
        open_corpse = nullptr;
        game_flags.windows.loot = 0;
        return;
    }
    if (player.dead || ground_distance(c) > LOOT_KEEP_OPEN) loot_close();
}

namespace {

// Nothing left to take: the window has nothing more to show.
void close_when_emptied() {
    Creature* c = open_corpse;
    if (c && c->loot_count <= 0 && c->loot_money <= 0) loot_close();
}

bool take_money(Creature* c) {
    if (!c || c->loot_money <= 0) return false;
    int m = c->loot_money;
    player.purse += m;
    c->loot_money = 0;
    keep_for_skinning(c);
    snd_play(SFX_COINS, 0.8f);
    result_float_text(player_feet() + Vec3{0, 2.2f, 0}, hud_fmt("+%d deniers", m), Vec4{1.0f, 0.85f, 0.3f, 1.0f}, 1.6f,
                      1.0f, 0.34f);
    return true;
}

bool take_item(Creature* c, int index) {
    if (!c || index < 0 || index >= c->loot_count || index >= 4) return false;
    int id = c->loot[index];
    if (!add_to_bag(id)) {
        result_message("Votre sac est plein.", 1.6f);
        return false;
    }
    item_received(id, nullptr);
    for (int i = index; i < c->loot_count - 1; ++i) c->loot[i] = c->loot[i + 1];
    c->loot_count -= 1;
    c->loot[c->loot_count] = 0;
    keep_for_skinning(c);
    return true;
}

}  // namespace

bool loot_take_money() {
    bool took = take_money(open_corpse);
    close_when_emptied();
    return took;
}

bool loot_take_item(int index) {
    bool took = take_item(open_corpse, index);
    close_when_emptied();
    return took;
}

int loot_item_rows(const Creature* c, LootRow* rows) {
    int n = 0;
    if (!c) return 0;
    int count = c->loot_count < 4 ? c->loot_count : 4;
    for (int i = 0; i < count; ++i) {
        int r = 0;
        while (r < n && rows[r].id != c->loot[i]) ++r;
        if (r == n) rows[n++] = {c->loot[i], 0};
        rows[r].count += 1;
    }
    return n;
}

bool loot_take_row(int row) {
    Creature* c = open_corpse;
    LootRow rows[4];
    int n = loot_item_rows(c, rows);
    if (row < 0 || row >= n) return false;
    bool took = false;
    for (int k = 0; k < rows[row].count; ++k) {
        int at = 0;
        while (at < c->loot_count && c->loot[at] != rows[row].id) ++at;
        if (!take_item(c, at)) break;
        took = true;
    }
    close_when_emptied();
    return took;
}

void loot_take_all() {
    Creature* c = open_corpse;
    if (!c) return;
    take_money(c);
    while (c->loot_count > 0 && take_item(c, 0)) {
    }
    close_when_emptied();
}

// ---- Clicks and the prompt ----------------------------------------------------------------

void loot_body_clicked(Creature* c) {
    if (!c || c == open_corpse) return;
    if (corpse_lootable(c))
        loot_open(c);
    else
        result_message("Plus rien à prendre sur ce corps.", 1.2f);
}

void loot_click() {
    if (Creature* n = corpse_nearest()) loot_open(n);
}

bool loot_prompt(bool pressed) {
    if (game_flags.windows.loot) return false;
    Creature* c = corpse_nearest();
    if (!c) return false;
    hud_prompt(true, hud_fmt("%s  ·  Fouiller : %s", interact_hint(), creature_display_name(c)));
    if (pressed) loot_open(c);
    return true;
}
