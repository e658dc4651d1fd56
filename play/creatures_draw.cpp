// Creatures in the frame (figures, the slabs' warning rings, the skeletons'
// arrows) and over it (nameplates, the loot mark, the target frame and the
// crypt lord's bar).
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "render/ui_marks.h"
#include "render/mesh.h"
#include "world/model.h"

namespace {

GpuMesh* ring_mesh = nullptr;
GpuMesh* slab_mesh = nullptr;
GpuMesh* arrow_mesh = nullptr;
Material* ring_material = nullptr;
Material* slab_material = nullptr;
Material* arrow_material = nullptr;

void ensure_meshes() {
    if (ring_mesh) return;
    // A flat ring: an open frustum squashed to a band lying on the floor.
    MeshBuilder r = shape_ellipsoid_band(1.8f, 0.02f, 1.8f, 1.35f, 1.75f, 40);
    ring_mesh = mesh_upload(&r);
    MeshBuilder s = shape_box({1.6f, 0.35f, 1.6f});
    slab_mesh = mesh_upload(&s);
    MeshBuilder a = shape_frustum(0.012f, 0.012f, 0.8f, 5, true);
    arrow_mesh = mesh_upload(&a);
    Material m;
    material_init(&m, {1.0f, 0.25f, 0.1f});
    m.emission = {1.6f, 0.3f, 0.1f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m.alpha = 0.7f;
    m.double_sided = 1;
    ring_material = material_copy(m);
    material_init(&m, {0.42f, 0.4f, 0.37f}, 3.0f, 0.3f);
    m.surface_kind = 1;
    slab_material = material_copy(m);
    material_init(&m, {0.45f, 0.36f, 0.24f});
    arrow_material = material_copy(m);
}

void draw_creature(Creature& c) {
    Model& m = c.model;
    if (m.node_count <= 0) return;
    model_evaluate(&m, creature_root_matrix(&c));
    if (model_skin_active(&m, render_camera.eye)) creature_take_spare_skins(m);
    // Site colouring, the companion's glow and the hit flash ride on the
    // part tints for this one submission.
    float flash = clampf(c.hit_flash / 0.15f, 0.0f, 1.0f);
    model_draw_tinted(&m, nullptr, nullptr, c.tint, Vec3{2.2f, 1.6f, 1.5f}, 0.6f * flash);
}

const char* fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
char ring_buf[8][512];
int ring_next = 0;
const char* fmt(const char* f, ...) {
    char* b = ring_buf[ring_next];
    ring_next = (ring_next + 1) & 7;
    va_list ap;
    va_start(ap, f);
    std::vsnprintf(b, 512, f, ap);
    va_end(ap);
    return b;
}

int health_up(float h) {
    float c = std::ceil(h);
    if (!(c > 0.0f)) return 0;
    return c > 2e9f ? 2000000000 : (int)c;
}

Vec4 col4(Vec3 c, float a = 1.0f) { return {c.x, c.y, c.z, a}; }

}  // namespace

void creatures_submit() {
    ensure_meshes();
    int world = player_world();
    Vec3 eye = render_camera.eye;
    float range = world == WORLD_CATACOMBS ? 60.0f : 230.0f;
    for (Creature& c : creatures) {
        if (!c.in_use || c.world != world) continue;
        float dx = c.pos.x - eye.x, dz = c.pos.z - eye.z;
        if (dx * dx + dz * dz > range * range) continue;
        draw_creature(c);
    }
    for (const FallingSlab& s : falling_slabs) {
        if (!s.active) continue;
        if (!s.landed) {
            // The ring pulses faster as the slab comes down.
            float pulse = 0.85f + 0.15f * std::sin((float)game_clock * (8.0f + 10.0f * s.age));
            render_add(ring_mesh, ring_material,
                       mat4_from_prs(s.pos + Vec3{0, 0.03f, 0}, {0, 0, 0}, {pulse, 1, pulse}), {1, 1, 1});
        }
        float t = clampf(s.age / 1.7f, 0.0f, 1.0f);
        float y = s.pos.y + 0.18f + 9.0f * (1.0f - t * t);
        render_add(slab_mesh, slab_material, mat4_from_prs({s.pos.x, y, s.pos.z}, {0, s.pos.x, 0}, {1, 1, 1}),
                   {1, 1, 1});
    }
    for (const CreatureArrow& a : creature_arrows) {
        if (!a.active) continue;
        Vec3 d = normalize(a.vel);
        float yaw = std::atan2(d.x, d.z);
        float pitch = std::asin(clampf(d.y, -1.0f, 1.0f));
        // The shaft stands along y; lay it along the flight.
        Mat4 m = mat4_translate(a.pos) * mat4_rotate_y(yaw) * mat4_rotate_x(PI * 0.5f - pitch);
        render_add(arrow_mesh, arrow_material, m, {1, 1, 1});
    }
}

void creatures_draw_labels() {
    int world = player_world();
    Vec3 feet = {player.pos_x, player.pos_y, player.pos_z};
    for (Creature& c : creatures) {
        if (!c.in_use || c.world != world) continue;
        float dx = c.pos.x - feet.x, dz = c.pos.z - feet.z;
        float d2 = dx * dx + dz * dz;
        const SpeciesDef& def = species_defs[c.species];
        if (c.ai_state == CS_DEAD) {
            if ((c.loot_count > 0 || c.loot_money > 0) && d2 < 40.0f * 40.0f) {
                float bob = 0.12f * std::sin((float)game_clock * 3.0f + (float)c.serial);
                hud_world_label(c.pos + Vec3{0, 0.9f * c.body_scale + bob, 0}, "◆", 0.2f,
                                Vec4{1.0f, 0.85f, 0.3f, 1.0f}, UI_FONT_BODY);
            }
            continue;
        }
        if (c.companion) {
            Vec3 at = c.pos + Vec3{0, def.bar_height * c.body_scale + 0.25f, 0};
            hud_world_label(at, fmt("Esprit du loup  ·  %d s", health_up(c.behaviour_timer)), 0.15f,
                            Vec4{0.6f, 0.85f, 1.0f, 1.0f}, UI_FONT_BODY);
            continue;
        }
        if (!c.show_bar) continue;
        bool big = c.elite || c.species == SP_BOSS;
        Vec3 bar = c.pos + Vec3{0, def.bar_height * c.body_scale + 0.1f, 0};
        hud_health_bar(bar, c.max_health > 0.0f ? c.health / c.max_health : 0.0f, big ? 1.1f : 0.8f);
        const int danger = level_danger(c.level - player.level);
        Vec4 colour = col4(level_colour(c.level - player.level));
        // The bar grows with the text size: the name over it is raised as much.
        const float lift = hud_world_text_factor();
        if (big) {
            const char* title = c.elite ? elite_defs[c.elite_index].title : def.name;
            const char* text = fmt("%s%s  niv. %d%s\n%d / %d", title, "", c.level, c.elite ? "  Élite" : "  Boss",
                                   health_up(c.health), health_up(c.max_health));
            hud_world_label_danger(bar + Vec3{0, (0.1f + 0.17f * 1.15f) * lift, 0}, text, 0.17f, colour,
                                   UI_FONT_BODY, danger);
        } else {
            const char* text = fmt("%s  niv. %d   %d / %d", creature_display_name(&c), c.level, health_up(c.health),
                                   health_up(c.max_health));
            hud_world_label_danger(bar + Vec3{0, (0.1f + 0.16f * 0.58f) * lift, 0}, text, 0.16f, colour,
                                   UI_FONT_BODY, danger);
        }
    }

    const float s = hud_scale;
    const float W = (float)plat_input.client_width;
    // Target frame.
    Creature* t = player.target;
    if (t && t->in_use && !t->companion) {
        float w = 330.0f * s, h = 16.0f * s, x = W * 0.5f - w * 0.5f, y = 44.0f * s;
        Vec3 c = level_colour(t->level - player.level);
        const char* name = fmt("%s  ·  niv. %d%s", creature_display_name(t), t->level, t->elite ? "  ·  Élite" : "");
        // A panel of the HUD: the labels over the world give way to it.
        float bw = std::fmax(w, ui_text_width(name, 18.0f * s, UI_FONT_BODY)) + 8.0f * s;
        UiBoxScope frame(W * 0.5f - bw * 0.5f, y - 26.0f * s, bw, h + 26.0f * s);
        ui_text_centred(W * 0.5f, y - 24.0f * s, name, 18.0f * s, col4(c), UI_FONT_BODY);
        // With a colour-vision correction the danger is told by bars as well,
        // left of the name, as over the creature itself.
        if (ui_marks_shown()) {
            const int steps = level_danger(t->level - player.level);
            float mh = 14.0f * s;
            float left = W * 0.5f - ui_text_width(name, 18.0f * s, UI_FONT_BODY) * 0.5f;
            ui_mark_steps(left - ui_mark_steps_width(mh) - 6.0f * s, y - 22.0f * s, mh, steps, col4(c));
        }
        ui_panel(x, y, w, h, Vec4{0.05f, 0.05f, 0.04f, 0.85f}, Vec4{0.55f, 0.48f, 0.3f, 1.0f}, 1.0f * s);
        float frac = t->ai_state == CS_DEAD || t->max_health <= 0.0f ? 0.0f : clampf(t->health / t->max_health, 0, 1);
        ui_rect(x + 2.0f * s, y + 2.0f * s, (w - 4.0f * s) * frac, h - 4.0f * s, col4(c * 0.85f));
        const char* hp = t->ai_state == CS_DEAD ? "abattu"
                                                : fmt("%d / %d", health_up(t->health), health_up(t->max_health));
        ui_text_centred(W * 0.5f, y + 1.0f * s, hp, 13.0f * s, Vec4{1, 1, 1, 1}, UI_FONT_BODY);
    }
    // The crypt lord's bar while he fights.
    Creature* b = creature_boss();
    if (b && b->ai_state == CS_FIGHT && world == WORLD_CATACOMBS) {
        float w = 560.0f * s, h = 22.0f * s, x = W * 0.5f - w * 0.5f, y = 70.0f * s;
        const char* title = fmt("Bréhus sans Pitié  ·  niv. %d%s", b->level, b->phase == 3 ? "  ·  en rage" : "");
        float bw = std::fmax(w, ui_text_width(title, 19.0f * s, UI_FONT_TITLE)) + 8.0f * s;
        UiBoxScope bar(W * 0.5f - bw * 0.5f, y, bw, h + 4.0f * s + 19.0f * s * 1.3f);
        ui_text_centred(W * 0.5f, y + h + 4.0f * s, title, 19.0f * s, Vec4{1.0f, 0.85f, 0.6f, 1.0f}, UI_FONT_TITLE);
        ui_panel(x, y, w, h, Vec4{0.06f, 0.03f, 0.03f, 0.9f}, Vec4{0.6f, 0.45f, 0.25f, 1.0f}, 1.5f * s);
        float frac = clampf(b->health / b->max_health, 0.0f, 1.0f);
        ui_rect(x + 2.0f * s, y + 2.0f * s, (w - 4.0f * s) * frac, h - 4.0f * s,
                b->phase == 3 ? Vec4{0.85f, 0.12f, 0.08f, 1.0f} : Vec4{0.65f, 0.1f, 0.1f, 1.0f});
        ui_rect(x + w * 0.6f - 1.0f * s, y, 2.0f * s, h, Vec4{0.95f, 0.85f, 0.55f, 0.9f});
        ui_rect(x + w * 0.3f - 1.0f * s, y, 2.0f * s, h, Vec4{0.95f, 0.85f, 0.55f, 0.9f});
        ui_text_centred(W * 0.5f, y + 3.0f * s, fmt("%d / %d", health_up(b->health), health_up(b->max_health)),
                        14.0f * s, Vec4{1, 1, 1, 1}, UI_FONT_BODY);
    }
}
