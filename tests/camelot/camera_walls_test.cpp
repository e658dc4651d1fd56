// The third-person camera against the built town and the catacombs: the
// player stands at the west gate, along the walls inside, beside houses,
// under the market's and the workshops' awnings and in catacomb corridors,
// and turns the camera all the way round at low, high and upward pitches.
// On every frame the eye is out of the stone and sees the head, and it is
// never nearer than the shoulders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "play/camera.h"
#include "play/player.h"
#include "play/player_move.h"
#include "world/camelot.h"
#include "world/catacombs.h"
#include "world/landmarks.h"
#include "world/solids.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

constexpr float kDt = 1.0f / 60.0f;
constexpr float kShoulders = 1.0f;  // the nearest the camera may come

struct Spot {
    std::string what;
    Vec3 feet;
};

class CameraWalls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        world_generate();
        camelot_build();
        landmarks_build();
        solids_seal();
        catacomb_maze_generate();
    }
};

// How far a player standing at p would reach into an obstacle at his height.
float overlap(Vec3 p) {
    int n = 0;
    const int32_t* near = obstacle_query(p.x, p.z, &n);
    const Obstacle* list = obstacle_list();
    float worst = 0.0f;
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = list[near[i]];
        if (o.base_y + o.height > p.y) worst = std::fmax(worst, o.radius + PLAYER_RADIUS - std::hypot(p.x - o.x, p.z - o.z));
    }
    return worst;
}

// A place the player can stand near (lx, lz) of the town: pushed out of
// the obstacles as walking would.
Spot town_spot(const char* what, float lx, float lz) {
    Vec3 p = camelot_point(lx, lz);
    for (int i = 0; i < 12; ++i) p = resolve_step(p);
    p.y = ground_height(p.x, p.z);
    if (overlap(p) > 0.02f) return {"", p};  // no room to stand there
    char name[96];
    std::snprintf(name, sizeof name, "%s (%.1f, %.1f)", what, p.x - CAMELOT_X, p.z - CAMELOT_Z);
    return {name, p};
}

Spot dungeon_spot(const char* what, float x, float z) {
    Vec3 p = {x, 0.0f, z};
    for (int i = 0; i < 4; ++i) p = catacomb_resolve(p, PLAYER_RADIUS);
    char name[96];
    std::snprintf(name, sizeof name, "%s (%.1f, %.1f)", what, p.x, p.z);
    return {name, p};
}

bool in_big_column(Vec3 p) {
    const Obstacle* list = obstacle_list();
    int n = 0;
    const int32_t* near = obstacle_query(p.x, p.z, &n);
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = list[near[i]];
        if (o.radius < 1.1f || o.height < 5.0f) continue;
        if (p.y < o.base_y || p.y > o.base_y + o.height) continue;
        if (std::hypot(p.x - o.x, p.z - o.z) < o.radius) return true;
    }
    return false;
}

// The eye's near plane in the stone, or the line to the head through it.
const char* surface_fault(Vec3 eye, Vec3 head) {
    if (solids_hold(eye, 0.1f)) return "eye in a wall, roof, gate or awning";
    const Obstacle* list = obstacle_list();
    int n = 0;
    const int32_t* near = obstacle_query(eye.x, eye.z, &n);
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = list[near[i]];
        if (eye.y > o.base_y && eye.y < o.base_y + o.height && std::hypot(eye.x - o.x, eye.z - o.z) < o.radius)
            return "eye in an obstacle";
    }
    float len = length(eye - head);
    for (float t = 0.0f; t < len; t += 0.05f) {
        Vec3 s = lerp(head, eye, t / len);
        if (solids_hold(s, 0.0f)) return "head hidden by a wall, roof, gate or awning";
        if (in_big_column(s)) return "head hidden by an obstacle";
    }
    return nullptr;
}

const char* dungeon_fault(Vec3 eye, Vec3 head) {
    // The pilasters stand 0.15 m proud of the squares; the near plane is 0.1 m ahead.
    const float reach = 0.25f;
    if (catacomb_solid(eye) || catacomb_solid({eye.x + reach, eye.y, eye.z}) ||
        catacomb_solid({eye.x - reach, eye.y, eye.z}) || catacomb_solid({eye.x, eye.y, eye.z + reach}) ||
        catacomb_solid({eye.x, eye.y, eye.z - reach}))
        return "eye in a wall";
    if (eye.y > 4.25f + 1e-3f || eye.y < 0.3f - 1e-3f) return "eye out of the corridor's height";
    if (!catacomb_line_clear(head, eye)) return "head hidden by a wall";
    return nullptr;
}

struct SweepResult {
    int frames = 0, faults = 0;
    std::string first_fault;
};

// Turns the camera once round at each pitch and distance, four frames per
// sixteenth of a turn, checking every frame.
void sweep(const Spot& s, bool catacombs, SweepResult* r) {
    const float pitches[3] = {0.28f, 1.0f, -0.3f};
    const float distances[2] = {6.5f, 14.0f};
    player_reset_new();
    player.pos_x = s.feet.x;
    player.pos_y = s.feet.y;
    player.pos_z = s.feet.z;
    Vec3 head = {s.feet.x, s.feet.y + PLAYER_EYE_HEIGHT, s.feet.z};
    player.camera_pos = head + Vec3{0, 0.5f, -0.1f};  // a jump from elsewhere: nowhere sensible
    for (float d : distances)
        for (float pitch : pitches) {
            player.camera_pitch = pitch;
            player.camera_distance = d;
            for (int step = 0; step < 16 * 4; ++step) {
                player.camera_yaw = 2.0f * PI * (float)step / 64.0f;
                camera_place(player, kDt, catacombs);
                Vec3 eye = player.camera_pos;
                ++r->frames;
                const char* fault = catacombs ? dungeon_fault(eye, head) : surface_fault(eye, head);
                float dist = length(eye - head);
                if (!fault && dist < kShoulders - 0.02f) fault = "nearer than the shoulders";
                if (fault) {
                    if (!r->faults++) {
                        char at[160];
                        std::snprintf(at, sizeof at, ": %s at yaw %.2f pitch %.2f distance %.1f (eye %.2f m away)",
                                      fault, player.camera_yaw, pitch, d, dist);
                        r->first_fault = s.what + at;
                    }
                }
            }
        }
}

std::vector<Spot> gate_spots() {
    std::vector<Spot> v;
    // Through the passage, before and behind it, and beside the towers on both faces.
    for (float lx : {-130.0f, -126.0f, -123.0f, -120.0f, -117.0f, -114.0f, -111.0f})
        for (float lz : {-4.2f, -2.0f, 0.0f, 2.0f, 4.2f}) v.push_back(town_spot("gate", lx, lz));
    for (float lz : {-7.0f, 7.0f, -12.0f, 12.0f}) {
        v.push_back(town_spot("beside a gate tower", -126.5f, lz));
        v.push_back(town_spot("beside a gate tower", -113.5f, lz));
    }
    // Between an open gate leaf and the tower.
    for (float lz : {-3.9f, 3.9f}) v.push_back(town_spot("by a gate leaf", -116.0f, lz));
    return v;
}

std::vector<Spot> wall_spots() {
    std::vector<Spot> v;
    for (float t = -100.0f; t <= 100.0f; t += 25.0f) {
        v.push_back(town_spot("along the north wall", t, 117.6f));
        v.push_back(town_spot("along the south wall", t, -117.6f));
        v.push_back(town_spot("along the east wall", 117.6f, t));
        if (std::fabs(t) > 20.0f) v.push_back(town_spot("along the west wall", -117.6f, t));
    }
    v.push_back(town_spot("in a corner of the walls", 110.0f, 110.0f));
    v.push_back(town_spot("before the castle gate", 22.0f, 0.0f));
    return v;
}

std::vector<Spot> house_spots() {
    std::vector<Spot> v;
    const HouseLot* lots = camelot_lots();
    for (int i = 0; i < camelot_lot_count(); i += 9) {
        const HouseLot& l = lots[i];
        v.push_back(town_spot("before a house", l.lx + l.facing_x * (l.half_x + 0.6f), l.lz + l.facing_z * (l.half_z + 0.6f)));
        v.push_back(town_spot("beside a house", l.lx + l.half_x + 0.6f, l.lz));
        v.push_back(town_spot("beside a house", l.lx - l.half_x - 0.6f, l.lz - l.half_z * 0.5f));
        v.push_back(town_spot("behind a house", l.lx - l.facing_x * (l.half_x + 0.6f), l.lz - l.facing_z * (l.half_z + 0.6f)));
    }
    return v;
}

std::vector<Spot> awning_spots() {
    std::vector<Spot> v;
    // The market's stalls: behind the counter with the keeper, and before it.
    const float stalls[][3] = {{-54.0f, 13.9f, PI}, {-54.0f, -13.9f, 0.0f}, {-26.0f, 13.9f, PI},
                               {-26.0f, -13.9f, 0.0f}, {-50.0f, 18.9f, PI}, {-30.0f, 18.9f, PI}};
    for (const auto& s : stalls) {
        float fx = std::sin(s[2]), fz = std::cos(s[2]);
        v.push_back(town_spot("under a market awning", s[0], s[1]));
        v.push_back(town_spot("under a market awning", s[0] + fz * 1.0f, s[1] - fx * 1.0f));
        v.push_back(town_spot("before a market stall", s[0] + fx * 1.9f, s[1] + fz * 1.9f));
    }
    // The workshops' sheds, under the trade's awning.
    for (float cx : {-100.0f, -78.0f, -56.0f})
        for (int side = -1; side <= 1; side += 2)
            for (float dx : {-4.0f, 0.0f, 4.0f})
                v.push_back(town_spot("under a workshop awning", cx + dx, -70.0f + (float)side * 21.5f));
    return v;
}

std::vector<Spot> corridor_spots() {
    std::vector<Spot> v;
    int ci[64], cj[64];
    int n = catacomb_main_path(ci, cj, 64);
    for (int k = 0; k < n; k += 2) {
        Vec3 c = catacomb_cell_centre(ci[k], cj[k]);
        v.push_back(dungeon_spot("corridor", c.x, c.z));
        // Against each side of the cell, closed or open.
        v.push_back(dungeon_spot("corridor side", c.x + 1.7f, c.z));
        v.push_back(dungeon_spot("corridor side", c.x - 1.7f, c.z + 0.8f));
        v.push_back(dungeon_spot("corridor side", c.x + 0.6f, c.z + 1.7f));
        v.push_back(dungeon_spot("corridor corner", c.x - 1.6f, c.z - 1.6f));
    }
    v.push_back(dungeon_spot("vestibule", CATACOMB_VESTIBULE_X, CATACOMB_VESTIBULE_Z));
    return v;
}

void expect_clear(const std::vector<Spot>& spots, bool catacombs, const char* where) {
    SweepResult r;
    int faulty_spots = 0, places = 0;
    for (const Spot& s : spots) {
        if (s.what.empty()) continue;
        ++places;
        int before = r.faults;
        sweep(s, catacombs, &r);
        faulty_spots += r.faults > before;
    }
    EXPECT_EQ(r.faults, 0) << where << ": " << r.faults << " of " << r.frames << " frames at " << faulty_spots
                           << " of " << places << " places; first " << r.first_fault;
    EXPECT_GT(places, (int)spots.size() * 2 / 3) << where << ": too few places to stand";
}

}  // namespace

TEST_F(CameraWalls, AtTheWestGate) { expect_clear(gate_spots(), false, "the west gate"); }

TEST_F(CameraWalls, AlongTheTownWallsInside) { expect_clear(wall_spots(), false, "the town walls"); }

TEST_F(CameraWalls, BesideHouses) { expect_clear(house_spots(), false, "the houses"); }

TEST_F(CameraWalls, UnderTheMarketAndWorkshopAwnings) { expect_clear(awning_spots(), false, "the awnings"); }

TEST_F(CameraWalls, InCatacombCorridors) { expect_clear(corridor_spots(), true, "the catacombs"); }

// What the camera keeps out of is where the town is drawn: inside each
// house's walls and loft, each gate leaf, each stall's awning.
TEST_F(CameraWalls, SolidsStandWhereTheTownIsDrawn) {
    const HouseLot* lots = camelot_lots();
    int hollow = 0;
    for (int i = 0; i < camelot_lot_count(); ++i) {
        const HouseLot& l = lots[i];
        Vec3 c = camelot_point(l.lx, l.lz);
        float top = l.storeys == 2 ? 6.0f : 3.0f;
        for (float y : {1.0f, top})
            if (!solids_hold({c.x, c.y + y, c.z}, 0.0f)) ++hollow;
    }
    EXPECT_EQ(hollow, 0) << "house storeys with no solid, of " << camelot_lot_count() << " lots";
    // The open gate leaves inside the west gate, and the air of the passage between them.
    Vec3 leaf = camelot_point(-120.0f + 3.2f, 4.4f);
    EXPECT_TRUE(solids_hold({leaf.x, leaf.y + 3.0f, leaf.z}, 0.0f));
    EXPECT_TRUE(solids_hold({leaf.x, leaf.y + 3.0f, leaf.z - 8.8f}, 0.0f));
    Vec3 passage = camelot_point(-120.0f, 0.0f);
    EXPECT_FALSE(solids_hold({passage.x, passage.y + 3.0f, passage.z}, 0.05f));
    EXPECT_TRUE(solids_hold({passage.x, passage.y + 10.0f, passage.z}, 0.0f));  // the bridge over it
    // A stall's awning over the keeper's head, and not the air between them.
    Vec3 keeper = camelot_point(-54.0f, 13.9f);
    EXPECT_TRUE(solids_hold({keeper.x, keeper.y + 2.62f, keeper.z - 0.25f}, 0.0f));
    EXPECT_FALSE(solids_hold({keeper.x, keeper.y + 1.8f, keeper.z}, 0.05f));
}
