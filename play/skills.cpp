// Using a skill: the checks every class shares, then the archer's shots and
// trap, the warrior's blows, charge and whirlwind, the druid's spells; and
// what those leave running: bolts, bramble holds, traps, the arrow rain, heals
// over time and mana.
#include "play/skills.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "common/game_events.h"
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
    result_float_text(player_feet() + Vec3{0, 2.1f, 0}, hud_fmt("+%d", (int)gained), rgba(0.45f, 1.0f, 0.5f), 1.3f,
                      0.9f, 0.34f);
}

// A skill that needs a target: the current one or a new one within range.
// With none, or one too far, the skill's own words say so (in place of the
// basic attack's "Cible hors de portée.").
Creature* skill_target(float range, const char* none_text) {
    Creature* t = ensure_target(range);
    if (!t && none_text) result_message(none_text, 1.4f);
    return t;
}

// ---- Archer --------------------------------------------------------------------------------

bool archer_skill(int s) {
    const SkillDef& def = class_skill(CLASS_ARCHER, s);
    const SkillNumbers& n = def.numbers;
    if (s == SK_JAW_TRAP) {
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
        result_message("Piège posé.", 1.0f);
        return true;
    }
    Creature* target = ensure_target(45.0f);
    if (!target) return false;
    face(target);
    player.aim_time = 1.2f;
    Vec3 hand = player_bow_hand();
    switch (s) {
        case SK_POWER_SHOT:
            launch_arrow(0.0f, n.power, ARROW_PLAIN);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.3f);
            break;
        case SK_VOLLEY: {
            // A fan 0.09 wide between arrows, centred on the aim.
            for (int i = 0; i < n.count; ++i)
                launch_arrow(((float)i - 0.5f * (float)(n.count - 1)) * 0.09f, n.power, ARROW_PLAIN, i == 0);
            snd_play_at(SFX_TRIPLE_BLOW, hand, 1.0f);
            break;
        }
        case SK_FIRE_ARROW:
            launch_arrow(0.0f, n.power, ARROW_FIRE);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.1f);
            break;
        case SK_FROST_ARROW:
            launch_arrow(0.0f, n.power, ARROW_ICE);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.1f);
            break;
        case SK_TWIN_ARROWS: {
            // Two arrows side by side (the row's count says two).
            float fx = std::sin(player.heading), fz = std::cos(player.heading);
            Vec3 side = {fz, 0.0f, -fx};
            PlayerArrow* a = launch_arrow(0.0f, n.power, ARROW_PLAIN);
            a->pos += side * 0.12f + Vec3{0, 0.05f, 0};
            PlayerArrow* b = launch_arrow(0.0f, n.power, ARROW_PLAIN, false);
            b->pos += side * -0.12f + Vec3{0, -0.05f, 0};
            snd_play_at(SFX_TRIPLE_BLOW, hand, 0.8f);
            break;
        }
        case SK_PIERCING_ARROW:
            launch_arrow(0.0f, n.power, ARROW_PIERCING);
            snd_play_at(SFX_HEAVY_BLOW, hand, 1.5f);
            break;
        case SK_ARROW_RAIN: {
            arrow_rain.active = 1;
            arrow_rain.centre = target->pos;
            arrow_rain.volleys = n.count;
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
    const SkillNumbers& n = class_skill(CLASS_WARRIOR, s).numbers;
    Creature* t = target_is_valid(player.target) ? player.target : nullptr;
    switch (s) {
        case SK_HEROIC_STRIKE:
            start_swing(2, n.power);
            snd_play_at(SFX_SWEEP, player_feet(), 1.3f);
            return true;
        case SK_CHARGE: {
            // Only a target the player chose: the charge never picks one. Half
            // a metre of grace under the nearest distance the text gives.
            float d = t ? hdist_hypot(t->pos, player_feet()) : 0.0f;
            bool ok = t && d >= n.min_range - 0.5f && d <= n.range;
            if (ok && in_catacombs(player.pos_x))
                ok = catacomb_line_clear(player_feet() + Vec3{0, 1.2f, 0}, t->pos + Vec3{0, 1.0f, 0});
            if (!ok) {
                result_message(hud_fmt("Charge : choisissez une cible entre %g et %g m.", (double)n.min_range,
                                       (double)n.range),
                               1.4f);
                return false;
            }
            player.charge_time = 0.001f;
            player.charge_target = creature_index(t);
            charge_serial = t->serial;
            charge_expected = 0.0f;
            charge_from = player_feet();
            face(t);
            snd_play_at(SFX_FOOTSTEP, player_feet(), 1.2f);
            result_message("Charge !", 0.8f);
            return true;
        }
        case SK_WHIRLWIND:
            player.whirlwind_progress = 0.001f;
            whirlwind_struck = 0;
            player.heading = player.camera_yaw;
            snd_play_at(SFX_TRIPLE_BLOW, player_feet(), 1.0f);
            return true;
        case SK_SHIELD_BASH:
            face(t);
            start_swing(1, n.power);
            player.pending_shield_effect = BLOW_SHIELD_BASH;
            snd_play_at(SFX_ANVIL_STRIKE, player_feet(), 1.0f);
            return true;
        case SK_WAR_CRY:
            player.war_cry_time = n.duration;
            player_gain_rage(n.bonus);
            player.levelup_glow = 0.8f;
            result_message("Cri de guerre ! Vos coups redoublent.", 1.4f);
            snd_play(SFX_LEVEL_UP, 0.8f);
            return true;
        case SK_REND:
            face(t);
            start_swing(0, n.power);
            player.pending_shield_effect = BLOW_REND;
            snd_play_at(SFX_SWEEP, player_feet(), 1.2f);
            return true;
        case SK_SECOND_WIND: {
            float g = player_heal(n.power * player.max_health);
            float_heal(g);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 18, {0.4f, 1.0f, 0.45f}, 1.6f, 1.5f, 0.9f);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            return true;
        }
        case SK_EXECUTE:
            face(t);
            start_swing(2, n.power);
            player.pending_shield_effect = BLOW_EXECUTE;
            snd_play_at(SFX_SWEEP, player_feet(), 1.4f);
            return true;
        default:
            return false;
    }
}

// ---- Druid -----------------------------------------------------------------------------------

bool druid_skill(int s) {
    const SkillNumbers& n = class_skill(CLASS_DRUID, s).numbers;
    switch (s) {
        case SK_LIFE_BREATH: {
            float g = player_heal(n.power * player.max_health);
            player.life_breath_time = n.duration;
            float_heal(g);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 28, {0.35f, 0.8f, 0.25f}, 1.8f, 1.4f, 1.2f);
            return true;
        }
        case SK_BRAMBLES: {
            Creature* t =
                skill_target(n.range, hud_fmt("Ronces : choisissez une cible (%g m au plus).", (double)n.range));
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
            h->remaining = n.duration;
            h->tick = 1.0f;
            t->stun_time = std::fmax(t->stun_time, n.duration);
            snd_play_at(SFX_METALLIC_HIT, t->pos, 1.0f);
            result_float_text(t->pos + Vec3{0, 1.9f * std::fmax(t->body_scale, 1.0f), 0}, "Pris dans les ronces !",
                              rgba(0.55f, 0.85f, 0.3f), 1.0f, 0.5f, 0.26f);
            Vec3 dir = t->pos - player_feet();
            hit_creature(t, n.per_second * player_ranged_base(), t->pos + Vec3{0, 0.4f, 0}, HIT_BODY, dir);
            return true;
        }
        case SK_WOLF_SPIRIT: {
            float a = player.heading + 1.2f;
            Vec3 at = player_feet() + Vec3{std::sin(a) * 1.5f, 0.0f, std::cos(a) * 1.5f};
            if (!summon_companion(at, n.duration)) return false;
            snd_play_at(SFX_WOBBLE_CRY, at, 1.0f);
            result_message("Un loup-esprit répond à votre appel !", 1.4f);
            return true;
        }
        case SK_SUN_WRATH: {
            Creature* t = skill_target(n.range, "Colère du soleil : choisissez une cible.");
            if (!t) return false;
            face(t);
            cast_bolt(n.power, 1);
            snd_play_at(SFX_PORTAL_HUM, player_feet(), 1.0f);
            return true;
        }
        case SK_REGENERATION:
            player.regeneration_time = n.duration;
            result_message("La sève de Tervanne vous parcourt.", 1.4f);
            snd_play(SFX_RISING_CHIRPS, 1.0f);
            return true;
        case SK_FIREFLIES: {
            Creature* t = skill_target(
                n.range, hud_fmt("Essaim de lucioles : choisissez une cible (%g m au plus).", (double)n.range));
            if (!t) return false;
            face(t);
            add_damage_over_time(t, n.duration, n.per_second * player_ranged_base(), DOT_FIREFLIES);
            result_float_text(t->pos + Vec3{0, 1.9f * std::fmax(t->body_scale, 1.0f), 0}, "Lucioles !",
                              rgba(1.0f, 0.95f, 0.4f), 1.0f, 0.5f, 0.26f);
            snd_play_at(SFX_PORTAL_HUM, t->pos, 1.0f);
            return true;
        }
        case SK_TERVANNE_WRATH: {
            int world = player_world();
            int hit = 0;
            float dmg = n.power * player_ranged_base();
            for (Creature& c : creatures) {
                // The wolf spirit fights beside the druid: the wave spares it.
                if (!creature_alive(&c) || c.companion || c.world != world) continue;
                if (hdist_hypot(c.pos, player_feet()) > n.range) continue;
                Vec3 out = c.pos - player_feet();
                hit_creature(&c, dmg, c.pos + Vec3{0, 0.9f * std::fmax(c.body_scale, 1.0f), 0}, HIT_BODY, out);
                hit += 1;
                if (creature_alive(&c)) {
                    creature_stagger(&c, n.duration, out);
                    c.stun_time = std::fmax(c.stun_time, n.duration);
                }
            }
            particles_burst(player_feet() + Vec3{0, 0.1f, 0}, 60, {0.55f, 0.45f, 0.3f}, 7.0f, 1.2f, 0.9f);
            snd_play(SFX_ANVIL_STRIKE, 1.0f);
            if (hit > 0)
                result_message(hud_fmt("Courroux de Tervanne : %d créature%s frappée%s", hit, hit > 1 ? "s" : "",
                                       hit > 1 ? "s" : ""),
                               1.4f);
            else
                result_message("Courroux de Tervanne", 1.4f);
            return true;
        }
        case SK_VIVIANE_BLESSING: {
            float g = player_heal(n.power * player.max_health);
            float_heal(g);
            particles_burst(player_feet() + Vec3{0, 1.0f, 0}, 40, {0.5f, 0.75f, 1.0f}, 1.8f, 1.6f, 1.2f);
            snd_play(SFX_LEVEL_UP, 0.7f);
            result_message("La Dame du Lac veille sur vous.", 1.4f);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

const SkillDef& class_skill(int player_class, int slot) {
    // A slot or class outside the tables is a caller's fault; a player's game
    // goes on with the nearest row.
    assert(slot >= 0 && slot < SKILLS_PER_CLASS);
    assert(player_class >= CLASS_ARCHER && player_class <= CLASS_DRUID);
    if (slot < 0) slot = 0;
    if (slot >= SKILLS_PER_CLASS) slot = SKILLS_PER_CLASS - 1;
    if (player_class < CLASS_ARCHER) player_class = CLASS_ARCHER;
    if (player_class > CLASS_DRUID) player_class = CLASS_DRUID;
    return skill_defs[player_class * SKILLS_PER_CLASS + slot];
}

const SkillDef& skill_of(int slot) {
    if (slot < 0) slot = 0;
    if (slot >= SKILLS_PER_CLASS) slot = SKILLS_PER_CLASS - 1;
    return class_skill(class_index(), slot);
}

bool charge_running() { return player.charge_time > 0.0f; }

bool use_skill(int s) {
    // Only the eight slots of the class: anything else (a damaged bar value)
    // must never index the tables.
    if (s < 0 || s >= SKILLS_PER_CLASS || player.dead) return false;
    const SkillDef& def = skill_of(s);
    if (player.level < def.level) {
        result_message(hud_fmt("%s : niveau %d requis.", def.name, def.level), 1.4f);
        return false;
    }
    if (player.skill_cooldown[s] > 0.0f) {
        result_message(hud_fmt("%s : encore %d s.", def.name, (int)std::ceil(player.skill_cooldown[s])), 1.0f);
        return false;
    }
    switch (class_index()) {
        case CLASS_DRUID:
            if (player.mana < (float)def.cost) {
                result_message(hud_fmt("%s : il faut %d de mana.", def.name, def.cost), 1.0f);
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
                result_message(hud_fmt("%s : il faut %d de rage.", def.name, def.cost), 1.2f);
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
        const SkillNumbers& w = class_skill(CLASS_WARRIOR, SK_WHIRLWIND).numbers;
        int n = swing_hit(w.power, w.range, -2.0f);
        if (n > 0)
            result_message(hud_fmt("Tourbillon : %d créature%s touchée%s", n, n > 1 ? "s" : "", n > 1 ? "s" : ""),
                           1.2f);
    }
    if (player.whirlwind_progress >= 1.0f) player.whirlwind_progress = 0.0f;
}

static void brambles_update(float dt) {
    float dmg = class_skill(CLASS_DRUID, SK_BRAMBLES).numbers.per_second * player_ranged_base();
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
        player_heal(class_skill(CLASS_DRUID, SK_LIFE_BREATH).numbers.per_second * player.max_health * t);
    }
    if (player.regeneration_time > 0.0f) {
        float t = std::fmin(dt, player.regeneration_time);
        player.regeneration_time -= dt;
        player_heal(class_skill(CLASS_DRUID, SK_REGENERATION).numbers.per_second * player.max_health * t);
    }
    brambles_update(dt);
    if (player.player_class == CLASS_WARRIOR) {
        swing_update(dt);
        whirlwind_update(dt);
    }
}

static void rain_volley() {
    const SkillNumbers& n = class_skill(CLASS_ARCHER, SK_ARROW_RAIN).numbers;
    Vec3 c = arrow_rain.centre;
    for (int i = 0; i < 12; ++i) {
        float a = rng_float(rain_rng) * 2.0f * PI;
        float r = std::sqrt(rng_float(rain_rng)) * n.range;
        float x = c.x + std::cos(a) * r, z = c.z + std::sin(a) * r;
        float y = c.y + 16.0f + 3.0f * rng_float(rain_rng);
        spawn_arrow({x, y, z}, {0.0f, -38.0f, 0.0f}, ARROW_FALLING);
    }
    int world = player_world();
    float dmg = n.power * player_ranged_base();
    for (Creature& k : creatures) {
        if (!creature_alive(&k) || k.companion || k.world != world) continue;
        // Half a metre past the falling arrows still counts as under them.
        if (hdist_hypot(k.pos, c) > n.range + 0.5f) continue;
        hit_creature(&k, dmg, k.pos + Vec3{0, 0.9f * k.body_scale, 0}, HIT_BODY, Vec3{0, -1, 0});
    }
}

void traps_update(float dt) {
    const SkillNumbers& jaws = class_skill(CLASS_ARCHER, SK_JAW_TRAP).numbers;
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
            c.stun_time = jaws.duration;
            snd_play_at(SFX_METALLIC_HIT, t.pos, 1.0f);
            result_message(hud_fmt("%s est pris au piège !", creature_display_name(&c)), 1.4f);
            hit_creature(&c, jaws.power * player_ranged_base(), c.pos + Vec3{0, 0.4f, 0}, HIT_BODY, Vec3{0, 0, 0});
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
    const SkillNumbers& n = class_skill(CLASS_WARRIOR, SK_CHARGE).numbers;
    float d = hdist_hypot(t->pos, now);
    float contact = 1.3f + 0.45f * t->body_scale;
    if (d <= contact) {
        t->stun_time = std::fmax(t->stun_time, n.duration);
        result_float_text(t->pos + Vec3{0, 1.9f * t->body_scale, 0}, "Étourdi !", rgba(1.0f, 0.85f, 0.3f), 1.0f, 0.5f,
                          0.28f);
        hit_creature(t, n.power * player_melee_base(), t->pos + Vec3{0, 1.1f * t->body_scale, 0}, HIT_BODY,
                     t->pos - now);
        player_gain_rage(n.bonus);
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
