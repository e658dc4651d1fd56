// Scripted fights on the headless backend: the real start-up, then one fight
// per class with input snapshots built frame by frame from the game state
// (attack key, bar keys), at a fixed step. The archer and the druid face a
// wolf pack, the warrior a boar and then a goblin camp; each fight must end
// with the creatures dead, experience gained and the player standing. A
// picture of each fight is left in the build folder.
//
// Drawing a frame with the software renderer costs about a second here, so
// most frames run without their picture; every 25th frame, and the
// pictures, are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "play/ambience_rules.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/culling_check.h"
#include "tests/support/scene_economy.h"
#include "tests/support/scene_start.h"

namespace {

const double kStep = 0.05;

InputState snapshot;
InputState previous;

void begin_input() {
    std::memset(&snapshot, 0, sizeof(snapshot));
    snapshot.client_width = 960;
    snapshot.client_height = 540;
    snapshot.window_active = 1;
    snapshot.mouse_x = 480;
    snapshot.mouse_y = 120;
}

// A key goes down in this frame (it must have been up in the previous one).
void press(int key) {
    if (previous.key_down[key]) return;
    snapshot.key_down[key] = 1;
    snapshot.key_pressed[key] = 1;
}

void frame(bool draw) {
    std::memcpy(snapshot.key_down_prev, previous.key_down, sizeof(snapshot.key_down));
    std::memcpy(snapshot.button_down_prev, previous.button_down, sizeof(snapshot.button_down));
    headless_set_input_script(&snapshot, 1);
    main_loop_set_draw_interval(draw ? 1 : 1000000);
    game_frame();
    previous = snapshot;
}

void place_player(int cls, int level, Vec3 at) {
    clear_skills();
    player.player_class = cls;
    player.dead = 0;
    player.pos_x = at.x;
    player.pos_y = at.y;
    player.pos_z = at.z;
    player.heading = PI * 0.5f;  // facing +x, where the foes are
    player.camera_yaw = PI * 0.5f;
    player.camera_pitch = 0.28f;
    player.camera_pos = {at.x - 6.0f, at.y + 3.0f, at.z};
    player.target = nullptr;
    player.rage = 0.0f;
    player_equipment_totals(30, 0, 0, 1.0f);
    set_level_and_experience(level, 0);
    bar_default();
}

struct Foes {
    Creature* c[8];
    uint32_t serial[8];
    int n = 0;
    void add(Creature* k) {
        ASSERT_NE(k, nullptr);
        c[n] = k;
        serial[n] = k->serial;
        ++n;
    }
    int alive() const {
        int a = 0;
        for (int i = 0; i < n; ++i) a += c[i]->in_use && c[i]->serial == serial[i] && c[i]->ai_state != CS_DEAD;
        return a;
    }
    void clear() {
        for (int i = 0; i < n; ++i)
            if (c[i]->in_use && c[i]->serial == serial[i]) free_creature(c[i]);
        if (Creature* w = creature_companion()) free_creature(w);
        n = 0;
    }
};

Creature* spawn_at(int species, Vec3 centre, float dx, float dz, int level) {
    float x = centre.x + dx, z = centre.z + dz;
    Creature* c = spawn_creature(species, {x, ground_height(x, z), z}, centre);
    if (c) {
        set_creature_level(c, level);
        c->heading = -PI * 0.5f;
    }
    return c;
}

int bar_key(int slot) { return bindings[slot < 5 ? BIND_BAR1 + slot : BIND_BAR6 + slot - 5]; }

struct Outcome {
    int frames;
    bool alive;
};

// Runs the fight: `policy` fills the snapshot of each frame.
template <typename Policy>
Outcome fight(Foes& foes, const char* picture, int shot_frame, int max_frames, Policy policy) {
    int f = 0;
    for (; f < max_frames && foes.alive() > 0; ++f) {
        begin_input();
        policy(f);
        bool draw = f == shot_frame;
        frame(draw);
        if (f == shot_frame) {
            EXPECT_TRUE(headless_screenshot(picture));
            // Nothing of the fight is lost to culling.
            const PictureDifference d = culled_against_whole(960, 540);
            EXPECT_TRUE(picture_matches(d)) << picture << ": " << d.pixels << " pixels differ";
        }
        if (player.dead) break;
    }
    // A few quiet frames let the last floating numbers and the corpse settle.
    for (int i = 0; i < 4; ++i) {
        begin_input();
        frame(false);
    }
    std::printf("%s: %d frames\n", picture, f);
    return {f, !player.dead};
}

void attack_every_other_frame(int f) {
    if (f % 2 == 0) press(bindings[BIND_ATTACK]);
}

}  // namespace

TEST(Fights, ArcherDruidAndWarriorWinTheirFights) {
    headless_set_time_step(kStep);
    headless_set_window_size(960, 540);
    scene_economy();
    ASSERT_EQ(game_startup(), 0);
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    bindings_reset();
    player_look = {1, 2, 1, 3, 2, 0};
    begin_input();
    snapshot.button_down[0] = 1;  // the first click closes the title overlay
    frame(false);
    begin_input();
    frame(false);
    ASSERT_EQ(game_flags.title_overlay, 0);

    Vec3 field = open_ground(60.0f, 60.0f);

    // ---- The archer against a wolf pack --------------------------------------------
    {
        place_player(CLASS_ARCHER, 12, field);
        Vec3 den = {field.x + 22.0f, 0, field.z};
        Foes pack;
        pack.add(spawn_at(SP_WOLF, den, 0.0f, 0.0f, 7));
        pack.add(spawn_at(SP_WOLF, den, 2.0f, 3.0f, 6));
        pack.add(spawn_at(SP_WOLF, den, 2.5f, -3.0f, 6));
        int level0 = player.level, xp0 = player.experience;
        Outcome o = fight(pack, "fight_archer_wolves.png", 40, 500, [&](int f) {
            if (f == 1) press(bar_key(2));  // a trap at the feet, where the wolves will come
            else if (f % 40 == 5) press(bar_key(1));  // a volley
            else if (f % 30 == 11) press(bar_key(0));  // a power shot
            else attack_every_other_frame(f);
        });
        EXPECT_TRUE(o.alive);
        EXPECT_EQ(pack.alive(), 0) << "after " << o.frames << " frames";
        EXPECT_TRUE(player.level > level0 || player.experience > xp0);
        EXPECT_GE(player.kills, 3);
        EXPECT_GT(player.attacks_made, 3);
        int stuck = 0;
        for (const PlayerArrow& a : player_arrows) stuck += a.active && a.stuck;
        EXPECT_GT(stuck, 0);
        pack.clear();
    }

    // ---- The druid against a wolf pack ---------------------------------------------
    {
        place_player(CLASS_DRUID, 12, field);
        int kills0 = player.kills;
        Vec3 den = {field.x + 22.0f, 0, field.z};
        Foes pack;
        pack.add(spawn_at(SP_WOLF, den, 0.0f, 0.0f, 7));
        pack.add(spawn_at(SP_WOLF, den, 2.0f, 3.0f, 6));
        pack.add(spawn_at(SP_WOLF, den, 2.5f, -3.0f, 6));
        int xp0 = player.experience, hits0 = player.targets_hit;
        // Each spell cast in a frame takes its cost from the mana of that
        // frame (less the regeneration of one step), and mana never passes
        // its maximum.
        float mana_before = player.mana;
        float cooldown_before[SKILLS_PER_CLASS] = {};
        int casts = 0, wrong_costs = 0, over_maximum = 0;
        Outcome o = fight(pack, "fight_druid_wolves.png", 45, 600, [&](int f) {
            for (int s = 0; s < SKILLS_PER_CLASS; ++s) {
                if (player.skill_cooldown[s] > cooldown_before[s]) {
                    ++casts;
                    float spent = mana_before - player.mana;
                    float cost = (float)skill_of(s).cost;
                    if (spent < cost - 9.0f * (float)kStep - 0.01f || spent > cost + 0.01f) ++wrong_costs;
                }
                cooldown_before[s] = player.skill_cooldown[s];
            }
            if (player.mana > player.max_mana + 1e-3f) ++over_maximum;
            mana_before = player.mana;
            if (f == 1) press(bar_key(2));  // the wolf spirit
            else if (player.health < 0.5f * player.max_health && f % 2 == 0) press(bar_key(0));
            else if (f % 60 == 21) press(bar_key(1));  // brambles
            else attack_every_other_frame(f);
        });
        EXPECT_TRUE(o.alive);
        EXPECT_EQ(pack.alive(), 0) << "after " << o.frames << " frames";
        EXPECT_TRUE(player.experience > xp0 || player.level > 12);
        EXPECT_GE(player.kills - kills0, 1);
        EXPECT_GT(player.targets_hit, hits0);
        EXPECT_GE(casts, 2);  // the wolf spirit and brambles at least
        EXPECT_EQ(wrong_costs, 0);
        EXPECT_EQ(over_maximum, 0);
        EXPECT_FLOAT_EQ(player.max_mana, 100.0f + 8.0f * (float)(player.level - 1));
        EXPECT_EQ(hud_player.max_mana, player.max_mana);
        pack.clear();
    }

    // ---- The warrior against a boar, then a goblin camp ----------------------------
    {
        place_player(CLASS_WARRIOR, 8, field);
        Foes boar;
        boar.add(spawn_at(SP_BOAR, {field.x + 2.2f, 0, field.z}, 0.0f, 0.0f, 2));
        int xp0 = player.experience, level0 = player.level;
        Outcome o = fight(boar, "fight_warrior_boar.png", 6, 400, [&](int f) {
            Creature* t = player.target;
            float d = t ? std::hypot(t->pos.x - player.pos_x, t->pos.z - player.pos_z) : 0.0f;
            if (t && d > 5.0f && d < 25.0f && f % 2 == 0) press(bar_key(1));  // charge after it
            else if (player.rage >= 20.0f && f % 2 == 0) press(bar_key(0));
            else attack_every_other_frame(f);
        });
        EXPECT_TRUE(o.alive);
        EXPECT_EQ(boar.alive(), 0) << "after " << o.frames << " frames";
        EXPECT_TRUE(player.level > level0 || player.experience > xp0);
        boar.clear();

        Vec3 camp = {player.pos_x + 9.0f, 0, player.pos_z};
        player.camera_yaw = PI * 0.5f;
        player.heading = PI * 0.5f;
        Foes goblins;
        goblins.add(spawn_at(SP_GOBLIN, camp, 0.0f, 0.0f, 3));
        goblins.add(spawn_at(SP_GOBLIN, camp, 2.0f, 2.5f, 3));
        goblins.add(spawn_at(SP_GOBLIN, camp, 2.0f, -2.5f, 3));
        goblins.add(spawn_at(SP_GOBLIN, camp, 4.0f, 0.5f, 3));
        int xp1 = player.experience, level1 = player.level, kills1 = player.kills;
        o = fight(goblins, "fight_warrior_goblins.png", 25, 500, [&](int f) {
            if (player.rage >= 30.0f && player.level >= 5 && f % 2 == 0) press(bar_key(2));  // whirlwind
            else attack_every_other_frame(f);
        });
        EXPECT_TRUE(o.alive);
        EXPECT_EQ(goblins.alive(), 0) << "after " << o.frames << " frames";
        EXPECT_TRUE(player.level > level1 || player.experience > xp1);
        // A wanderer caught in the whirlwind may fall too.
        EXPECT_GE(player.kills - kills1, 4);
        EXPECT_GT(player.attacks_made, 4);
        goblins.clear();
    }

    // ---- Escape and a lost focus pause the game ------------------------------------
    {
        // The first Escape drops a target, if any; the next one pauses.
        for (int i = 0; i < 2 && !hud_dialog_state().open; ++i) {
            begin_input();
            frame(false);
            begin_input();
            press(KEY_ESCAPE);
            frame(false);
            EXPECT_EQ(player.target, nullptr);
        }
        EXPECT_TRUE(hud_dialog_state().open)
            << "overlay " << (int)game_flags.title_overlay << " sheet " << (int)game_flags.character_sheet_open << " windows "
            << (int)game_flags.windows.journal << (int)game_flags.windows.spellbook << (int)game_flags.windows.map
            << (int)game_flags.windows.professions << (int)game_flags.windows.merchant << (int)game_flags.windows.loot << " dead "
            << (int)player.dead;
        EXPECT_EQ(game_flags.paused, 1);
        begin_input();
        frame(false);
        begin_input();
        press(KEY_ESCAPE);  // Escape again resumes
        frame(false);
        EXPECT_FALSE(hud_dialog_state().open);
        EXPECT_EQ(game_flags.paused, 0);
        begin_input();
        headless_set_window_active(false);  // another window took the focus
        frame(false);
        headless_set_window_active(true);
        EXPECT_TRUE(hud_dialog_state().open);
        EXPECT_EQ(game_flags.paused, 1);
        hud_dialog_close();
    }
    game_shutdown();
}
