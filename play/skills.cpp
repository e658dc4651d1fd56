// Using a skill: the checks every class shares, then the archer's shots and
// trap, the warrior's blows, charge and whirlwind, the druid's spells; and
// what those leave running: bolts, bramble holds, traps, the arrow rain, heals
// over time and mana.
#include "play/skills.h"

#include <cmath>
#include <cstring>

#include "play/combat.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/targeting.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "sound/sound.h"
#include "render/mesh.h"
#include "world/terrain.h"
#include "world/catacombs.h"

Trap traps[TRAP_CAPACITY];
ArrowRain arrow_rain;
BrambleHold bramble_holds[BRAMBLE_CAPACITY];
Bolt bolts[BOLT_CAPACITY];

namespace {

// The rain's spread has its own generator so criticals stay where they are.
Rng rain_rng = {0xA770u};

uint32_t charge_serial = 0;
float charge_expected = 0.0f;  // the step asked for in the previous frame
Vec3 charge_from = {0, 0, 0};
uint8_t whirlwind_struck = 0;

Vec4 rgba(float r, float g, float b) { return {r, g, b, 1.0f}; }

int class_index() { return player.player_class < 0 ? 0 : (player.player_class > 2 ? 2 : player.player_class); }

void face(const Creature* c) {
    if (!c) return;
    float dx = c->pos.x - player.pos_x, dz = c->pos.z - player.pos_z;
    if (dx * dx + dz * dz > 1e-6f) player.heading = std::atan2(dx, dz);
}

Creature* slot_creature(int slot, uint32_t serial) {
    if (slot < 0 || slot >= CREATURE_CAPACITY) return nullptr;
    Creature* c = &creatures[slot];
    return creature_alive(c) && c->serial == serial ? c : nullptr;
}

void float_heal(float gained) {
    hud_float_text(player_feet() + Vec3{0, 2.1f, 0}, hud_fmt("+%d", (int)gained), rgba(0.45f, 1.0f, 0.5f), 1.3f, 0.9f,
                   0.34f);
}

// A skill that needs a target: the current one or a new one within range.
// With none, or one too far, the skill's own words say so (in place of the
// basic attack's "Cible hors de portée.").
Creature* skill_target(float range, const char* none_text) {
    Creature* t = ensure_target(range);
    if (!t && none_text) hud_message(none_text, 1.4f);
    return t;
}

// ---- Archer --------------------------------------------------------------------------------

bool archer_skill(int s) {
    if (s == 2) {
        // The first free trap, else the newest one (smallest age) is taken.
        Trap* t = nullptr;
        for (Trap& k : traps)
            if (!k.active) {
                t = &k;
                break;
            }
        if (!t) {
            t = &traps[0];
            for (Trap& k : traps)
                if (k.age < t->age) t = &k;
        }
        std::memset(t, 0, sizeof(*t));
        t->active = 1;
        t->pos = player_feet();
        t->world = (uint8_t)player_world();
        snd_play_at(SFX_METALLIC_HIT, player_feet(), 0.6f);
        hud_message("Piège posé.", 1.0f);
        return true;
    }
    Creature* target = ensure_target(45.0f);
    if (!target) return false;
    face(target);
    player.aim_time = 1.2f;
    Vec3 hand = player_bow_hand();
    switch (s) {
        case 0:
            launch_arrow(0.0f, 3.0f, ARROW_PLAIN);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.3f);
            break;
        case 1: {
            static const float offsets[5] = {-0.18f, -0.09f, 0.0f, 0.09f, 0.18f};
            for (int i = 0; i < 5; ++i) launch_arrow(offsets[i], 0.8f, ARROW_PLAIN, i == 0);
            snd_play_at(SFX_TRIPLE_BLOW, hand, 1.0f);
            break;
        }
        case 3:
            launch_arrow(0.0f, 1.6f, ARROW_FIRE);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.1f);
            break;
        case 4:
            launch_arrow(0.0f, 1.2f, ARROW_ICE);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.1f);
            break;
        case 5: {
            float fx = std::sin(player.heading), fz = std::cos(player.heading);
            Vec3 side = {fz, 0.0f, -fx};
            PlayerArrow* a = launch_arrow(0.0f, 1.0f, ARROW_PLAIN);
            a->pos += side * 0.12f + Vec3{0, 0.05f, 0};
            PlayerArrow* b = launch_arrow(0.0f, 1.0f, ARROW_PLAIN, false);
            b->pos += side * -0.12f + Vec3{0, -0.05f, 0};
            snd_play_at(SFX_TRIPLE_BLOW, hand, 0.8f);
            break;
        }
        case 6:
            launch_arrow(0.0f, 2.2f, ARROW_PIERCING);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.5f);
            break;
        case 7: {
            arrow_rain.active = 1;
            arrow_rain.centre = target->pos;
            arrow_rain.volleys = 4;
            arrow_rain.timer = 0.35f;
            static const float offsets[3] = {-0.15f, 0.0f, 0.15f};
            for (int i = 0; i < 3; ++i) {
                // Loosed upward for show; they come down without striking.
                PlayerArrow* a = launch_arrow(offsets[i], 0.0f, ARROW_FALLING, i == 0);
                a->homing_slot = -1;
                a->vel = a->vel * 0.6f + Vec3{0, 22.0f, 0};
                a->dir = normalize(a->vel);
            }
            snd_play_at(SFX_TRIPLE_BLOW, hand, 1.2f);
            break;
        }
        default:
            return false;
    }
    player.draw_blend = 0.0f;
    player.attack_cooldown = 0.55f;
    return true;
}

// ---- Warrior -------------------------------------------------------------------------------

bool warrior_skill(int s) {
    Creature* t = target_is_valid(player.target) ? player.target : nullptr;
    switch (s) {
        case 0:
            start_swing(2, 2.5f);
            snd_play_at(SFX_SWEEP, player_feet(), 1.3f);
            return true;
        case 1: {
            // Only a target the player chose: the charge never picks one.
            float d = t ? hdist_hypot(t->pos, player_feet()) : 0.0f;
            bool ok = t && d >= 4.5f && d <= 25.0f;
            if (ok && in_catacombs(player.pos_x))
                ok = catacomb_line_clear(player_feet() + Vec3{0, 1.2f, 0}, t->pos + Vec3{0, 1.0f, 0});
            if (!ok) {
                hud_message("Charge : choisissez une cible entre 5 et 25 m.", 1.4f);
                return false;
            }
            player.charge_time = 0.001f;
            player.charge_target = creature_index(t);
            charge_serial = t->serial;
            charge_expected = 0.0f;
            charge_from = player_feet();
            face(t);
            snd_play_at(SFX_FOOTSTEP, player_feet(), 1.2f);
            hud_message("Charge !", 0.8f);
            return true;
        }
        case 2:
            player.whirlwind_progress = 0.001f;
            whirlwind_struck = 0;
            player.heading = player.camera_yaw;
            snd_play_at(SFX_TRIPLE_BLOW, player_feet(), 1.0f);
            return true;
        case 3:
            face(t);
            start_swing(1, 1.2f);
            player.pending_shield_effect = 1;
            snd_play_at(SFX_ANVIL_STRIKE, player_feet(), 1.0f);
            return true;
        case 4:
            player.war_cry_time = 10.0f;
            player_gain_rage(25.0f);
            player.levelup_glow = 0.8f;
            hud_message("Cri de guerre ! Vos coups redoublent.", 1.4f);
            snd_play(SFX_LEVEL_UP, 0.8f);
            return true;
        case 5:
            face(t);
            start_swing(0, 0.8f);
            player.pending_shield_effect = 2;
            snd_play_at(SFX_SWEEP, player_feet(), 1.2f);
            return true;
        case 6: {
            float g = player_heal(0.3f * player.max_health);
            float_heal(g);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 18, {0.4f, 1.0f, 0.45f}, 1.6f, 1.5f, 0.9f);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            return true;
        }
        case 7:
            face(t);
            start_swing(2, 1.5f);
            player.pending_shield_effect = 3;
            snd_play_at(SFX_SWEEP, player_feet(), 1.4f);
            return true;
        default:
            return false;
    }
}

// ---- Druid -----------------------------------------------------------------------------------

bool druid_skill(int s) {
    switch (s) {
        case 0: {
            float g = player_heal(0.3f * player.max_health);
            player.life_breath_time = 5.0f;
            float_heal(g);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 28, {0.35f, 0.8f, 0.25f}, 1.8f, 1.4f, 1.2f);
            return true;
        }
        case 1: {
            Creature* t = skill_target(30.0f, "Ronces : choisissez une cible (30 m au plus).");
            if (!t) return false;
            BrambleHold* h = nullptr;
            for (BrambleHold& b : bramble_holds)
                if (!b.active) {
                    h = &b;
                    break;
                }
            if (!h) h = &bramble_holds[0];
            h->active = 1;
            h->slot = creature_index(t);
            h->serial = t->serial;
            h->remaining = 4.0f;
            h->tick = 1.0f;
            t->stun_time = std::fmax(t->stun_time, 4.0f);
            snd_play_at(SFX_METALLIC_HIT, t->pos, 1.0f);
            hud_float_text(t->pos + Vec3{0, 1.9f * std::fmax(t->body_scale, 1.0f), 0}, "Pris dans les ronces !",
                           rgba(0.55f, 0.85f, 0.3f), 1.0f, 0.5f, 0.26f);
            Vec3 dir = t->pos - player_feet();
            hit_creature(t, 0.35f * player_ranged_base(), t->pos + Vec3{0, 0.4f, 0}, HIT_BODY, dir);
            return true;
        }
        case 2: {
            float a = player.heading + 1.2f;
            Vec3 at = player_feet() + Vec3{std::sin(a) * 1.5f, 0.0f, std::cos(a) * 1.5f};
            if (!summon_companion(at, 30.0f)) return false;
            snd_play_at(SFX_WOBBLE_CRY, at, 1.0f);
            hud_message("Un loup-esprit répond à votre appel !", 1.4f);
            return true;
        }
        case 3: {
            Creature* t = skill_target(45.0f, "Colère du soleil : choisissez une cible.");
            if (!t) return false;
            face(t);
            cast_bolt(1.8f, 1);
            snd_play_at(SFX_PORTAL_HUM, player_feet(), 1.0f);
            return true;
        }
        case 4:
            player.regeneration_time = 12.0f;
            hud_message("La sève de Tervanne vous parcourt.", 1.4f);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            return true;
        case 5: {
            Creature* t = skill_target(30.0f, "Essaim de lucioles : choisissez une cible (30 m au plus).");
            if (!t) return false;
            face(t);
            add_damage_over_time(t, 8.0f, 0.4f * player_ranged_base(), DOT_FIREFLIES);
            hud_float_text(t->pos + Vec3{0, 1.9f * std::fmax(t->body_scale, 1.0f), 0}, "Lucioles !",
                           rgba(1.0f, 0.95f, 0.4f), 1.0f, 0.5f, 0.26f);
            snd_play_at(SFX_PORTAL_HUM, t->pos, 1.0f);
            return true;
        }
        case 6: {
            int world = player_world();
            int hit = 0;
            float dmg = 1.5f * player_ranged_base();
            for (Creature& c : creatures) {
                // The wolf spirit fights beside the druid: the wave spares it.
                if (!creature_alive(&c) || c.companion || c.world != world) continue;
                if (hdist_hypot(c.pos, player_feet()) > 7.0f) continue;
                Vec3 out = c.pos - player_feet();
                hit_creature(&c, dmg, c.pos + Vec3{0, 0.9f * std::fmax(c.body_scale, 1.0f), 0}, HIT_BODY, out);
                hit += 1;
                if (creature_alive(&c)) {
                    creature_stagger(&c, 1.0f, out);
                    c.stun_time = std::fmax(c.stun_time, 1.0f);
                }
            }
            particles_burst(player_feet() + Vec3{0, 0.1f, 0}, 60, {0.55f, 0.45f, 0.3f}, 7.0f, 1.2f, 0.9f);
            snd_play(SFX_ANVIL_STRIKE, 1.0f);
            if (hit > 0)
                hud_message(hud_fmt("Courroux de Tervanne : %d créature%s frappée%s", hit, hit > 1 ? "s" : "",
                                    hit > 1 ? "s" : ""),
                            1.4f);
            else
                hud_message("Courroux de Tervanne", 1.4f);
            return true;
        }
        case 7: {
            float g = player_heal(0.6f * player.max_health);
            float_heal(g);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 40, {0.5f, 0.75f, 1.0f}, 1.8f, 1.6f, 1.2f);
            snd_play(SFX_LEVEL_UP, 0.7f);
            hud_message("La Dame du Lac veille sur vous.", 1.4f);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

const SkillDef& skill_of(int slot) {
    if (slot < 0) slot = 0;
    if (slot >= SKILLS_PER_CLASS) slot = SKILLS_PER_CLASS - 1;
    return skill_defs[class_index() * SKILLS_PER_CLASS + slot];
}

bool charge_running() { return player.charge_time > 0.0f; }

bool use_skill(int s) {
    // Only the eight slots of the class: anything else (a damaged bar value)
    // must never index the tables.
    if (s < 0 || s >= SKILLS_PER_CLASS || player.dead) return false;
    const SkillDef& def = skill_of(s);
    if (player.level < def.level) {
        hud_message(hud_fmt("%s : niveau %d requis.", def.name, def.level), 1.4f);
        return false;
    }
    if (player.skill_cooldown[s] > 0.0f) {
        hud_message(hud_fmt("%s : encore %d s.", def.name, (int)std::ceil(player.skill_cooldown[s])), 1.0f);
        return false;
    }
    switch (class_index()) {
        case CLASS_DRUID:
            if (player.mana < (float)def.cost) {
                hud_message(hud_fmt("%s : il faut %d de mana.", def.name, def.cost), 1.0f);
                return false;
            }
            if (!druid_skill(s)) return false;
            player.mana -= (float)def.cost;
            player.cast_glow = 1.0f;
            player.rage_idle = 0.0f;
            player.skill_cooldown[s] = def.cooldown;
            return true;
        case CLASS_WARRIOR:
            if (player.rage < (float)def.cost) {
                hud_message(hud_fmt("%s : il faut %d de rage.", def.name, def.cost), 1.2f);
                return false;
            }
            if (player.swing_progress > 0.0f || charge_running() || player.whirlwind_progress > 0.0f) return false;
            if (!warrior_skill(s)) return false;
            player.rage = std::fmax(0.0f, player.rage - (float)def.cost);
            player.skill_cooldown[s] = def.cooldown;
            return true;
        default:
            if (!archer_skill(s)) return false;
            player.skill_cooldown[s] = def.cooldown;
            return true;
    }
}

// ---- Bolts ---------------------------------------------------------------------------------------

void cast_bolt(float multiplier, int kind) {
    Vec3 tip = player_staff_tip();
    Creature* t = target_is_valid(player.target) ? player.target : nullptr;
    Vec3 dir = t ? normalize(creature_aim_point(t) - tip) : normalize(player.camera_forward);
    Bolt* b = nullptr;
    for (Bolt& k : bolts)
        if (!k.active) {
            b = &k;
            break;
        }
    if (!b) {
        // All sixteen in flight: the oldest gives way.
        b = &bolts[0];
        for (Bolt& k : bolts)
            if (k.age > b->age) b = &k;
    }
    std::memset(b, 0, sizeof(*b));
    b->active = 1;
    b->pos = tip;
    b->vel = dir * (kind == 1 ? 24.0f : 30.0f);
    b->multiplier = multiplier;
    b->kind = kind;
    b->homing_slot = t ? creature_index(t) : -1;
    b->homing_serial = t ? t->serial : 0;
    if (dir.x * dir.x + dir.z * dir.z > 1e-6f) player.heading = std::atan2(dir.x, dir.z);
    player.attacks_made += 1;
    player.cast_glow = 1.0f;
    snd_play_at(SFX_PORTAL_HUM, tip, 0.35f);
    Vec3 colour = kind == 1 ? Vec3{1.0f, 0.8f, 0.3f} : Vec3{0.6f, 0.75f, 1.0f};
    particles_burst(tip, kind == 1 ? 14 : 6, colour, 1.2f, 0.8f, 0.5f);
}

static void bolt_hits(Bolt& b, Creature* c, int part) {
    float d = player_ranged_base() * 0.95f * b.multiplier;
    if (part == HIT_HEAD) d *= 1.5f;
    hit_creature(c, d, b.pos, part, b.vel);
    player.targets_hit += 1;
    Vec3 colour = b.kind == 1 ? Vec3{1.0f, 0.8f, 0.3f} : Vec3{0.6f, 0.75f, 1.0f};
    particles_burst(b.pos, 10, colour, 2.0f, 1.0f, 0.5f);
    b.active = 0;
}

void bolts_update(float dt) {
    int world = player_world();
    for (Bolt& b : bolts) {
        if (!b.active) continue;
        b.age += dt;
        Creature* t = b.homing_slot >= 0 ? slot_creature(b.homing_slot, b.homing_serial) : nullptr;
        if (!t || t->world != world) b.homing_slot = -1;
        if (b.homing_slot < 0 && b.age > 2.5f) {
            b.active = 0;
            continue;
        }
        float speed = length(b.vel);
        float h = dt * 0.25f;
        for (int i = 0; i < 4 && b.active; ++i) {
            if (b.homing_slot >= 0) {
                Vec3 aim = creature_aim_point(t);
                Vec3 to = aim - b.pos;
                float dist = length(to);
                if (dist <= speed * h + 0.35f) {
                    b.pos = aim;
                    bolt_hits(b, t, HIT_BODY);
                    break;
                }
                b.vel = to * (speed / dist);
                b.pos += b.vel * h;
                continue;
            }
            b.pos += b.vel * h;
            bool below = in_catacombs(b.pos.x);
            if (below ? catacomb_solid(b.pos) : b.pos.y <= ground_height(b.pos.x, b.pos.z)) {
                b.active = 0;
                break;
            }
            for (Creature& c : creatures) {
                if (!creature_alive(&c) || c.companion || c.world != world) continue;
                int part = hit_part(&c, b.pos);
                if (part) {
                    bolt_hits(b, &c, part);
                    break;
                }
            }
        }
    }
}

// ---- Per frame -------------------------------------------------------------------------------------

static void whirlwind_update(float dt) {
    if (player.whirlwind_progress <= 0.0f) return;
    player.whirlwind_progress += dt / 0.6f;
    if (player.whirlwind_progress >= 0.5f && !whirlwind_struck) {
        whirlwind_struck = 1;
        int n = swing_hit(1.4f, 3.3f, -2.0f);
        if (n > 0)
            hud_message(hud_fmt("Tourbillon : %d créature%s touchée%s", n, n > 1 ? "s" : "", n > 1 ? "s" : ""), 1.2f);
    }
    if (player.whirlwind_progress >= 1.0f) player.whirlwind_progress = 0.0f;
}

static void brambles_update(float dt) {
    float dmg = 0.35f * player_ranged_base();
    for (BrambleHold& h : bramble_holds) {
        if (!h.active) continue;
        Creature* c = slot_creature(h.slot, h.serial);
        if (!c) {
            h.active = 0;
            continue;
        }
        h.remaining -= dt;
        h.tick -= dt;
        if (h.tick <= 0.0f) {
            h.tick += 1.0f;
            hit_creature(c, dmg, c->pos + Vec3{0, 0.4f, 0}, HIT_BODY, Vec3{0, 0, 0});
        }
        if (h.remaining <= 0.0f) h.active = 0;
    }
}

void skills_update(float dt) {
    for (float& cd : player.skill_cooldown) cd = std::fmax(0.0f, cd - dt);
    player.war_cry_time = std::fmax(0.0f, player.war_cry_time - dt);
    player.cast_glow = std::fmax(0.0f, player.cast_glow - 2.2f * dt);
    if (player.player_class == CLASS_DRUID) {
        player.max_mana = 100.0f + 8.0f * (float)(player.level - 1);
        player_gain_mana((player.rage_idle > 5.0f ? 9.0f : 3.5f) * dt);
        if (player.mana > player.max_mana) player.mana = player.max_mana;
    }
    if (player.life_breath_time > 0.0f) {
        float t = std::fmin(dt, player.life_breath_time);
        player.life_breath_time -= dt;
        player_heal(0.03f * player.max_health * t);
    }
    if (player.regeneration_time > 0.0f) {
        float t = std::fmin(dt, player.regeneration_time);
        player.regeneration_time -= dt;
        player_heal(0.04f * player.max_health * t);
    }
    brambles_update(dt);
    if (player.player_class == CLASS_WARRIOR) {
        swing_update(dt);
        whirlwind_update(dt);
    }
}

static void rain_volley() {
    Vec3 c = arrow_rain.centre;
    for (int i = 0; i < 12; ++i) {
        float a = rng_float(rain_rng) * 2.0f * PI;
        float r = std::sqrt(rng_float(rain_rng)) * 5.0f;
        float x = c.x + std::cos(a) * r, z = c.z + std::sin(a) * r;
        float y = c.y + 16.0f + 3.0f * rng_float(rain_rng);
        spawn_arrow({x, y, z}, {0.0f, -38.0f, 0.0f}, ARROW_FALLING);
    }
    int world = player_world();
    float dmg = 0.6f * player_ranged_base();
    for (Creature& k : creatures) {
        if (!creature_alive(&k) || k.companion || k.world != world) continue;
        if (hdist_hypot(k.pos, c) > 5.5f) continue;
        hit_creature(&k, dmg, k.pos + Vec3{0, 0.9f * k.body_scale, 0}, HIT_BODY, Vec3{0, -1, 0});
    }
}

void traps_update(float dt) {
    for (Trap& t : traps) {
        if (!t.active) continue;
        t.age += dt;
        if (t.sprung) {
            if (t.age > 2.5f) t.active = 0;
            continue;
        }
        if (t.age > 90.0f) {
            t.active = 0;
            continue;
        }
        for (Creature& c : creatures) {
            if (!creature_alive(&c) || c.companion || c.world != t.world) continue;
            if (hdist_hypot(c.pos, t.pos) > std::fmax(c.body_scale, 1.0f)) continue;
            t.sprung = 1;
            t.age = 0.0f;
            c.stun_time = 5.0f;
            snd_play_at(SFX_METALLIC_HIT, t.pos, 1.0f);
            hud_message(hud_fmt("%s est pris au piège !", creature_display_name(&c)), 1.4f);
            hit_creature(&c, 1.6f * player_ranged_base(), c.pos + Vec3{0, 0.4f, 0}, HIT_BODY, Vec3{0, 0, 0});
            break;
        }
    }
    if (arrow_rain.active) {
        arrow_rain.timer -= dt;
        if (arrow_rain.timer <= 0.0f) {
            rain_volley();
            arrow_rain.volleys -= 1;
            arrow_rain.timer += 0.5f;
            if (arrow_rain.volleys <= 0) arrow_rain.active = 0;
        }
    }
}

void clear_skills() {
    std::memset(bolts, 0, sizeof(bolts));
    std::memset(bramble_holds, 0, sizeof(bramble_holds));
    std::memset(traps, 0, sizeof(traps));
    std::memset(&arrow_rain, 0, sizeof(arrow_rain));
    for (float& cd : player.skill_cooldown) cd = 0.0f;
    player.regeneration_time = 0.0f;
    player.life_breath_time = 0.0f;
    player.war_cry_time = 0.0f;
    player.cast_glow = 0.0f;
    player.pending_shield_effect = 0;
    player.swing_progress = 0.0f;
    player.whirlwind_progress = 0.0f;
    player.charge_time = 0.0f;
    player.charge_target = -1;
    combat_clear();
}

// ---- The charge -----------------------------------------------------------------------------------

static void end_charge() {
    player.charge_time = 0.0f;
    player.charge_target = -1;
    charge_expected = 0.0f;
}

bool player_charge_step(float dt, float* step_x, float* step_z) {
    if (!charge_running()) return false;
    Creature* t = slot_creature(player.charge_target, charge_serial);
    if (!t || !target_is_valid(t)) {
        end_charge();
        return false;
    }
    // Underground a wall that stops the rush ends it.
    Vec3 now = player_feet();
    if (in_catacombs(player.pos_x) && charge_expected > 0.02f &&
        hdist_hypot(now, charge_from) < 0.25f * charge_expected) {
        end_charge();
        return false;
    }
    player.charge_time += dt;
    if (player.charge_time > 1.4f) {
        end_charge();
        return false;
    }
    face(t);
    float d = hdist_hypot(t->pos, now);
    float contact = 1.3f + 0.45f * t->body_scale;
    if (d <= contact) {
        t->stun_time = std::fmax(t->stun_time, 1.5f);
        hud_float_text(t->pos + Vec3{0, 1.9f * t->body_scale, 0}, "Étourdi !", rgba(1.0f, 0.85f, 0.3f), 1.0f, 0.5f,
                       0.28f);
        hit_creature(t, 0.5f * player_melee_base(), t->pos + Vec3{0, 1.1f * t->body_scale, 0}, HIT_BODY,
                     t->pos - now);
        player_gain_rage(20.0f);
        snd_play_at(SFX_ANVIL_STRIKE, now, 0.8f);
        end_charge();
        *step_x = 0.0f;
        *step_z = 0.0f;
        return true;
    }
    float move = std::fmin(22.0f * dt, d - contact);
    *step_x = (t->pos.x - now.x) / d * move;
    *step_z = (t->pos.z - now.z) / d * move;
    player.ground_speed = 6.5f;
    charge_expected = move;
    charge_from = now;
    return true;
}

// ---- Drawing ---------------------------------------------------------------------------------------

namespace {

GpuMesh* jaw_mesh = nullptr;
GpuMesh* tooth_mesh = nullptr;
GpuMesh* thorn_mesh = nullptr;
Material* metal = nullptr;
Material* bramble = nullptr;

void ensure_meshes() {
    if (jaw_mesh) return;
    MeshBuilder r = shape_ellipsoid_band(0.38f, 0.05f, 0.38f, 1.2f, 1.94f, 20);
    jaw_mesh = mesh_upload(&r);
    MeshBuilder t = shape_frustum(0.0f, 0.03f, 0.12f, 4, true);
    tooth_mesh = mesh_upload(&t);
    MeshBuilder h = shape_frustum(0.0f, 0.06f, 1.0f, 5, true);
    thorn_mesh = mesh_upload(&h);
    Material m;
    material_init(&m, {0.42f, 0.42f, 0.45f});
    m.double_sided = 1;
    metal = material_copy(m);
    material_init(&m, {0.25f, 0.32f, 0.12f});
    bramble = material_copy(m);
}

}  // namespace

void skills_submit(const GpuMesh* speck, const Material* glow) {
    ensure_meshes();
    int world = player_world();
    for (const Trap& t : traps) {
        if (!t.active || t.world != world) continue;
        Vec3 base = t.pos + Vec3{0, 0.04f, 0};
        render_add(jaw_mesh, metal, mat4_translate(base), {1, 1, 1});
        // Teeth stand up while armed and lean in once the jaws have closed.
        float lean = t.sprung ? 1.1f : 0.0f;
        for (int i = 0; i < 8; ++i) {
            float a = (float)i * (2.0f * PI / 8.0f);
            Vec3 p = base + Vec3{std::sin(a) * 0.34f, 0.06f, std::cos(a) * 0.34f};
            render_add(tooth_mesh, metal, mat4_translate(p) * mat4_rotate_y(a) * mat4_rotate_x(-lean), {1, 1, 1});
        }
    }
    for (const BrambleHold& h : bramble_holds) {
        if (!h.active) continue;
        const Creature& c = creatures[h.slot];
        float s = std::fmax(c.body_scale, 1.0f);
        float grow = clampf((4.0f - h.remaining) * 4.0f, 0.2f, 1.0f);
        for (int i = 0; i < 7; ++i) {
            float a = (float)i * 0.9f + (float)h.serial;
            Vec3 p = c.pos + Vec3{std::sin(a) * 0.5f * s, 0.35f * grow * s, std::cos(a) * 0.5f * s};
            Mat4 m = mat4_translate(p) * mat4_rotate_y(a) * mat4_rotate_x(-0.45f) *
                     mat4_scale({s, grow * s * (0.7f + 0.1f * (float)(i % 3)), s});
            render_add(thorn_mesh, bramble, m, {1, 1, 1});
        }
    }
    for (const Bolt& b : bolts) {
        if (!b.active) continue;
        float k = b.kind == 1 ? 3.2f : 2.4f;
        Vec3 colour = b.kind == 1 ? Vec3{1.4f, 1.0f, 0.35f} : Vec3{0.7f, 0.85f, 1.4f};
        render_add(speck, glow, mat4_translate(b.pos) * mat4_scale({k, k, k}), colour);
    }
}
