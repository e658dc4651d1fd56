// What every creature does each frame: boars, the other species, the
// skeleton archers, the druid's wolf spirit, corpses, the crypt's lord, the
// skeletons' arrows and the falling slabs.
#include <cmath>

#include "play/bindings.h"
#include "common/game_events.h"
#include "play/creatures.h"
#include "play/player.h"
#include "sound/captions.h"
#include "sound/sound.h"
#include "world/terrain.h"
#include "play/combat.h"
#include "world/catacombs.h"

namespace {

struct Sight {
    bool away;   // dead, on the other side of the map, or out of the 60 m sight range
    bool seen;
    float d;     // horizontal distance, 999 when not seen
};

Sight look_at_player(const Creature& c) {
    Sight s;
    float d = hdist(c.pos, player_feet());
    s.away = player.dead || c.world != player_world() || d >= 60.0f;
    s.seen = !s.away;
    if (s.seen && c.world == WORLD_CATACOMBS)
        s.seen = catacomb_line_clear(c.pos + Vec3{0, 1.5f, 0}, player_feet() + Vec3{0, 1.4f, 0});
    s.d = s.seen ? d : 999.0f;
    return s;
}

bool humanoid(int species) {
    return species == SP_BRIGAND || species == SP_SKELETON || species == SP_SKELETON_ARCHER ||
           species == SP_BONE_GUARDIAN || species == SP_BOSS || species == SP_FELON;
}

// Pushes a proposed position out of obstacles, other creatures, the lake
// and the edge of the land (or the dungeon's walls). False when refused.
bool move_creature(Creature& c, float sx, float sz, bool roaming) {
    if (!(sx == sx) || !(sz == sz)) return false;
    // Held (stunned, frozen, trapped, in brambles): the feet stay, the rest goes on.
    if (c.stun_time > 0.0f) return false;
    Vec3 p = {c.pos.x + sx, c.pos.y, c.pos.z + sz};
    float r = creature_radius(&c);
    if (c.world == WORLD_SURFACE) {
        const Obstacle* list = obstacle_list();
        int n = 0;
        const int32_t* idx = obstacle_query(p.x, p.z, &n);
        for (int k = 0; k < n; ++k) {
            const Obstacle& o = list[idx[k]];
            float dx = p.x - o.x, dz = p.z - o.z;
            float rr = o.radius + r;
            float d2 = dx * dx + dz * dz;
            if (d2 >= rr * rr || d2 < 1e-8f) continue;
            float d = std::sqrt(d2);
            p.x = o.x + dx / d * rr;
            p.z = o.z + dz / d * rr;
        }
    }
    for (const Creature& o : creatures) {
        if (&o == &c || !o.in_use || o.ai_state == CS_DEAD || o.world != c.world) continue;
        float dx = p.x - o.pos.x, dz = p.z - o.pos.z;
        float rr = r + creature_radius(&o);
        float d2 = dx * dx + dz * dz;
        if (d2 >= rr * rr || d2 < 1e-8f) continue;
        float d = std::sqrt(d2);
        float push = 0.5f * (rr - d);
        p.x += dx / d * push;
        p.z += dz / d * push;
    }
    if (c.world == WORLD_SURFACE) {
        if (is_lake_water(p.x, p.z)) {
            if (roaming) c.roam_goal = c.home;
            return false;
        }
        p = resolve_surface_bounds(p, roaming ? 10.0f : 2.0f);
        p.y = ground_height(p.x, p.z);
    } else {
        p = catacomb_resolve(p, r);
        p.y = 0.0f;
    }
    c.pos = p;
    return true;
}

// Turns toward (dx, dz) and eases the speed toward `want`, then steps along
// the facing. A zero direction keeps the facing.
void steer(Creature& c, float dx, float dz, float want, float dt, bool roaming) {
    float rate = (c.companion || c.species == SP_BOSS) ? 10.0f : 8.0f;
    if (dx * dx + dz * dz > 1e-10f) {
        float aim = std::atan2(dx, dz);
        float diff = wrap_angle_turns(aim - c.heading);
        c.heading = wrap_angle_turns(c.heading + diff * std::fmin(1.0f, rate * dt));
        if (std::fabs(wrap_angle_turns(aim - c.heading)) > 1.2f) want *= 0.3f;
    }
    c.speed += (want - c.speed) * std::fmin(1.0f, 5.0f * dt);
    if (c.speed < 0.01f && want <= 0.0f) c.speed = 0.0f;
    if (c.speed <= 0.0f) return;
    float step = c.speed * dt;
    move_creature(c, std::sin(c.heading) * step, std::cos(c.heading) * step, roaming);
}

void steer_to(Creature& c, Vec3 goal, float want, float dt, bool roaming) {
    steer(c, goal.x - c.pos.x, goal.z - c.pos.z, want, dt, roaming);
}

void stand_facing(Creature& c, Vec3 at, float dt) { steer(c, at.x - c.pos.x, at.z - c.pos.z, 0.0f, dt, false); }

void go_return(Creature& c) {
    c.ai_state = CS_RETURN;
    c.return_time = 0.0f;
    c.blow_pending = 0;
    c.draw_time = 0.0f;
    c.retreat_time = 0.0f;
}

void hurt_player(const Creature& c, float amount) { damage_player(amount, c.pos); }

// ---- Boars -----------------------------------------------------------------------------

void boar_step(Creature& c, float dt) {
    const SpeciesDef& d = species_defs[c.species];
    bool elsewhere = player.dead || player_world() == WORLD_CATACOMBS || c.world == WORLD_CATACOMBS;
    float dist = elsewhere ? 999.0f : hdist(c.pos, player_feet());
    Vec3 pf = player_feet();
    switch (c.ai_state) {
        case CS_BOAR_IDLE:
            steer(c, 0, 0, 0.0f, dt, true);
            c.behaviour_timer -= dt;
            if (c.behaviour_timer <= 0.0f) {
                float a = 2.0f * PI * rng_float(creature_rng);
                float r = 3.0f + 9.0f * rng_float(creature_rng);
                c.roam_goal = {c.home.x + std::sin(a) * r, c.home.y, c.home.z + std::cos(a) * r};
                c.behaviour_timer = 12.0f;
                c.ai_state = CS_BOAR_ROAM;
            }
            break;
        case CS_BOAR_ROAM:
            c.behaviour_timer -= dt;
            if (hdist(c.pos, c.roam_goal) < 0.6f || c.behaviour_timer <= 0.0f) {
                c.ai_state = CS_BOAR_IDLE;
                c.behaviour_timer = 2.0f + 4.0f * rng_float(creature_rng);
            } else {
                steer_to(c, c.roam_goal, d.walk_speed, dt, true);
            }
            break;
        case CS_BOAR_FIGHT:
        case CS_BOAR_FLEE: {
            c.behaviour_timer -= dt;
            bool over = c.behaviour_timer <= 0.0f || (c.ai_state == CS_BOAR_FIGHT && dist > 40.0f);
            if (over) {
                c.ai_state = CS_BOAR_IDLE;
                c.home = c.pos;
                c.behaviour_timer = 2.0f + 3.0f * rng_float(creature_rng);
                break;
            }
            if (c.ai_state == CS_BOAR_FLEE) {
                steer(c, c.pos.x - pf.x, c.pos.z - pf.z, 6.5f, dt, false);
                break;
            }
            if (dist <= 1.1f)
                stand_facing(c, pf, dt);
            else
                steer_to(c, pf, d.run_speed, dt, false);
            if (dist <= d.reach && c.attack_timer <= 0.0f) {
                float f = creature_level_factor(&c);
                hurt_player(c, f < 0.5f ? 0.5f * d.damage : d.damage * f);
                c.attack_timer = d.attack_interval;
                c.attack_anim = 1.0f;
                snd_play_at(d.voice_sound, c.pos, 1.0f);
            }
            break;
        }
        default:
            c.ai_state = CS_BOAR_IDLE;
            break;
    }
    c.show_bar = (c.health < c.max_health || dist < 14.0f) ? 1 : 0;
}

// ---- The other species ------------------------------------------------------------------

void shoot_arrow(Creature& c) {
    for (CreatureArrow& a : creature_arrows) {
        if (a.active) continue;
        float fx = std::sin(c.heading), fz = std::cos(c.heading);
        Vec3 from = {c.pos.x + fx * 0.5f, c.pos.y + 1.45f, c.pos.z + fz * 0.5f};
        float sx = (rng_float(creature_rng) * 2.0f - 1.0f) * 0.25f;
        float sz = (rng_float(creature_rng) * 2.0f - 1.0f) * 0.25f;
        Vec3 to = {player.pos_x + sx, player.pos_y + 1.1f, player.pos_z + sz};
        Vec3 dir = normalize(to - from);
        a.active = 1;
        a.pos = from;
        a.vel = dir * 30.0f;
        a.age = 0.0f;
        a.damage = creature_blow_damage(&c) * creature_level_factor(&c);
        snd_play_at(SFX_HEAVY_BLOW, c.pos, 1.0f);
        return;
    }
}

void archer_fight(Creature& c, const Sight& s, float dist, float dt) {
    const SpeciesDef& d = species_defs[c.species];
    Vec3 pf = player_feet();
    float reach = d.reach * c.body_scale;
    if (c.retreat_time > 0.0f) {
        c.retreat_time -= dt;
        c.draw_time = 0.0f;
        steer(c, c.pos.x - pf.x, c.pos.z - pf.z, 1.8f * d.walk_speed, dt, false);
        return;
    }
    bool in_reach = s.seen && dist <= reach;
    if (in_reach && dist < 4.5f && c.attack_timer < 0.8f) {
        c.retreat_time = 1.3f;
        c.draw_time = 0.0f;
        return;
    }
    if (c.draw_time > 0.0f) {
        // A draw once begun runs its 0.8 s; the arrow leaves if the player
        // is still in sight and within reach + 3 m.
        stand_facing(c, pf, dt);
        c.draw_time += dt;
        if (c.draw_time >= 0.8f) {
            c.draw_time = 0.0f;
            if (s.seen && dist <= reach + 3.0f) {
                shoot_arrow(c);
                c.attack_timer = d.attack_interval;
            }
        }
    } else if (in_reach) {
        stand_facing(c, pf, dt);
        if (c.attack_timer <= 0.0f) c.draw_time = 1e-4f;
    } else {
        c.draw_time = 0.0f;
        steer_to(c, pf, d.run_speed, dt, false);
    }
}

void fight_step(Creature& c, const Sight& s, float dt) {
    const SpeciesDef& d = species_defs[c.species];
    if (s.away) {
        go_return(c);
        return;
    }
    if (s.seen) {
        c.lost_sight_time = 0.0f;
    } else {
        c.lost_sight_time += dt;
        if (c.lost_sight_time > 8.0f) {
            go_return(c);
            return;
        }
    }
    float leash = d.leash * (c.world == WORLD_SURFACE ? 2.0f : 1.0f);
    if (leash > 0.0f && hdist(c.pos, c.anchor) > leash) {
        go_return(c);
        return;
    }
    Vec3 pf = player_feet();
    if (c.species == SP_SKELETON_ARCHER) {
        archer_fight(c, s, hdist(c.pos, pf), dt);
        return;
    }
    // Unseen (behind a catacomb wall) counts as out of reach: no blow
    // starts or lands through the stone.
    float dist = s.d;
    float reach = d.reach * c.body_scale;
    if (c.blow_pending && c.attack_anim <= 0.55f) {
        c.blow_pending = 0;
        if (!player.dead && c.world == player_world() && dist <= reach + 0.5f) {
            hurt_player(c, creature_blow_damage(&c) * creature_level_factor(&c));
            snd_play_at(d.voice_sound, c.pos, 1.0f);
        }
    }
    if (dist <= reach) {
        stand_facing(c, pf, dt);
        if (c.attack_timer <= 0.0f && !c.blow_pending) {
            c.attack_anim = 1.0f;
            c.attack_timer = d.attack_interval;
            c.blow_pending = 1;
            if (humanoid(c.species)) snd_play_at(SFX_SWEEP, c.pos, 0.8f);
        }
    } else if (!c.blow_pending) {
        steer_to(c, pf, d.run_speed, dt, false);
    } else {
        stand_facing(c, pf, dt);
    }
}

void other_step(Creature& c, float dt) {
    const SpeciesDef& d = species_defs[c.species];
    Sight s = look_at_player(c);
    switch (c.ai_state) {
        case CS_IDLE:
            steer(c, 0, 0, 0.0f, dt, true);
            if (s.seen && s.d < d.aggro_radius) {
                alert_pack(&c);
                break;
            }
            c.behaviour_timer -= dt;
            if (c.behaviour_timer > 0.0f) break;
            if (c.world == WORLD_SURFACE) {
                float a = 2.0f * PI * rng_float(creature_rng);
                float u = rng_float(creature_rng);
                float r = c.species == SP_WOLF ? 2.0f * (2.0f + 3.5f * u)
                        : c.species == SP_BEAR ? 2.0f * (2.0f + 5.0f * u)
                                               : 2.0f * (3.0f + 9.0f * u);
                c.roam_goal = {c.anchor.x + std::sin(a) * r, c.anchor.y, c.anchor.z + std::cos(a) * r};
                c.behaviour_timer = 10.0f;
                c.ai_state = CS_ROAM;
            } else if (hdist(c.patrol_point, c.home) < 1.0f) {
                c.behaviour_timer = 3.0f + 4.0f * rng_float(creature_rng);
                c.heading = wrap_angle_turns(c.heading + (rng_float(creature_rng) * 2.0f - 1.0f) * 1.2f);
            } else {
                c.roam_goal = hdist(c.pos, c.home) >= 1.5f ? c.home : c.patrol_point;
                c.behaviour_timer = 25.0f;
                c.ai_state = CS_ROAM;
            }
            break;
        case CS_ROAM:
            if (s.seen && s.d < d.aggro_radius) {
                alert_pack(&c);
                break;
            }
            c.behaviour_timer -= dt;
            if (hdist(c.pos, c.roam_goal) < 0.7f || c.behaviour_timer <= 0.0f) {
                c.ai_state = CS_IDLE;
                c.behaviour_timer = 2.0f + 4.0f * rng_float(creature_rng);
            } else {
                steer_to(c, c.roam_goal, d.walk_speed, dt, true);
            }
            break;
        case CS_FIGHT:
            fight_step(c, s, dt);
            break;
        case CS_RETURN: {
            Vec3 goal = c.world == WORLD_SURFACE ? c.anchor : c.home;
            c.health = std::fmin(c.max_health, c.health + 0.33f * c.max_health * dt);
            float near = c.world == WORLD_SURFACE ? 4.0f : 1.0f;
            if (hdist(c.pos, goal) < near || c.return_time > 10.0f) {
                // One caught on a wall for 10 s gives up and rests where it stands.
                c.ai_state = CS_IDLE;
                c.behaviour_timer = 2.0f;
                c.return_time = 0.0f;
            } else {
                Vec3 before = c.pos;
                steer_to(c, goal, d.run_speed, dt, false);
                bool stuck = hdist(before, c.pos) < 0.2f * d.run_speed * dt;
                c.return_time = stuck ? c.return_time + dt : 0.0f;
            }
            break;
        }
        default:
            c.ai_state = CS_IDLE;
            break;
    }
    c.show_bar = ((s.seen && s.d < 18.0f) || c.health < c.max_health) ? 1 : 0;
}

// ---- The wolf spirit ----------------------------------------------------------------------

bool companion_may_bite(const Creature& c, const Creature* t) {
    if (!creature_alive(t) || t->companion || t->world != c.world) return false;
    return hdist(t->pos, player_feet()) <= 24.0f;
}

void companion_step(Creature& c, float dt) {
    c.behaviour_timer -= dt;
    if (c.behaviour_timer <= 0.0f || player.dead || c.world != player_world()) {
        snd_play_at(SFX_WOBBLE_CRY, c.pos, 1.0f);
        free_creature(&c);
        return;
    }
    Creature* t = c.companion_target >= 0 && c.companion_target < CREATURE_CAPACITY ? &creatures[c.companion_target]
                                                                                      : nullptr;
    if (!companion_may_bite(c, t)) {
        t = nullptr;
        float best = 1e9f;
        for (Creature& o : creatures) {
            if (!creature_alive(&o) || o.companion || o.world != player_world()) continue;
            float d = hdist(o.pos, player_feet());
            if (d > 18.0f) continue;
            float score = d;
            if (&o == player.target && player.target_hold > 0.0f) score -= 8.0f;
            if (o.ai_state == CS_FIGHT) score -= 4.0f;
            if (score < best) {
                best = score;
                t = &o;
            }
        }
        c.companion_target = creature_index(t);
    }
    c.attack_timer -= dt;
    if (!t) {
        float fx = std::sin(player.heading), fz = std::cos(player.heading);
        // 1.6 m to the right, 1.2 m behind.
        Vec3 spot = {player.pos_x + fz * 1.6f - fx * 1.2f, player.pos_y, player.pos_z - fx * 1.6f - fz * 1.2f};
        float d = hdist(c.pos, spot);
        float want = d > 6.0f ? 7.6f : (d > 0.8f ? 2.2f : 0.0f);
        if (want > 0.0f)
            steer_to(c, spot, want, dt, false);
        else
            steer(c, std::sin(player.heading), std::cos(player.heading), 0.0f, dt, false);
        return;
    }
    float reach = creature_radius(t) + 1.1f;
    if (hdist(c.pos, t->pos) > reach) {
        steer_to(c, t->pos, 7.6f, dt, false);
        return;
    }
    stand_facing(c, t->pos, dt);
    if (c.attack_timer <= 0.0f) {
        c.attack_timer = 1.1f;
        c.attack_anim = 1.0f;
        snd_play_at(SFX_WOBBLE_CRY, c.pos, 0.8f);
        player_companion_hit(t, 0.55f * player_spell_damage());
    }
}

// ---- Corpses --------------------------------------------------------------------------------

void corpse_step(Creature& c, float dt) {
    c.death_time += dt;
    float life = 15.0f;
    bool beast = c.species == SP_BOAR || c.species == SP_WOLF || c.species == SP_BEAR;
    if (beast && !c.skinned) life = 60.0f;
    if (c.loot_count > 0 || c.loot_money > 0) life = 120.0f;
    if (c.death_time > life - 3.0f) c.pos.y -= 0.4f * dt;
    if (c.death_time >= life) free_creature(&c);
}

// ---- The crypt's lord ------------------------------------------------------------------------

void summon_pair(Creature& b) {
    for (int side = -1; side <= 1; side += 2) {
        Vec3 p = {b.home.x + 6.5f * (float)side, b.home.y, b.home.z - 1.5f};
        Creature* m = spawn_creature_making_room(SP_SKELETON, p, p);
        if (!m) continue;
        m->world = WORLD_CATACOMBS;
        m->minion = 1;
        set_creature_level(m, 10);
        m->max_health = m->health = std::floor(95.0f * 3.7f + 0.5f);
        m->ai_state = CS_FIGHT;
        m->heading = b.heading;
    }
    ++b.summons;
    // Each pair rises with the call and the roar.
    snd_play_at(SFX_PORTAL_HUM, b.pos, 1.0f);
    result_message("Bréhus appelle ses morts !", 3.0f);
    snd_play_at(SFX_CRYPT_DRONE, b.pos, 1.0f);
}

void drop_slabs(const Creature& b) {
    // The lord's slabs are felt in the hands before they land, and read in
    // the captions.
    pad_shake(0.9f, 0.5f, 0.6f);
    snd_heard_at(SND_CAPTION_VAULT, b.pos, 1.0f);
    float lx0 = 1036.5f, lx1 = 1059.5f, lz0 = 76.5f, lz1 = 89.5f;
    for (int k = 0; k < 3; ++k) {
        Vec3 p = player_feet();
        if (k > 0) {
            float a = 2.0f * PI * rng_float(creature_rng);
            float r = 2.5f + 2.0f * rng_float(creature_rng);
            p.x += std::sin(a) * r;
            p.z += std::cos(a) * r;
        }
        p.x = clampf(p.x, lx0, lx1);
        p.z = clampf(p.z, lz0, lz1);
        p.y = b.home.y;
        for (FallingSlab& s : falling_slabs) {
            if (s.active) continue;
            s = FallingSlab{1, p, 0.0f, 0};
            break;
        }
    }
}

void boss_step(Creature& c, float dt) {
    Vec3 pf = player_feet();
    float dist = hdist(c.pos, pf);
    bool in_room = !player.dead && player_in_crypt();
    c.show_bar = (!player.dead && player_world() == WORLD_CATACOMBS && dist < 20.0f) ? 1 : 0;
    if (c.ai_state != CS_FIGHT) {
        steer(c, 0, 0, 0.0f, dt, false);
        if (in_room) boss_wake(&c);
        return;
    }
    if (!in_room) {
        c.outside_time += dt;
        if (c.outside_time > 3.0f) {
            reset_boss();
            result_message("Bréhus retourne à son trône…", 3.0f);
            return;
        }
    } else {
        c.outside_time = 0.0f;
    }
    // Phases by health: two pairs of the dead at most, then the rage.
    float h = c.health / c.max_health;
    if (c.phase <= 1 && h < 0.6f) {
        c.phase = 2;
        summon_pair(c);
    }
    if (c.phase == 2 && h < 0.35f && c.summons < 2) summon_pair(c);
    if (c.phase == 2 && h < 0.3f) {
        c.phase = 3;
        result_message("Bréhus entre dans une rage noire !", 3.0f);
        snd_play_at(SFX_CRYPT_DRONE, c.pos, 1.0f);
    }
    float m = c.phase == 3 ? 1.35f : 1.0f;
    float f = creature_level_factor(&c);

    if (c.phase >= 2) {
        c.slab_timer -= dt;
        if (c.slab_timer <= 0.0f) {
            c.slab_timer = 7.0f / m;
            if (in_room) drop_slabs(c);
        }
    }

    if (c.charge_state == 0) {
        c.charge_timer -= dt;
        if (c.charge_timer <= 0.0f && dist >= 5.0f && dist <= 22.0f && in_room) {
            c.charge_state = 1;
            c.charge_phase_time = 0.8f;
            c.blow_pending = 0;
            result_message("Bréhus se prépare à charger !", 1.4f);
            snd_play_at(SFX_CRYPT_DRONE, c.pos, 1.0f);
        }
    }
    if (c.charge_state == 1) {
        stand_facing(c, pf, dt);
        c.charge_phase_time -= dt;
        if (c.charge_phase_time <= 0.0f) {
            c.charge_state = 2;
            c.charge_phase_time = 1.1f;
            float dx = pf.x - c.pos.x, dz = pf.z - c.pos.z;
            float l = std::sqrt(dx * dx + dz * dz);
            c.charge_dir = l > 1e-4f ? Vec3{dx / l, 0, dz / l} : Vec3{std::sin(c.heading), 0, std::cos(c.heading)};
            c.heading = std::atan2(c.charge_dir.x, c.charge_dir.z);
            c.charge_hit = 0;
        }
        return;
    }
    if (c.charge_state == 2) {
        float step = 13.0f * m * dt;
        Vec3 before = c.pos;
        c.speed = 13.0f * m;
        move_creature(c, c.charge_dir.x * step, c.charge_dir.z * step, false);
        float moved = hdist(before, c.pos);
        if (!c.charge_hit && !player.dead && hdist(c.pos, pf) < 1.8f) {
            c.charge_hit = 1;
            hurt_player(c, 65.0f * f * m);
            snd_play_at(SFX_RUMBLE, c.pos, 1.0f);
        }
        c.charge_phase_time -= dt;
        // Stopped by a wall: well short of the step it was given.
        bool blocked = step > 1e-4f && moved < 0.25f * step;
        if (blocked || c.charge_phase_time <= 0.0f) {
            c.charge_state = 0;
            c.charge_timer = 9.0f / m;
            c.attack_timer = 0.8f;
            c.speed = 0.0f;
        }
        return;
    }

    float s = c.body_scale;
    if (c.blow_pending && c.attack_anim <= 0.55f) {
        c.blow_pending = 0;
        if (!player.dead && dist <= s * 3.0f + 0.4f) hurt_player(c, 50.0f * f * m);
    }
    if (dist > s * 3.0f * 0.85f) {
        steer_to(c, pf, 5.0f * m, dt, false);
    } else {
        stand_facing(c, pf, dt);
        if (c.attack_timer <= 0.0f && !c.blow_pending) {
            c.attack_anim = 1.0f;
            c.attack_timer = 2.2f / m;
            c.blow_pending = 1;
            snd_play_at(SFX_SWEEP, c.pos, 1.0f);
        }
    }
}

// ---- Arrows and slabs --------------------------------------------------------------------------

float segment_distance(Vec3 p, Vec3 a, Vec3 b) {
    Vec3 ab = b - a;
    float t = clampf(dot(p - a, ab) / dot(ab, ab), 0.0f, 1.0f);
    return length(p - (a + ab * t));
}

void arrows_step(float dt) {
    for (CreatureArrow& a : creature_arrows) {
        if (!a.active) continue;
        a.age += dt;
        if (a.age > 3.0f) {
            a.active = 0;
            continue;
        }
        for (int k = 0; k < 4 && a.active; ++k) {
            a.pos += a.vel * (dt * 0.25f);
            bool wall = in_catacombs(a.pos.x) ? catacomb_solid(a.pos) : a.pos.y < ground_height(a.pos.x, a.pos.z);
            if (wall) {
                snd_play_at(SFX_ARROW_TICK, a.pos, 0.6f);
                a.active = 0;
                break;
            }
            if (!player.dead) {
                Vec3 f = player_feet();
                if (segment_distance(a.pos, f + Vec3{0, 0.2f, 0}, f + Vec3{0, 1.75f, 0}) < 0.42f) {
                    damage_player(a.damage, a.pos - a.vel * 0.05f);
                    a.active = 0;
                }
            }
        }
    }
}

void slabs_step(float dt) {
    const Creature* boss = creature_boss();
    for (FallingSlab& s : falling_slabs) {
        if (!s.active) continue;
        s.age += dt;
        if (!s.landed && s.age >= 1.7f) {
            s.landed = 1;
            snd_play_at(SFX_RUMBLE, s.pos, 1.0f);
            if (!player.dead && player_world() == WORLD_CATACOMBS && hdist(s.pos, player_feet()) < 1.8f) {
                float f = boss ? creature_level_factor(boss) : 1.0f;
                damage_player(45.0f * f, s.pos + Vec3{0, 3, 0});
                result_message("Une dalle vous écrase !", 1.2f);
            }
        }
        if (s.age >= 4.7f) s.active = 0;
    }
}

}  // namespace

void boss_wake(Creature* c) {
    if (!creature_alive(c) || c->species != SP_BOSS || c->ai_state == CS_FIGHT) return;
    c->ai_state = CS_FIGHT;
    c->charge_timer = 6.0f;
    c->slab_timer = 5.0f;
    c->attack_timer = 1.0f;
    c->outside_time = 0.0f;
    result_message("Bréhus sans Pitié : « Qui ose troubler mon repos ? »", 3.5f);
    snd_play_at(SFX_CRYPT_DRONE, c->pos, 1.0f);
}

void creatures_update(float dt) {
    if (!(dt > 0.0f)) return;
    for (Creature& c : creatures) {
        if (!c.in_use) continue;
        c.hit_flash = std::fmax(0.0f, c.hit_flash - dt);
        c.effect_timer -= dt;
        if (c.ai_state == CS_DEAD) {
            corpse_step(c, dt);
            continue;
        }
        if (c.companion) {
            companion_step(c, dt);
            if (c.in_use) creature_pose(&c, dt);
            continue;
        }
        c.attack_timer -= dt;
        if (c.species == SP_BOSS)
            boss_step(c, dt);
        else if (c.species == SP_BOAR)
            boar_step(c, dt);
        else
            other_step(c, dt);
        if (c.stun_time > 0.0f) {
            // A hold stops the feet only (move_creature refuses every step):
            // it still turns, strikes and shoots what is in reach.
            c.stun_time -= dt;
            c.speed = 0.0f;
        }
        c.stagger = std::fmax(0.0f, c.stagger - 1.6f * dt);
        // In the catacombs' silence whoever walks near is heard, for the
        // captions (the steps themselves are not played).
        if (c.world == WORLD_CATACOMBS && c.speed > 0.8f) snd_heard_at(SFX_STONE_STEP, c.pos, 0.45f);
        if (c.in_use) creature_pose(&c, dt);
    }
    arrows_step(dt);
    slabs_step(dt);
}
