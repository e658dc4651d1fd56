#pragma once
// Camelot: the town's local frame, its districts and streets, the house lots,
// the workshops of the artisans' quarter and the torches. camelot_build
// builds it all into the world batches and obstacles.
//
// Local frame: world = (540 + lx, y, 180 + lz); the town stands on the flat
// of the levelled square, at camelot_base_height().
#include <cstdint>

#include "common/mathx.h"

// ---- Districts and streets ---------------------------------------------------
// Name of the district under (x, z) in world coordinates: "Le château du roi",
// "Quartier des artisans", "Place du marché", "Camelot" elsewhere in the town,
// null outside the square enlarged by 20 m.
const char* camelot_district(float x, float z);

struct CamelotStreet {
    float x0, z0, x1, z1;  // local
    float half_width;
};
constexpr int CAMELOT_STREET_COUNT = 6;
extern const CamelotStreet camelot_streets[CAMELOT_STREET_COUNT];

// ---- House lots (seed 77) ------------------------------------------------------
struct HouseLot {
    float lx, lz;            // centre, local
    float half_x, half_z;    // half-extents along x and z
    float facing_x, facing_z;  // unit normal toward the street the house faces
    int32_t storeys;         // 1 or 2
    uint32_t seed;
};
static_assert(sizeof(HouseLot) == 32, "a lot is 32 bytes");
constexpr int CAMELOT_MAX_LOTS = 220;

// Runs the lot generator into out (at most CAMELOT_MAX_LOTS); returns the count.
// Pure: the same lots on every call.
int camelot_generate_lots(HouseLot* out);
// The lots of the last camelot_build.
int camelot_lot_count();
const HouseLot* camelot_lots();

// Why a candidate lot (local centre and half-extents) may not be built, or
// null when it may: the rules of the generator apart from the earlier lots.
const char* camelot_lot_refusal(float lx, float lz, float half_x, float half_z);

// ---- Workshops -----------------------------------------------------------------
// Professions: 0 herbalism, 1 mining, 2 skinning, 3 alchemy, 4 leatherwork, 5 smithing.
constexpr int WORKSHOP_COUNT = 6;
// The working spot (on the ground, world) of the workshop that serves the
// profession, and the facing there (toward the workbench). A profession
// outside 0..5 gives the spot of the first workshop (the smithy), facing 0.
Vec3 workshop_position(int profession, float* facing);
// The forge of the smithy, for crafting beside it.
Vec3 camelot_forge_position();

// ---- Torches ---------------------------------------------------------------------
int camelot_torch_count();
Vec3 camelot_torch_flame(int i);  // world

// ---- Misc -------------------------------------------------------------------------
float camelot_base_height();      // ground height of the town's flat
Vec3 camelot_local_to_world(float lx, float y_above_base, float lz);
// The town plan's category at a local point (for the map and tests).
enum CamelotPlan : uint8_t {
    PLAN_NONE = 0, PLAN_STREET, PLAN_MARKET, PLAN_HOUSE, PLAN_WALL, PLAN_TOWER, PLAN_CASTLE_COURT,
    PLAN_CASTLE_BUILDING, PLAN_YARD, PLAN_WORKSHOP, PLAN_GARDEN, PLAN_CHURCH, PLAN_GROUND, PLAN_COUNT
};
CamelotPlan camelot_plan_at(float lx, float lz);

// Timber framing of a wall face of width w: how many equal panels (at least one).
int timber_panel_count(float width);

void camelot_build();     // walls, houses, castle, market, torches
// The town plan's colour for the map image at (x, z), when it applies there.
bool camelot_map_colour(float x, float z, Vec3* rgb);
// Camelot's torches and the hamlet's and wild sites' fires become lights here,
// in that order, between the cave torches and the last light.
void settlements_submit_lights(Vec3 eye, float flicker);
