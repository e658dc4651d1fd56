// The creature table: spawning, the rules of health, experience and damage,
// the pack alert, the companion and the calm after the player's return.
#include "play/creatures.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/game_events.h"
#include "platform/platform.h"
#include "play/player.h"
#include "sound/captions.h"
#include "sound/sound.h"
#include "render/mesh.h"
#include "world/species_models.h"
#include "play/loot.h"
#include "play/catacomb_visits.h"
#include "world/catacombs.h"
#include "world/terrain.h"

Creature creatures[CREATURE_CAPACITY];
CreatureArrow creature_arrows[CREATURE_ARROW_CAPACITY];
FallingSlab falling_slabs[SLAB_CAPACITY];
Rng creature_rng = {12345u};

namespace {

uint32_t next_serial = 1;

// Every slot owns a fixed block of nodes, sized once for the largest template
// with its elite pieces, so spawning during play allocates nothing.
Node* node_pool = nullptr;
int nodes_per_slot = 0;

bool ensure_node_pool() {
    if (node_pool) return true;
    if (!species_models_ready()) return false;
    int most = 0;
    for (int s = 0; s < SPECIES_MODEL_COUNT; ++s)
        if (species_models[s].model.node_count > most) most = species_models[s].model.node_count;
    nodes_per_slot = most + 16;  // elite pieces add at most a handful
    node_pool = (Node*)std::calloc((size_t)nodes_per_slot * CREATURE_CAPACITY, sizeof(Node));
    if (!node_pool) {
        log_printf("Créatures : mémoire insuffisante pour les figures.");
        return false;
    }
    return true;
}

// Deformed copies of skinned meshes outlive the creature that used them: the
// next creature of the same look takes them back, so the wild population's
// comings and goings allocate nothing once every look has been seen near.
struct SpareSkin {
    const GpuMesh* source;
    GpuMesh* clone;
};
constexpr int kSpareSkins = 1024;
SpareSkin spare_skins[kSpareSkins];
int spare_skin_count;

void keep_skin(const GpuMesh* source, GpuMesh* clone) {
    if (spare_skin_count < kSpareSkins) spare_skins[spare_skin_count++] = {source, clone};
    else mesh_destroy(clone);
}

GpuMesh* take_skin(const GpuMesh* source) {
    for (int i = spare_skin_count - 1; i >= 0; --i)
        if (spare_skins[i].source == source) {
            GpuMesh* m = spare_skins[i].clone;
            spare_skins[i] = spare_skins[--spare_skin_count];
            return m;
        }
    return nullptr;
}

void release_model(Creature& c) {
    for (int i = 0; i < c.model.node_count; ++i) {
        Node& n = c.model.nodes[i];
        if (n.skin_mesh) keep_skin(n.mesh, n.skin_mesh);
        n.skin_mesh = nullptr;
    }
    c.model.node_count = 0;
}

void attach_model(Creature& c, int slot) {
    c.model = Model{};
    if (!ensure_node_pool()) return;
    const Model& t = species_models[c.species].model;
    c.model.nodes = node_pool + (size_t)slot * (size_t)nodes_per_slot;
    c.model.node_capacity = nodes_per_slot;
    if (t.node_count > nodes_per_slot) return;
    std::memcpy(c.model.nodes, t.nodes, sizeof(Node) * (size_t)t.node_count);
    for (int i = 0; i < t.node_count; ++i)
        c.model.nodes[i].skin_mesh = c.model.nodes[i].skin ? take_skin(c.model.nodes[i].mesh) : nullptr;
    c.model.node_count = t.node_count;
    c.model.root_position = t.root_position;
    c.model.owns_skins = 0;
}

float clamp_level_health(float h) { return h < 1.0f ? 1.0f : h; }

}  // namespace

void creatures_reset() {
    for (int i = 0; i < CREATURE_CAPACITY; ++i)
        if (creatures[i].in_use) release_model(creatures[i]);
    std::memset(creatures, 0, sizeof(creatures));
    std::memset(creature_arrows, 0, sizeof(creature_arrows));
    std::memset(falling_slabs, 0, sizeof(falling_slabs));
    next_serial = 1;
    creature_rng.state = 12345u;
}

int creature_index(const Creature* c) {
    if (!c || c < creatures || c >= creatures + CREATURE_CAPACITY) return -1;
    return (int)(c - creatures);
}

int creatures_in_use() {
    int n = 0;
    for (const Creature& c : creatures) n += c.in_use ? 1 : 0;
    return n;
}

int creatures_free() { return CREATURE_CAPACITY - creatures_in_use(); }

bool creature_alive(const Creature* c) { return c && c->in_use && c->ai_state != CS_DEAD; }

int player_world() { return in_catacombs(player.pos_x) ? WORLD_CATACOMBS : WORLD_SURFACE; }

bool player_in_crypt() {
    return game_flags.underground && catacomb_room_contains(ROOM_CRYPT, player.pos_x - CATACOMB_X0, player.pos_z);
}

int species_health_for_level(int species, int level) {
    assert(species >= 0 && species < SPECIES_COUNT);
    if (species < 0 || species >= SPECIES_COUNT) return 1;
    const SpeciesDef& d = species_defs[species];
    // The boar, the goblin and the lord keep their row's health at every level.
    if (species == SP_BOAR || species == SP_GOBLIN || species == SP_BOSS) return (int)d.base_health;
    return (int)std::floor(((float)(level - 1) * 0.3f + 1.0f) * d.base_health + 0.5f);
}

static void apply_health(Creature* c) {
    float h;
    if (c->elite_index == ELITE_GROGNARD) {
        h = elite_defs[ELITE_GROGNARD].health_multiplier;  // his row holds the health itself
    } else if (c->elite_index > 0 && c->elite_index <= ELITE_COUNT) {
        h = std::floor((float)species_health_for_level(c->species, c->level) *
                           elite_defs[c->elite_index].health_multiplier + 0.5f);
    } else {
        h = (float)species_health_for_level(c->species, c->level);
    }
    c->max_health = clamp_level_health(h);
    c->health = c->max_health;
}

Creature* spawn_creature(int species, Vec3 position, Vec3 anchor) {
    if (species < 0 || species >= SPECIES_COUNT) return nullptr;
    int slot = -1;
    for (int i = 0; i < CREATURE_CAPACITY; ++i)
        if (!creatures[i].in_use) {
            slot = i;
            break;
        }
    if (slot < 0) return nullptr;
    Creature& c = creatures[slot];
    release_model(c);
    std::memset(&c, 0, sizeof(c));
    const SpeciesDef& d = species_defs[species];
    c.in_use = 1;
    c.species = species;
    c.serial = next_serial++;
    c.pos = position;
    c.home = position;
    c.anchor = anchor;
    c.patrol_point = position;
    c.heading = 2.0f * PI * rng_float(creature_rng);
    c.body_scale = species == SP_BOSS ? 1.35f : 1.0f;
    int span = d.level_max - d.level_min + 1;
    int lv = d.level_min + (int)(rng_float(creature_rng) * (float)span);
    c.level = lv > d.level_max ? d.level_max : lv;
    apply_health(&c);
    bool boar = species == SP_BOAR;
    c.ai_state = boar ? CS_BOAR_IDLE : CS_IDLE;
    c.behaviour_timer = 1.0f + rng_float(creature_rng) * (boar ? 3.0f : 4.0f);
    c.companion_target = -1;
    c.tint = {1, 1, 1};
    c.world = in_catacombs(position.x) ? 1 : 0;
    // The crypt's lord starts his first fight in phase 1.
    if (species == SP_BOSS) c.phase = 1;
    attach_model(c, slot);
    return &c;
}

// The surface's drawing range: nothing beyond it is on screen.
constexpr float kSurfaceSeen = 230.0f;

// Ordinary creatures go first, then the chiefs, last the corpses that still
// hold loot the player may come back for.
static bool free_unseen_surface_creature() {
    const bool below = game_flags.underground || player_world() == WORLD_CATACOMBS;
    const Vec3 feet = {player.pos_x, player.pos_y, player.pos_z};
    Creature* best = nullptr;
    float best_score = -1e30f;
    for (Creature& c : creatures) {
        if (!c.in_use || c.world != WORLD_SURFACE || c.companion) continue;
        float d = hdist(c.pos, feet);
        if (!below && d <= kSurfaceSeen) continue;
        float score = d;
        if (c.elite) score -= 1e5f;
        if (c.ai_state == CS_DEAD && (c.loot_count > 0 || c.loot_money > 0)) score -= 2e5f;
        if (score > best_score) {
            best_score = score;
            best = &c;
        }
    }
    if (!best) return false;
    free_creature(best);
    return true;
}

Creature* spawn_creature_making_room(int species, Vec3 position, Vec3 anchor) {
    if (Creature* c = spawn_creature(species, position, anchor)) return c;
    if (!free_unseen_surface_creature()) return nullptr;
    return spawn_creature(species, position, anchor);
}

Creature* spawn_elite(int index, Vec3 position, Vec3 anchor) {
    if (index < 1 || index > ELITE_COUNT) return nullptr;
    const EliteDef& e = elite_defs[index];
    Creature* c = spawn_creature(e.species, position, anchor);
    if (!c) return nullptr;
    c->elite = 1;
    c->elite_index = index;
    c->body_scale = e.scale;
    c->level = e.level;
    // The Green Knight's first life is phase 1; he rises once into phase 2.
    c->phase = 1;
    apply_health(c);
    if (c->model.node_count > 0)
        species_model_add_elite_pieces(&c->model, species_models[c->species].slots, index);
    return c;
}

void set_creature_level(Creature* c, int level) {
    if (!c || !c->in_use) return;
    c->level = level < 1 ? 1 : level;
    apply_health(c);
}

void set_creature_tint(Creature* c, Vec3 tint) {
    if (c) c->tint = tint;
}

void set_creature_scale(Creature* c, float scale) {
    if (c && scale > 0.05f && scale < 10.0f) c->body_scale = scale;
}

void free_creature(Creature* c) {
    if (!c || !c->in_use) return;
    if (player.target == c) {
        player.target = nullptr;
        player.target_hold = 0.0f;
    }
    loot_window_close_for(c);
    release_model(*c);
    Model keep = c->model;
    std::memset(c, 0, sizeof(*c));
    c->model = keep;
}

void clear_world_creatures(int world) {
    for (Creature& c : creatures)
        if (c.in_use && c.world == world) free_creature(&c);
    std::memset(creature_arrows, 0, sizeof(creature_arrows));
    std::memset(falling_slabs, 0, sizeof(falling_slabs));
}

const char* creature_display_name(const Creature* c) {
    if (!c) return "";
    if (c->elite_index > 0 && c->elite_index <= ELITE_COUNT) return elite_defs[c->elite_index].name;
    if (c->custom_name[0]) return c->custom_name;
    if (c->species < 0 || c->species >= SPECIES_COUNT) return "";
    return species_defs[c->species].name;
}

int creature_xp_value(const Creature* c) {
    if (!c) return 0;
    float base;
    if (c->elite_index > 0 && c->elite_index <= ELITE_COUNT)
        base = (float)elite_defs[c->elite_index].experience;
    else if (c->species == SP_BOAR)
        base = 20.0f;
    else if (c->species == SP_GOBLIN)
        base = 45.0f;
    else if (c->species == SP_BOSS)
        base = 1500.0f;
    else
        base = 15.0f * (float)c->level + 5.0f;
    int d = c->level - player.level;
    // More than six levels below is worth a tenth.
    float k = d < -6 ? 0.1f : clampf(1.0f + 0.1f * (float)d, 0.1f, 1.5f);
    float v = base * k;
    if (c->species == SP_BONE_GUARDIAN) v *= 1.3f;
    int r = (int)(v + 0.5f);
    return r < 1 ? 1 : r;
}

float creature_level_factor(const Creature* c) {
    float f = 1.0f + 0.1f * (float)(c->level - player.level);
    if (f > 2.0f) f = 2.0f;
    if (f < 0.5f) f = 0.5f;
    return f;
}

float creature_blow_damage(const Creature* c) {
    // Grognard's row holds his blow itself; the boar, the goblin and the lord
    // hit as their rows say at every level.
    if (c->elite_index == ELITE_GROGNARD) return elite_defs[ELITE_GROGNARD].damage_multiplier;
    if (c->species == SP_BOAR) return species_defs[SP_BOAR].damage;
    if (c->species == SP_GOBLIN) {
        // A goblin elite still hits as its row says.
        if (c->elite_index > 0) return species_defs[SP_GOBLIN].damage * elite_defs[c->elite_index].damage_multiplier;
        return species_defs[SP_GOBLIN].damage;
    }
    if (c->species == SP_BOSS) return species_defs[SP_BOSS].damage;
    float m = c->elite_index > 0 && c->elite_index <= ELITE_COUNT ? elite_defs[c->elite_index].damage_multiplier : 1.0f;
    float d = ((float)(c->level - 1) * 0.3f + 1.0f) * species_defs[c->species].damage * m;
    if (c->elite_index == ELITE_GREEN_KNIGHT && c->phase == 2) d *= 1.25f;
    return d;
}

float player_damage_factor(const Creature* c, Vec3 hit_direction, bool* blocked) {
    if (blocked) *blocked = false;
    if (!c) return 1.0f;
    float f = clampf(1.0f - 0.06f * (float)(c->level - player.level), 0.4f, 1.25f);
    if (c->species == SP_BONE_GUARDIAN && c->stun_time <= 0.0f && c->ai_state != CS_DEAD) {
        float len = std::sqrt(hit_direction.x * hit_direction.x + hit_direction.z * hit_direction.z);
        // A blow with no direction (damage over time, traps) is never blocked.
        if (len > 1e-4f) {
            // The blow travels toward the creature: it comes from its front
            // when the travel opposes the facing.
            float fx = std::sin(c->heading), fz = std::cos(c->heading);
            float dotp = -(hit_direction.x * fx + hit_direction.z * fz) / len;
            if (dotp > 0.45f) {
                if (blocked) *blocked = true;
                f *= 0.2f;
            }
        }
    }
    return f;
}

void creature_stagger(Creature* c, float impact, Vec3 direction) {
    if (!c || !c->in_use) return;
    float s = impact < 0.4f ? 0.152f : 0.38f * std::fmin(impact, 1.6f);
    if (c->species == SP_BOSS)
        s *= 0.35f;
    else if (c->elite)
        s *= 0.6f;
    c->stagger = s;
    // Into the creature's own frame: forward along its facing, side to its right.
    float fx = std::sin(c->heading), fz = std::cos(c->heading);
    float len = std::sqrt(direction.x * direction.x + direction.z * direction.z);
    if (len < 1e-5f) {
        c->hit_dir_local = {0, 0, -1};
        return;
    }
    float dx = direction.x / len, dz = direction.z / len;
    c->hit_dir_local = {dx * fz - dz * fx, 0.0f, dx * fx + dz * fz};
}

void alert_pack(Creature* c) {
    if (!creature_alive(c) || c->species == SP_BOAR || c->ai_state == CS_RETURN) return;
    // Told to the captions only: the pack's cry has no sound of its own.
    if (c->ai_state != CS_FIGHT) snd_heard_at(SND_CAPTION_ALERT, c->pos, 1.0f);
    c->ai_state = CS_FIGHT;
    c->lost_sight_time = 0.0f;
    float r = c->world == WORLD_CATACOMBS ? 10.0f : 14.0f;
    int family = species_defs[c->species].family;
    for (Creature& o : creatures) {
        if (&o == c || !o.in_use || o.companion || o.species == SP_BOSS || o.species == SP_BOAR) continue;
        if (o.world != c->world || species_defs[o.species].family != family) continue;
        if (o.ai_state == CS_RETURN || o.ai_state == CS_DEAD) continue;
        float dx = o.pos.x - c->pos.x, dz = o.pos.z - c->pos.z;
        if (dx * dx + dz * dz > r * r) continue;
        if (o.ai_state != CS_FIGHT) o.lost_sight_time = 0.0f;
        o.ai_state = CS_FIGHT;
    }
}

static void boar_react(Creature* c) {
    if (c->health < 0.3f * c->max_health) {
        c->ai_state = CS_BOAR_FLEE;
        c->behaviour_timer = 4.0f;
    } else {
        c->ai_state = CS_BOAR_FIGHT;
        c->behaviour_timer = 9.0f;
    }
}

bool damage_creature(Creature* c, float amount) {
    if (!c || !c->in_use || c->ai_state == CS_DEAD) return false;
    if (!(amount == amount)) return false;  // NaN hurts nobody
    c->health -= amount;
    c->hit_flash = 0.15f;
    if (c->health <= 0.0f) {
        if (c->elite_index == ELITE_GREEN_KNIGHT && c->phase == 1) {
            c->phase = 2;
            c->health = 0.45f * c->max_health;
            c->attack_timer = 1.6f;
            result_message("Le Chevalier Vert ramasse sa tête… et se relève en riant !", 3.5f);
            snd_play_at(SFX_LAUGHTER, c->pos, 1.3f);
            if (c->ai_state != CS_FIGHT) alert_pack(c);
            return false;
        }
        c->health = 0.0f;
        c->ai_state = CS_DEAD;
        c->death_time = 0.0f;
        c->draw_time = 0.0f;
        c->attack_timer = 0.0f;
        c->attack_anim = 0.0f;
        c->blow_pending = 0;
        c->charge_state = 0;
        c->speed = 0.0f;
        if (c->species == SP_BOSS) catacombs_boss_defeated();
        return true;
    }
    if (c->companion) return false;
    if (c->species == SP_BOAR)
        boar_react(c);
    else if (c->species == SP_BOSS)
        boss_wake(c);  // a blow from the doorway wakes him as if the player had come in
    else
        alert_pack(c);
    return false;
}

Vec3 creature_aim_point(const Creature* c) {
    const SpeciesDef& d = species_defs[c->species];
    float s = c->body_scale;
    float fx = std::sin(c->heading), fz = std::cos(c->heading);
    return {c->pos.x + fx * d.body_forward * s, c->pos.y + d.body_height * s, c->pos.z + fz * d.body_forward * s};
}

float creature_radius(const Creature* c) {
    return species_defs[c->species].radius * c->body_scale;
}

int hit_part(const Creature* c, Vec3 point) {
    if (!creature_alive(c) || c->companion) return 0;
    const SpeciesDef& d = species_defs[c->species];
    float s = c->body_scale;
    float fx = std::sin(c->heading), fz = std::cos(c->heading);
    Vec3 rel = point - c->pos;
    // Into the creature's frame: forward, up, side.
    float f = rel.x * fx + rel.z * fz;
    float u = rel.y;
    float sd = rel.x * fz - rel.z * fx;
    float hf = f - d.head_forward * s, hu = u - d.head_height * s;
    float hr = d.head_radius * s;
    if (hf * hf + hu * hu + sd * sd <= hr * hr) return 2;
    float bf = (f - d.body_forward * s) / (d.body_half_length * s);
    float bu = (u - d.body_height * s) / (d.body_half_height * s);
    float bs = sd / (d.body_half_side * s);
    if (bf * bf + bu * bu + bs * bs <= 1.0f) return 1;
    return 0;
}

Creature* creature_companion() {
    for (Creature& c : creatures)
        if (c.in_use && c.companion) return &c;
    return nullptr;
}

Creature* summon_companion(Vec3 position, float lifetime) {
    if (Creature* old = creature_companion()) free_creature(old);
    Creature* c = spawn_creature_making_room(SP_WOLF_SPIRIT, position, position);
    if (!c) return nullptr;
    c->companion = 1;
    c->companion_target = -1;
    c->behaviour_timer = lifetime;
    c->ai_state = CS_IDLE;
    c->world = (uint8_t)player_world();
    c->heading = player.heading;
    c->level = player.level;
    c->max_health = 1e9f;
    c->health = 1e9f;
    c->attack_timer = 0.5f;
    c->quest_excluded = 1;
    c->tint = {0.55f, 0.8f, 1.25f};
    return c;
}

void calm_all_creatures() {
    for (Creature& c : creatures) {
        if (!creature_alive(&c) || c.species == SP_BOSS || c.companion) continue;
        if (c.species == SP_BOAR) {
            c.ai_state = CS_BOAR_IDLE;
            c.home = c.pos;
            c.behaviour_timer = 2.0f + 3.0f * rng_float(creature_rng);
        } else {
            c.ai_state = CS_RETURN;
            c.return_time = 0.0f;
        }
        c.blow_pending = 0;
        c.draw_time = 0.0f;
        c.retreat_time = 0.0f;
    }
}

Creature* creature_boss() {
    for (Creature& c : creatures)
        if (c.in_use && c.species == SP_BOSS) return &c;
    return nullptr;
}

void reset_boss() {
    Creature* b = creature_boss();
    for (Creature& c : creatures)
        if (c.in_use && c.minion) free_creature(&c);
    std::memset(falling_slabs, 0, sizeof(falling_slabs));
    if (!b) return;
    b->health = b->max_health;
    b->pos = b->home;
    b->ai_state = CS_IDLE;
    b->phase = 1;
    b->summons = 0;
    b->charge_state = 0;
    b->charge_timer = 0.0f;
    b->outside_time = 0.0f;
    b->heading = PI;
    b->speed = 0.0f;
    b->blow_pending = 0;
    b->attack_anim = 0.0f;
    b->show_bar = 0;
}

int level_danger(int d) {
    if (d >= 5) return 4;
    if (d >= 3) return 3;
    if (d >= -2) return 2;
    if (d >= -6) return 1;
    return 0;
}

Vec3 level_colour(int d) {
    static const Vec3 colours[5] = {
        {0.62f, 0.62f, 0.62f}, {0.35f, 0.95f, 0.3f}, {1.0f, 0.88f, 0.25f}, {1.0f, 0.52f, 0.12f}, {1.0f, 0.18f, 0.12f},
    };
    return colours[level_danger(d)];
}

void creature_take_spare_skins(Model& m) {
    for (int i = 0; i < m.node_count; ++i) {
        Node& n = m.nodes[i];
        if (n.skin && !n.skin_mesh) n.skin_mesh = take_skin(n.mesh);
    }
}
