// Creatures in the running game: a wolf pack notices the player, chases and
// bites, the player runs beyond its leash and the pack goes home healing;
// a minute of a full table allocates nothing; pictures of every species
// walking and striking are left for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/creatures/creature_game.h"
#include "play/bindings.h"
#include "render/renderer.h"
#include "world/species_models.h"
#include "play/ambience.h"
#include "world/world.h"
#include "play/creatures.h"
#include "play/targeting.h"
#include "play/population.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Counting allocations: every C and C++ allocation of the process goes
// through malloc, which is wrapped here while a count is running.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
#include <atomic>
static std::atomic<int> counting{0};
static std::atomic<long> allocations{0};
extern "C" void* malloc(size_t n) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t a, size_t b) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(a, b);
}
extern "C" void* realloc(void* p, size_t n) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
#define CAN_COUNT_ALLOCATIONS 1
#endif

namespace {

const float kCampX = 208.0f, kCampZ = -156.0f;

InputState idle_input() {
    InputState s;
    std::memset(&s, 0, sizeof(s));
    s.client_width = 480;
    s.client_height = 270;
    s.window_active = 1;
    s.mouse_x = 240;
    s.mouse_y = 135;
    return s;
}

// A straight run of `length` metres from (x, z) along `yaw` that meets no
// obstacle, no lake and stays on land.
bool clear_run(float x, float z, float yaw, float length) {
    const Obstacle* list = obstacle_list();
    for (float t = 0.0f; t <= length; t += 1.0f) {
        float px = x + std::sin(yaw) * t, pz = z + std::cos(yaw) * t;
        if (is_lake_water(px, pz)) return false;
        Vec3 b = resolve_surface_bounds({px, 0, pz}, 2.0f);
        if (std::fabs(b.x - px) > 0.01f || std::fabs(b.z - pz) > 0.01f) return false;
        int n = 0;
        const int32_t* idx = obstacle_query(px, pz, &n);
        for (int k = 0; k < n; ++k) {
            const Obstacle& o = list[idx[k]];
            if (std::hypot(px - o.x, pz - o.z) < o.radius + 1.2f) return false;
        }
    }
    return true;
}

Creature* pack[4];

int count_state(int state) {
    int n = 0;
    for (const Creature* c : pack) n += c->in_use && c->ai_state == state;
    return n;
}

}  // namespace

TEST(CreatureScene, WolfPackChasesBitesLeashesAndGoesHomeHealing) {
    ASSERT_TRUE(creature_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a thousand software-rendered frames: left to the plain build";
#endif
    // An open line out of the den for the player to flee along.
    float yaw = 0.0f, sx = 0.0f, sz = 0.0f;
    bool found = false;
    for (int i = 0; i < 72 && !found; ++i) {
        yaw = (float)i * (2.0f * PI / 72.0f);
        sx = kCampX + std::sin(yaw) * 11.0f;
        sz = kCampZ + std::cos(yaw) * 11.0f;
        found = clear_run(sx, sz, yaw, 130.0f);
    }
    ASSERT_TRUE(found) << "no open way out of the den";

    clean_table_with_player_at(sx, sz);
    player.max_health = player.health = 5000.0f;
    player.heading = yaw + PI;  // facing the den
    player.camera_yaw = yaw + PI;
    bindings_reset();
    Vec3 camp = {kCampX, ground_height(kCampX, kCampZ), kCampZ};
    for (int i = 0; i < 4; ++i) {
        float a = (float)i * 1.3f;
        pack[i] = spawn_creature(SP_WOLF, {kCampX + std::sin(a) * 2.0f, 0, kCampZ + std::cos(a) * 2.0f}, camp);
        ASSERT_NE(pack[i], nullptr);
        pack[i]->pos.y = ground_height(pack[i]->pos.x, pack[i]->pos.z);
    }

    const int fwd = bindings[BIND_FORWARD];
    std::vector<InputState> script;
    // 6 s standing at the edge of the den, then 22 s running away, then
    // standing far off for 20 s.
    for (int f = 0; f < 120 + 440 + 400; ++f) {
        InputState s = idle_input();
        bool run = f >= 120 && f < 560;
        s.key_down[fwd] = run;
        s.key_pressed[fwd] = f == 120;
        script.push_back(s);
    }
    for (size_t i = 1; i < script.size(); ++i) std::memcpy(script[i].key_down_prev, script[i - 1].key_down, 256);
    headless_set_input_script(script.data(), (int)script.size());

    // Every loss of health while she stands is some of the four bites of
    // that frame: each wolf's blow times its level factor, after armour.
    float armour = (float)(player.armour > 0 ? player.armour : 0);
    float bite[4];
    for (int i = 0; i < 4; ++i)
        bite[i] = creature_blow_damage(pack[i]) * creature_level_factor(pack[i]) * (1.0f - armour / (100.0f + armour));
    auto bites_in = [&](float drop) {
        for (int set = 1; set < 16; ++set) {
            float sum = 0.0f;
            int n = 0;
            for (int i = 0; i < 4; ++i)
                if (set & (1 << i)) sum += bite[i], ++n;
            if (std::fabs(sum - drop) < 0.02f) return n;
        }
        return 0;
    };

    // Only frame 99 is looked at (the screenshot): the others are not drawn.
    bool noticed = false, bitten = false, all_returned = false, shot = false;
    float health_at_run = 0.0f;
    int bites_standing = 0, odd_losses = 0;
    for (int f = 0; f < (int)script.size(); ++f) {
        if (f == 120) {
            // The player struck back before fleeing: the pack is hurt.
            for (Creature* w : pack) w->health -= 30.0f;
            health_at_run = player.health;
            player.camera_yaw = yaw;
        }
        main_loop_set_draw_interval(f == 99 ? 1 : 100000);
        float before = player.health;
        game_frame();
        if (f < 120 && player.health < before) {
            int n = bites_in(before - player.health);
            bites_standing += n;
            odd_losses += n == 0;
        }
        if (count_state(CS_FIGHT) == 4) noticed = true;
        if (player.health < player.max_health) bitten = true;
        if (!shot && f == 99) shot = headless_screenshot("creatures_wolf_pack.png");
        if (f >= 120 && count_state(CS_RETURN) == 4) all_returned = true;
    }
    main_loop_set_draw_interval(1);
    EXPECT_TRUE(noticed);
    EXPECT_TRUE(bitten);
    EXPECT_TRUE(all_returned);
    EXPECT_GT(std::hypot(player.pos_x - kCampX, player.pos_z - kCampZ), 96.0f);
    // Bitten while standing, by whole bites, each wolf no faster than its
    // 1.2 s interval allows in 6 s.
    EXPECT_EQ(odd_losses, 0);
    EXPECT_GE(bites_standing, 1);
    EXPECT_LE(bites_standing, 4 * 6);
    EXPECT_LT(health_at_run, 5000.0f);
    for (Creature* w : pack) {
        EXPECT_NE(w->ai_state, CS_FIGHT);
        EXPECT_NE(w->ai_state, CS_RETURN);
        EXPECT_FLOAT_EQ(w->health, w->max_health);
        EXPECT_LT(std::hypot(w->pos.x - kCampX, w->pos.z - kCampZ), 30.0f);
    }
    EXPECT_TRUE(shot);
}

TEST(CreatureScene, AMinuteOfAFullTableAllocatesNothing) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(0.0f, 0.0f);
    player.max_health = player.health = 1e9f;
    world_initial_population();
    // Fill the rest round the player, half of the table fighting him.
    int i = 0;
    while (creatures_in_use() < CREATURE_CAPACITY) {
        float a = (float)i * 0.37f, r = 6.0f + (float)(i % 30);
        Vec3 p = {std::sin(a) * r, 0, std::cos(a) * r};
        p.y = ground_height(p.x, p.z);
        Creature* c = spawn_creature(i % 3 == 0 ? SP_SKELETON_ARCHER : (i % 3 == 1 ? SP_BRIGAND : SP_WOLF), p, p);
        if (c && i % 2 == 0) c->ai_state = CS_FIGHT;
        ++i;
    }
    ASSERT_EQ(creatures_in_use(), CREATURE_CAPACITY);
#ifdef CAN_COUNT_ALLOCATIONS
    allocations = 0;
    counting = 1;
#endif
    for (int f = 0; f < 1200; ++f) {
        game_clock += 0.05;
        creatures_update(0.05f);
        world_ambience_step(0.05f);
        player_target_upkeep(0.05f);
    }
#ifdef CAN_COUNT_ALLOCATIONS
    counting = 0;
    EXPECT_EQ(allocations.load(), 0);
#endif
    // Nothing strayed out of the land or into the lake.
    for (const Creature& c : creatures) {
        if (!c.in_use || c.world != 0) continue;
        EXPECT_FALSE(is_lake_water(c.pos.x, c.pos.z));
        EXPECT_TRUE(std::isfinite(c.pos.x) && std::isfinite(c.pos.z));
    }
}

TEST(CreatureScene, EverySpeciesWalkingAndStriking) {
    ASSERT_TRUE(creature_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    clean_table_with_player_at(540.0f, 140.0f);
    Vec3 base = camelot_point(48.0f, -10.0f);  // the open castle court
    Creature* row[SPECIES_COUNT];
    float x = 0.0f;
    for (int sp = 0; sp < SPECIES_COUNT; ++sp) {
        row[sp] = spawn_creature(sp, {base.x + x, base.y, base.z}, {base.x + x, base.y, base.z});
        ASSERT_NE(row[sp], nullptr);
        row[sp]->body_scale = 1.0f;
        row[sp]->heading = -PI * 0.5f + 0.5f;
        x += (sp == 9 || sp == 8) ? 2.4f : 1.6f;
    }
    float mid = 0.5f * x - 1.0f;
    auto shoot = [&](const char* file) {
        render_camera.eye = {base.x + mid, base.y + 2.4f, base.z - 13.0f};
        render_camera.target = {base.x + mid, base.y + 0.9f, base.z};
        render_camera.fov_degrees = 55.0f;
        render_begin_frame();
        world_submit();
        creatures_submit();
        render_frame();
        return headless_screenshot(file);
    };
    // Mid-stride at walking pace.
    for (int f = 0; f < 9; ++f) {
        game_clock += 0.05;
        for (Creature* c : row) {
            c->speed = species_defs[c->species].walk_speed * 1.4f;
            c->ai_state = CS_ROAM;
            creature_pose(c, 0.05f);
        }
    }
    EXPECT_TRUE(shoot("creatures_walking.png"));
    // Mid-blow: arms raised, heads down, the archer drawing.
    for (Creature* c : row) {
        c->speed = 0.0f;
        c->ai_state = CS_FIGHT;
        c->attack_anim = 1.0f;
        if (c->species == SP_SKELETON_ARCHER) c->draw_time = 0.6f;
    }
    for (int f = 0; f < 5; ++f)
        for (Creature* c : row) creature_pose(c, 0.04f);
    EXPECT_TRUE(shoot("creatures_striking.png"));
    // A corpse lies on its side, a staggered one leans away.
    damage_creature(row[SP_WOLF], 1e6f);
    row[SP_WOLF]->death_time = 2.0f;
    creature_stagger(row[SP_FELON], 1.5f, {0, 0, 1});
    EXPECT_TRUE(shoot("creatures_corpse_and_stagger.png"));
}
