#pragma once
// Where the ambience step puts new creatures: the camps and guarded sites it
// keeps populated, and the placement rules of each kind of top-up. Pure
// geometry over the ground and the obstacles; the creature table itself
// does the counting and the spawning.
#include "common/mathx.h"
#include "common/rng.h"

// A camp kept at `keep` creatures of one species (those anchored within 60 m).
struct CampRule {
    float x, z;
    int species;
    int keep;
    float d_min, d_max;     // placement distance from the centre
    float clearance;        // added to each obstacle's radius
};
constexpr int AMBIENCE_CAMP_COUNT = 4;
extern const CampRule ambience_camps[AMBIENCE_CAMP_COUNT];
constexpr float CAMP_ANCHOR_RADIUS = 60.0f;

// A guarded site: `count` creatures anchored at its centre (within 1 m).
struct SiteRule {
    float x, z;
    int species;
    int count;
    int level_min, level_max;
    Vec3 tint;
    float scale;
    float d_min, d_max;
};
constexpr int AMBIENCE_SITE_COUNT = 6;
extern const SiteRule ambience_sites[AMBIENCE_SITE_COUNT];
constexpr float SITE_CLEARANCE = 0.9f;
constexpr float SITE_ANCHOR_RADIUS = 1.0f;

// The goblin camp, the wanderers and the second-zone bears.
constexpr float GOBLIN_CAMP_X = 160.0f, GOBLIN_CAMP_Z = 124.0f;
constexpr int GOBLIN_KEEP = 20;
constexpr int WANDERER_KEEP = 14;
constexpr float WANDERER_DROP_DISTANCE = 120.0f;
constexpr int GASTE_ROAMERS_MAX = 4;  // one more only while at most this many roam

// True when no obstacle lies within its radius + extra of (x, z).
bool ambience_obstacle_clear(float x, float z, float extra);

// Up to `tries` draws of an angle 2πu and a distance uniform in
// [d_min, d_max) round (cx, cz), two values per try; a try is refused inside
// an obstacle's radius + clearance or nearer than min_player to the player.
// On success *out is the point on the ground.
bool ambience_place_around(Rng& rng, float cx, float cz, float d_min, float d_max, float clearance,
                           Vec3 player, float min_player, int tries, Vec3* out);

bool ambience_place_camp(Rng& rng, const CampRule& camp, Vec3 player, Vec3* out);    // 40 tries, 14 m
bool ambience_place_site(Rng& rng, const SiteRule& site, Vec3 player, Vec3* out);    // 40 tries, 14 m
bool ambience_place_goblin(Rng& rng, Vec3 player, Vec3* out);                        // 40 tries, 12 m
// A wild boar 18-45 m from the player (60 tries), in the open first zone.
bool ambience_place_wanderer(Rng& rng, Vec3 player, Vec3* out);
bool ambience_wanderer_spot_ok(float x, float z);
// A bear 30-60 m from the player inside the second zone's roaming ground (40 tries).
bool ambience_place_gaste_bear(Rng& rng, Vec3 player, Vec3* out);
bool ambience_gaste_bear_spot_ok(float x, float z);

// The skeletons before the catacomb cave: five points tried in order.
constexpr int CAVE_GUARD_POINTS = 5;
Vec3 cave_guard_point(int i);       // on the ground
int cave_guard_species(int i);      // 4 warrior or 5 archer
int cave_guard_level(int i);        // 10 at the last point, else 9
float cave_guard_facing();          // atan2(-12, -56): out of the cave
constexpr float CAVE_GUARD_FREE_RADIUS = 1.5f;
constexpr float CAVE_GUARD_MIN_PLAYER = 18.0f;
constexpr int CAVE_GUARDS_KEEP = 5;
