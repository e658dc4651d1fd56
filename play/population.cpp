// The wild population: the camps and guarded sites kept full, the wandering
// boars round the player, the goblin camp, the bears roaming the Gaste, the
// skeletons before the cave, and the nine named chiefs at their haunts.
#include "play/population.h"

#include <cmath>

#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/ambience_rules.h"
#include "world/terrain.h"

namespace {

// The wild never takes the last slots: they are kept for the wolf spirit
// and the lord's dead.
bool room_for_wild() { return creatures_free() > CREATURE_CALL_RESERVE; }

Creature* spawn_wild(int species, Vec3 position, Vec3 anchor) {
    return room_for_wild() ? spawn_creature(species, position, anchor) : nullptr;
}

bool counts_for_camps(const Creature& c) {
    return c.in_use && c.ai_state != CS_DEAD && c.world == WORLD_SURFACE && !c.elite && !c.companion;
}

// Where each chief keeps to: the landmark its quest names.
struct EliteHaunt {
    float x, z;
    float d_min, d_max;
};
const EliteHaunt haunts[ELITE_COUNT + 1] = {
    {0, 0, 0, 0},
    {160, 124, 4, 10},     // Grognard: the goblin camp, behind the stone circle
    {208, -156, 2, 7},     // Gueule-Grise: the wolves' den
    {-224, -104, 3, 9},    // Gaudin le Rouge: the brigands' camp
    {0, 0, 0, 0},          // Ossian: before the cave (see elite_haunt_centre)
    {-20, -995, 5, 10},    // the Green Knight: by the green chapel's mound
    {430, -130, 3, 8},     // Crocs-Noirs: the raiders' ravine
    {-520, -60, 3, 10},    // Sire Brian: the fort of the Black Moon
    {-560, -930, 4, 10},   // King Rion: the graveyard of the forgotten kings
    {560, -950, 4, 12},    // Blanchecrins: the beech grove of the black wolves
};

Vec3 elite_haunt_centre(int e) {
    if (e == ELITE_OSSIAN) {
        // Between the first two guard points, before the cave mouth.
        Vec3 a = cave_guard_point(0), b = cave_guard_point(1);
        float x = 0.5f * (a.x + b.x), z = 0.5f * (a.z + b.z);
        return {x, ground_height(x, z), z};
    }
    return {haunts[e].x, ground_height(haunts[e].x, haunts[e].z), haunts[e].z};
}

bool elite_present(int e) {
    for (const Creature& c : creatures)
        if (c.in_use && c.elite_index == e) return true;
    return false;
}

bool place_elite(int e, float min_player) {
    Vec3 centre = elite_haunt_centre(e);
    Vec3 p;
    bool ok;
    if (e == ELITE_OSSIAN) {
        p = centre;
        ok = hdist2(player_feet(), p.x, p.z) >= min_player * min_player;
    } else {
        ok = ambience_place_around(creature_rng, centre.x, centre.z, haunts[e].d_min, haunts[e].d_max, 0.9f,
                                   player_feet(), min_player, 40, &p);
    }
    if (!ok || !room_for_wild()) return false;
    Creature* c = spawn_elite(e, p, centre);
    if (!c) return false;
    if (e == ELITE_OSSIAN) c->heading = cave_guard_facing();
    return true;
}

int add_camps_and_sites() {
    int added = 0;
    Vec3 pl = player_feet();
    for (const CampRule& camp : ambience_camps) {
        int n = 0;
        for (const Creature& c : creatures)
            if (counts_for_camps(c) && hdist2(c.anchor, camp.x, camp.z) <= CAMP_ANCHOR_RADIUS * CAMP_ANCHOR_RADIUS) ++n;
        if (n >= camp.keep) continue;
        Vec3 p;
        if (!ambience_place_camp(creature_rng, camp, pl, &p)) continue;
        Vec3 centre = {camp.x, ground_height(camp.x, camp.z), camp.z};
        if (spawn_wild(camp.species, p, centre)) ++added;
    }
    for (const SiteRule& site : ambience_sites) {
        int n = 0;
        // Two kinds share the graveyard: each keeps its own count.
        for (const Creature& c : creatures)
            if (counts_for_camps(c) && c.species == site.species &&
                hdist2(c.anchor, site.x, site.z) <= SITE_ANCHOR_RADIUS * SITE_ANCHOR_RADIUS)
                ++n;
        if (n >= site.count) continue;
        Vec3 p;
        if (!ambience_place_site(creature_rng, site, pl, &p)) continue;
        Vec3 centre = {site.x, ground_height(site.x, site.z), site.z};
        Creature* c = spawn_wild(site.species, p, centre);
        if (!c) continue;
        int span = site.level_max - site.level_min + 1;
        int lv = site.level_min + (int)(rng_float(creature_rng) * (float)span);
        set_creature_level(c, lv > site.level_max ? site.level_max : lv);
        set_creature_tint(c, site.tint);
        set_creature_scale(c, site.scale);
        ++added;
    }
    return added;
}

int wanderers_step() {
    Vec3 pl = player_feet();
    int alive = 0;
    for (Creature& c : creatures) {
        if (!c.in_use || c.species != SP_BOAR || c.ai_state == CS_DEAD || c.world != WORLD_SURFACE) continue;
        if (c.ai_state != CS_BOAR_FIGHT &&
            hdist2(c.pos, pl.x, pl.z) > WANDERER_DROP_DISTANCE * WANDERER_DROP_DISTANCE) {
            free_creature(&c);
            continue;
        }
        ++alive;
    }
    if (alive >= WANDERER_KEEP) return 0;
    Vec3 p;
    if (!ambience_place_wanderer(creature_rng, pl, &p)) return 0;
    return spawn_wild(SP_BOAR, p, p) ? 1 : 0;
}

int goblins_step() {
    int n = 0;
    for (const Creature& c : creatures)
        if (c.in_use && c.species == SP_GOBLIN && !c.elite && c.ai_state != CS_DEAD &&
            hdist2(c.anchor, GOBLIN_CAMP_X, GOBLIN_CAMP_Z) <= 1.0f)
            ++n;
    if (n >= GOBLIN_KEEP) return 0;
    Vec3 p;
    if (!ambience_place_goblin(creature_rng, player_feet(), &p)) return 0;
    Vec3 centre = {GOBLIN_CAMP_X, ground_height(GOBLIN_CAMP_X, GOBLIN_CAMP_Z), GOBLIN_CAMP_Z};
    return spawn_wild(SP_GOBLIN, p, centre) ? 1 : 0;
}

// A fallen chief comes back once his corpse is gone and the player is away.
void return_far_chiefs() {
    for (int e = 1; e <= ELITE_COUNT; ++e) {
        if (elite_present(e)) continue;
        Vec3 centre = elite_haunt_centre(e);
        if (hdist2(player_feet(), centre.x, centre.z) < 90.0f * 90.0f) continue;
        place_elite(e, 60.0f);
    }
}

void fill_camps() {
    // The ambience rules repeated until every camp is full; a round that adds
    // nothing means no room is left, so the loop always ends.
    for (int round = 0; round < 64; ++round)
        if (population_round() == 0) break;
}

}  // namespace

int population_round() { return add_camps_and_sites() + wanderers_step() + goblins_step(); }

void world_initial_population() {
    fill_camps();
    for (int e = 1; e <= ELITE_COUNT; ++e)
        if (!elite_present(e)) place_elite(e, 0.0f);
    log_printf("Créatures : %d au départ.", creatures_in_use());
}

void world_population_on_return() {
    // Not the start's placement: Ossian would stand again before the cave
    // mouth, within his aggro radius of the player coming up.
    fill_camps();
    return_far_chiefs();
}

void ambience_top_up_camps() {
    add_camps_and_sites();
    return_far_chiefs();
}

void ambience_wanderers_step() { wanderers_step(); }

void ambience_goblins_step() { goblins_step(); }

void ambience_gaste_bears_step() {
    int roaming = 0;
    for (const Creature& c : creatures)
        if (c.in_use && c.species == SP_BEAR && c.ai_state != CS_DEAD &&
            hdist2(c.anchor, -165.0f, -715.0f) >= 60.0f * 60.0f)
            ++roaming;
    if (roaming > GASTE_ROAMERS_MAX) return;
    Vec3 p;
    if (!ambience_place_gaste_bear(creature_rng, player_feet(), &p)) return;
    spawn_wild(SP_BEAR, p, p);
}

void ambience_cave_guards_step() {
    // Only the guards of the cave count: the graveyard's skeletons far to
    // the south would otherwise keep the cave unguarded for good.
    int skeletons = 0;
    for (const Creature& c : creatures)
        if (c.in_use && c.ai_state != CS_DEAD && c.world == WORLD_SURFACE && !c.elite &&
            (c.species == SP_SKELETON || c.species == SP_SKELETON_ARCHER) &&
            hdist2(c.anchor, 46.11f, 319.2f) <= 4.0f)
            ++skeletons;
    if (skeletons >= CAVE_GUARDS_KEEP) return;
    Vec3 pl = player_feet();
    for (int i = 0; i < CAVE_GUARD_POINTS; ++i) {
        Vec3 p = cave_guard_point(i);
        if (hdist2(pl, p.x, p.z) < CAVE_GUARD_MIN_PLAYER * CAVE_GUARD_MIN_PLAYER) continue;
        bool taken = false;
        for (const Creature& c : creatures)
            if (c.in_use && c.ai_state != CS_DEAD && c.world == WORLD_SURFACE &&
                hdist2(c.pos, p.x, p.z) < CAVE_GUARD_FREE_RADIUS * CAVE_GUARD_FREE_RADIUS) {
                taken = true;
                break;
            }
        if (taken) continue;
        Vec3 mouth = {46.11f, ground_height(46.11f, 319.2f), 319.2f};
        Creature* c = spawn_wild(cave_guard_species(i), p, mouth);
        if (!c) return;
        set_creature_level(c, cave_guard_level(i));
        c->heading = cave_guard_facing();
        c->ai_state = CS_IDLE;
        return;
    }
}

Vec3 chief_haunt(int elite) {
    if (elite < 1 || elite > ELITE_COUNT) return {0.0f, ground_height(0.0f, 0.0f), 0.0f};
    return elite_haunt_centre(elite);
}
