// The character's numbers and the blows exchanged with creatures: experience
// and levels, health, rage, damage dealt (criticals, head hits, blocks) and
// taken (armour, the warrior's shield), the warrior's swings and damage over
// time.
#include "play/combat.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "play/bindings.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/skills.h"
#include "play/targeting.h"
#include "render/hud.h"
#include "sound/captions.h"
#include "sound/sound.h"
#include "common/game_events.h"
#include "play/loot.h"
#include "world/catacombs.h"
#include "world/terrain.h"

Rng combat_rng = {12345u};

namespace {

struct DamageOverTime {
    uint8_t active;
    int32_t slot;
    uint32_t serial;
    int32_t kind;
    float remaining;
    float tick;
    float per_tick;
    float particle_clock;
};
DamageOverTime dots[DOT_CAPACITY];

Vec3 facing() { return {std::sin(player.heading), 0.0f, std::cos(player.heading)}; }

Vec4 rgba(float r, float g, float b) { return {r, g, b, 1.0f}; }

}  // namespace

// ---- Experience and levels ------------------------------------------------------------

int experience_need(int level) { return (int)std::floor(100.0 * std::pow((double)level, 1.5) + 0.5); }

int experience_points(int amount) {
    if (amount <= 0) return 0;
    if (amount == 1) return 1;
    return (amount + 2) / 4;
}

float player_full_health(int level) {
    float cf = player.player_class == CLASS_WARRIOR ? 1.3f : 1.0f;
    return (100.0f + 15.0f * (float)(level - 1)) * cf + 10.0f * (float)player.endurance;
}

static void refresh_armour() {
    // The warrior's bonus follows the level, so it is rebuilt from the worn
    // items' armour every time either changes.
    player.armour = player.gear_armour;
    if (player.player_class == CLASS_WARRIOR) player.armour += 2 * player.level + 10;
}

void set_level_and_experience(int level, int experience) {
    if (level < 1) level = 1;
    if (level > MAX_LEVEL) level = MAX_LEVEL;
    player.level = level;
    refresh_armour();
    player.max_health = player_full_health(level);
    player.health = player.max_health;
    player.max_mana = 100.0f + 8.0f * (float)(level - 1);
    player.mana = player.max_mana;
    if (level >= MAX_LEVEL) {
        player.experience = 0;
    } else {
        int top = experience_need(level) - 1;
        player.experience = experience < 0 ? 0 : (experience > top ? top : experience);
    }
}

void grant_experience(int amount) {
    if (player.level >= MAX_LEVEL) return;
    int g = experience_points(amount);
    if (g <= 0) return;
    player.experience += g;
    const int level_before = player.level;
    result_float_text(player_feet() + Vec3{0.4f, 2.2f, 0.0f}, hud_fmt("+%d XP", g), rgba(0.78f, 0.62f, 1.0f), 1.4f, 0.8f,
                      0.3f);
    while (player.level < MAX_LEVEL && player.experience >= experience_need(player.level)) {
        player.experience -= experience_need(player.level);
        player.level += 1;
        refresh_armour();
        player.max_health = player_full_health(player.level);
        player.health = player.max_health;
        player.max_mana = 100.0f + 8.0f * (float)(player.level - 1);
        snd_play(SFX_LEVEL_UP, 1.0f);
        result_message(hud_fmt("Niveau %d !\nPoints de vie +%d · Dégâts +%d %%", player.level,
                               player.player_class == CLASS_WARRIOR ? 19 : 15, 12),
                       3.5f);
        player.levelup_glow = 1.0f;
    }
    if (player.level >= MAX_LEVEL) player.experience = 0;
    // A new level is worth keeping even if the game ends badly later.
    if (player.level != level_before) result_save_wanted();
}

// ---- Statistics ------------------------------------------------------------------------

void player_equipment_totals(int armour, int endurance, int agility, float weapon_factor) {
    player.gear_armour = armour;
    player.endurance = endurance;
    player.agility = agility;
    player.weapon_factor = weapon_factor > 0.0f ? weapon_factor : 1.0f;
    player_recompute_stats();
}

void player_recompute_stats() {
    refresh_armour();
    float frac = player.max_health > 0.0f ? player.health / player.max_health : 1.0f;
    player.max_health = player_full_health(player.level);
    player.health = std::fmax(1.0f, frac * player.max_health);
    if (player.dead) player.health = 0.0f;
}

static float level_scale() {
    return (1.0f + 0.02f * (float)player.agility) * (1.0f + 0.12f * (float)(player.level - 1)) *
           (player.weapon_factor > 0.0f ? player.weapon_factor : 1.0f);
}

float player_melee_base() {
    float b = level_scale() * 36.0f;
    return player.war_cry_time > 0.0f ? b * class_skill(CLASS_WARRIOR, SK_WAR_CRY).numbers.power : b;
}

float player_ranged_base() { return level_scale() * 34.0f; }

float player_spell_damage() { return player_ranged_base(); }

float player_heal(float amount) {
    if (player.dead || !(amount > 0.0f)) return 0.0f;
    float before = player.health;
    player.health = std::fmin(player.max_health, player.health + amount);
    return player.health > before ? player.health - before : 0.0f;
}

float player_gain_mana(float amount) {
    if (!(amount > 0.0f)) return 0.0f;
    float before = player.mana;
    player.mana = std::fmin(player.max_mana, player.mana + amount);
    return player.mana > before ? player.mana - before : 0.0f;
}

void player_gain_rage(float amount) {
    player.rage = std::fmin(100.0f, player.rage + amount);
    player.rage_idle = 0.0f;
}

// Out of combat health comes back; the glow of a level-up and idle rage fade.
void player_health_regen(float dt) {
    player.since_hurt += dt;
    if (player.since_hurt > 6.0f) player_heal(5.0f * dt);
    player.levelup_glow = std::fmax(0.0f, player.levelup_glow - dt / 1.6f);
    player.rage_idle += dt;
    if (player.player_class == CLASS_WARRIOR && player.rage_idle > 5.0f)
        player.rage = std::fmax(0.0f, player.rage - 6.0f * dt);
}

// ---- Blows on creatures -------------------------------------------------------------------

void hit_creature(Creature* c, float d, Vec3 p, int kind, Vec3 direction) {
    if (!creature_alive(c) || c->companion || !(d == d)) return;
    bool blocked = false;
    d *= player_damage_factor(c, direction, &blocked);
    bool critical = false;
    if (!blocked) {
        float chance = std::fmin(0.35f, 0.08f + 0.005f * (float)player.agility);
        critical = rng_float(combat_rng) < chance;
        if (critical) d *= 1.8f;
    }
    if (!target_is_valid(player.target)) {
        player.target = c;
        player.target_hold = 1000000.0f;
    }
    bool head = kind == HIT_HEAD;
    creature_stagger(c, critical ? 1.5f : (head ? 1.2f : 1.0f), direction);
    if (blocked) {
        result_float_text(p + Vec3{0, 0.6f, 0}, "Bloqué", rgba(0.7f, 0.75f, 0.85f), 0.9f, 0.6f, 0.26f);
        snd_play_at(SFX_ANVIL_STRIKE, p, 1.0f);
    }
    if (critical) {
        pad_shake(0.15f, 0.7f, 0.15f);  // a short, sharp tick
        result_float_text(p + Vec3{0, 0.45f, 0}, hud_fmt("-%d", (int)d), rgba(1.0f, 0.72f, 0.12f), 1.3f, 1.1f, 0.46f);
        result_float_text(p + Vec3{0, 0.95f, 0}, head ? "Critique à la tête !" : "Critique !", rgba(1.0f, 0.86f, 0.4f),
                          1.3f, 0.9f, 0.26f);
        snd_play_at(SFX_BONE_KNOCK, p, 1.0f);
    } else {
        result_float_text(p + Vec3{0, 0.35f, 0}, head ? hud_fmt("-%d  tête !", (int)d) : hud_fmt("-%d", (int)d),
                          head ? rgba(1.0f, 0.8f, 0.25f) : rgba(1.0f, 0.95f, 0.85f), 0.9f, 0.9f, 0.32f);
    }
    snd_play_at(SFX_HIT_THUD, p, critical ? 0.7f : 1.0f);
    bool died = damage_creature(c, d);
    // A critical hit flashes longer than the plain 0.15 s.
    if (critical && c->in_use) c->hit_flash = 0.22f;
    const SpeciesDef& def = species_defs[c->species];
    if (died) {
        player.kills += 1;
        // The kill, its texts and the level it brings reach the HUD, the
        // quests and the professions in this order, after the simulation.
        result_message(hud_fmt("%s abattu !", creature_display_name(c)), 1.8f);
        snd_play_at(def.death_sound, c->pos, 1.0f);
        result_creature_killed(c->species, creature_index(c));
        grant_experience(creature_xp_value(c));
        loot_roll(c);
    } else if (head) {
        result_message("Coup à la tête !", 1.2f);
        snd_play_at(def.voice_sound, c->pos, 0.7f);
    }
}

// The wolf spirit's bite is the player's own blow.
void player_companion_hit(Creature* target, float amount) {
    if (!creature_alive(target)) return;
    Creature* wolf = creature_companion();
    Vec3 from = wolf ? wolf->pos : player_feet();
    Vec3 dir = target->pos - from;
    hit_creature(target, amount, creature_aim_point(target), HIT_BODY, dir);
}

// ---- Blows on the player ------------------------------------------------------------------

void damage_player(float a, Vec3 s) {
    if (player.dead || !(a > 0.0f)) return;
    float armour = (float)(player.armour > 0 ? player.armour : 0);
    a *= 1.0f - armour / (100.0f + armour);
    if (player.player_class == CLASS_WARRIOR) {
        float dx = s.x - player.pos_x, dz = s.z - player.pos_z;
        float len = std::hypot(dx, dz);
        Vec3 f = facing();
        bool frontal = len < 0.01f || (dx * f.x + dz * f.z) / len > 0.25f;
        if (player.guard_blend > 0.5f && frontal && !charge_running()) {
            a *= 0.3f;
            snd_play(SFX_ANVIL_STRIKE, 1.0f);
            result_float_text(player_feet() + Vec3{0, 2.0f, 0}, "Bloqué", rgba(0.7f, 0.75f, 0.85f), 0.9f, 0.6f, 0.26f);
            player_gain_rage(3.0f);
        } else {
            player_gain_rage(6.0f);
        }
    }
    snd_play(SFX_THUMP, 0.8f);
    // Played flat, told in the captions from where it came.
    snd_heard_at(SFX_THUMP, s, 0.8f);
    player.health = std::fmax(0.0f, player.health - a);
    player.since_hurt = 0.0f;
    hud_hit_flash();
    // The heavier the blow against the whole health, the harder the shake.
    float share = player.max_health > 0.0f ? a / player.max_health : 0.0f;
    pad_shake(0.35f + std::fmin(0.65f, share * 3.0f), 0.25f, 0.22f);
    if (player.health <= 0.0f) {
        player.dead = 1;
        player.death_time = 0.0f;
        // The words name where the player really comes to (Camelot on the
        // surface, the vestibule below).
        const bool below = game_flags.underground || in_catacombs(player.pos_x);
        const char* text = player_look.woman
                               ? (below ? "Vous êtes tombée…\nRetour au vestibule." : "Vous êtes tombée…\nRetour à Camelot.")
                               : (below ? "Vous êtes tombé…\nRetour au vestibule." : "Vous êtes tombé…\nRetour à Camelot.");
        result_message(text, 3.5f);
    }
}

// ---- Damage over time -----------------------------------------------------------------------

void add_damage_over_time(Creature* c, float duration, float per_tick, int kind) {
    if (!creature_alive(c) || c->companion) return;
    int slot = creature_index(c);
    DamageOverTime* e = nullptr;
    for (DamageOverTime& d : dots)
        if (d.active && d.slot == slot && d.serial == c->serial && d.kind == kind) e = &d;
    if (!e) {
        for (DamageOverTime& d : dots)
            if (!d.active) {
                e = &d;
                e->tick = 1.0f;
                e->particle_clock = 0.0f;
                break;
            }
    }
    if (!e) return;
    e->active = 1;
    e->slot = slot;
    e->serial = c->serial;
    e->kind = kind;
    e->remaining = duration;
    e->per_tick = per_tick;
}

void damage_over_time_update(float dt) {
    static const Vec3 colours[3] = {{1.0f, 0.5f, 0.12f}, {0.75f, 0.05f, 0.05f}, {1.0f, 0.95f, 0.35f}};
    for (DamageOverTime& e : dots) {
        if (!e.active) continue;
        Creature* c = e.slot >= 0 && e.slot < CREATURE_CAPACITY ? &creatures[e.slot] : nullptr;
        if (!creature_alive(c) || c->serial != e.serial || c->companion) {
            e.active = 0;
            continue;
        }
        e.remaining -= dt;
        e.tick -= dt;
        float s = c->body_scale;
        e.particle_clock += dt * 14.0f;
        while (e.particle_clock >= 1.0f) {
            e.particle_clock -= 1.0f;
            particles_burst(c->pos + Vec3{0, 0.7f * s, 0}, 1, colours[e.kind % 3], 0.6f, 1.2f, 0.7f);
        }
        if (e.tick <= 0.0f) {
            e.tick += 1.0f;
            hit_creature(c, e.per_tick, c->pos + Vec3{0, 0.9f * s, 0}, HIT_BODY, Vec3{0, 0, 0});
        }
        if (e.remaining <= 0.0f || !creature_alive(c)) e.active = 0;
    }
}

// ---- The warrior's swings ----------------------------------------------------------------------

static void face_point(Vec3 p) {
    float dx = p.x - player.pos_x, dz = p.z - player.pos_z;
    if (dx * dx + dz * dz > 1e-6f) player.heading = std::atan2(dx, dz);
}

void start_swing(int i, float m) {
    Creature* t = player.target;
    if (target_is_valid(t) && hdist_hypot(t->pos, player_feet()) < 4.5f) {
        face_point(t->pos);
    } else {
        // The nearest creature in front of the camera within reach.
        Creature* best = nullptr;
        float best_d = 1e9f;
        Vec3 cf = player.camera_forward;
        float cl = std::hypot(cf.x, cf.z);
        int world = player_world();
        for (Creature& c : creatures) {
            if (!creature_alive(&c) || c.companion || c.world != world) continue;
            float d = hdist_hypot(c.pos, player_feet());
            float gap = d - 0.4f * c.body_scale;
            if (gap > 4.5f || gap < -1.0f) continue;
            if (d > 0.01f && cl > 1e-4f) {
                float dot = ((c.pos.x - player.pos_x) * cf.x + (c.pos.z - player.pos_z) * cf.z) / (d * cl);
                if (dot < 0.2f) continue;
            }
            if (d < best_d) {
                best_d = d;
                best = &c;
            }
        }
        if (best)
            face_point(best->pos);
        else
            player.heading = player.camera_yaw;
    }
    player.combo_index = i;
    player.swing_progress = 0.001f;
    player.swing_hit_done = 0;
    player.swing_multiplier = m;
    player.pending_shield_effect = 0;
    player.attack_cooldown = i == 2 ? 0.72f : 0.48f;
    player.attacks_made += 1;
    snd_play_at(SFX_SWEEP, player_feet(), 0.9f);
}

int next_combo_index() { return player.combo_window > 0.0f ? (player.combo_index + 1) % 3 : 0; }

int swing_hit(float m, float reach, float cone) {
    int world = player_world();
    bool below = in_catacombs(player.pos_x);
    Vec3 f = facing();
    Vec3 eye = player_feet() + Vec3{0, 1.2f, 0};
    int hits = 0;
    float base = player_melee_base();
    for (Creature& c : creatures) {
        if (!creature_alive(&c) || c.companion || c.world != world) continue;
        float d = hdist_hypot(c.pos, player_feet());
        if (d - 0.45f * c.body_scale > reach) continue;
        if (d > 0.3f) {
            float dot = ((c.pos.x - player.pos_x) * f.x + (c.pos.z - player.pos_z) * f.z) / d;
            if (dot < cone) continue;
        }
        if (below && !catacomb_line_clear(eye, c.pos + Vec3{0, 1.0f, 0})) continue;
        float k = m;
        if (player.pending_shield_effect == BLOW_EXECUTE) {
            const SkillNumbers& x = class_skill(CLASS_WARRIOR, SK_EXECUTE).numbers;
            k = c.health < x.threshold * c.max_health ? x.bonus : x.power;
        }
        Vec3 dir = c.pos - player_feet();
        hit_creature(&c, base * k, c.pos + Vec3{0, 1.1f * c.body_scale, 0}, HIT_BODY, dir);
        hits += 1;
        if (creature_alive(&c)) {
            if (player.pending_shield_effect == BLOW_SHIELD_BASH) {
                c.stun_time = std::fmax(c.stun_time, class_skill(CLASS_WARRIOR, SK_SHIELD_BASH).numbers.duration);
                result_float_text(c.pos + Vec3{0, 1.9f * c.body_scale, 0}, "Étourdi !", rgba(1.0f, 0.85f, 0.3f), 1.0f,
                                  0.5f, 0.28f);
            } else if (player.pending_shield_effect == BLOW_REND) {
                const SkillNumbers& r = class_skill(CLASS_WARRIOR, SK_REND).numbers;
                add_damage_over_time(&c, r.duration, r.per_second * base, DOT_BLEED);
            }
        }
        player_gain_rage(2.0f);
    }
    return hits;
}

void swing_update(float dt) {
    if (player.swing_progress > 0.0f) {
        float duration = player.combo_index == 2 ? 0.55f : 0.42f;
        player.swing_progress += dt / duration;
        // The third blow hits harder, but never weakens a stronger skill blow.
        if (player.combo_index == 2) player.swing_multiplier = std::fmax(player.swing_multiplier, 1.6f);
        if (player.swing_progress >= 0.45f && !player.swing_hit_done) {
            player.swing_hit_done = 1;
            swing_hit(player.swing_multiplier, 2.5f, 0.42f);
        }
        if (player.swing_progress >= 1.0f) {
            player.swing_progress = 0.0f;
            player.combo_window = 0.7f;
            player.pending_shield_effect = 0;
        }
    } else if (player.combo_window > 0.0f) {
        player.combo_window = std::fmax(0.0f, player.combo_window - dt);
    }
}

// ---- Lifecycle -----------------------------------------------------------------------------

void combat_clear() {
    std::memset(dots, 0, sizeof(dots));
    std::memset(player_arrows, 0, sizeof(player_arrows));
    particles_clear();
}
