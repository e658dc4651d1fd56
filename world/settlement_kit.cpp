// Shared building blocks of the town, the hamlet and the wild sites, and the
// half-timbered house generator. Everything is appended into the world
// batches, so any number of houses costs the same few draw calls.
#include "world/settlement_kit.h"

#include <cmath>

#include "common/rng.h"
#include "world/camelot.h"
#include "world/solids.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

MeshBuilder unit_box_mesh;
MeshBuilder unit_sphere_mesh;

const MeshBuilder& unit_box() {
    if (!unit_box_mesh.vertex_count) unit_box_mesh = shape_box({1, 1, 1});
    return unit_box_mesh;
}

const MeshBuilder& unit_sphere() {
    if (!unit_sphere_mesh.vertex_count) unit_sphere_mesh = shape_ellipsoid(1, 1, 1, 10);
    return unit_sphere_mesh;
}

void append(int batch, const MeshBuilder& shape, const Mat4& m, Vec3 tint) {
    mb_append(&world_batches[batch], &shape, m, tint);
}

}  // namespace

void kit_release() {
    mb_free(&unit_box_mesh);
    mb_free(&unit_sphere_mesh);
}

Mat4 kit_frame(float x, float base_y, float z, float yaw) {
    return mat4_translate({x, base_y, z}) * mat4_rotate_y(yaw);
}

void kit_box(int batch, const Mat4& frame, Vec3 centre, Vec3 size, Vec3 tint, float yaw) {
    append(batch, unit_box(), frame * mat4_from_prs(centre, {0, yaw, 0}, size), tint);
}

void kit_box_prs(int batch, const Mat4& frame, Vec3 centre, Vec3 rotation, Vec3 size, Vec3 tint) {
    append(batch, unit_box(), frame * mat4_from_prs(centre, rotation, size), tint);
}

void kit_solid_box(const Mat4& frame, Vec3 centre, Vec3 size, float yaw) {
    solid_box(frame * mat4_from_prs(centre, {0, yaw, 0}, size));
}

void kit_solid_box_prs(const Mat4& frame, Vec3 centre, Vec3 rotation, Vec3 size) {
    solid_box(frame * mat4_from_prs(centre, rotation, size));
}

void kit_solid_gable(const Mat4& frame, Vec3 centre, float w, float h, float d) {
    solid_gable(frame * mat4_translate(centre), w, h, d);
}

void kit_ellipsoid(int batch, const Mat4& frame, Vec3 centre, Vec3 radii, Vec3 tint, float yaw) {
    append(batch, unit_sphere(), frame * mat4_from_prs(centre, {0, yaw, 0}, radii), tint);
}

void kit_cylinder(int batch, const Mat4& frame, Vec3 base, float r_top, float r_bottom, float h, Vec3 tint,
                  int sides) {
    MeshBuilder c = shape_frustum(r_top, r_bottom, h, sides, true);
    batch_add(batch, &c, frame * mat4_translate(base + Vec3{0, h * 0.5f, 0}), tint);
}

void kit_beam(int batch, const Mat4& frame, Vec3 a, Vec3 b, float thickness, Vec3 tint) {
    Vec3 d = b - a;
    float len = length(d);
    if (len < 1e-4f) return;
    Vec3 y = d * (1.0f / len);
    Vec3 ref = std::fabs(y.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    Vec3 x = normalize(cross(ref, y));
    Vec3 z = cross(x, y);
    Mat4 m = mat4_from_axes(x * thickness, d, z * thickness, (a + b) * 0.5f);
    append(batch, unit_box(), frame * m, tint);
}

void kit_gable(int batch, const Mat4& frame, Vec3 centre, float w, float h, float d, Vec3 tint) {
    MeshBuilder b{};
    const Vec3 white = {1, 1, 1};
    float hw = w * 0.5f, hd = d * 0.5f;
    Vec3 p[6] = {{-hw, 0, hd}, {hw, 0, hd}, {0, h, hd}, {-hw, 0, -hd}, {hw, 0, -hd}, {0, h, -hd}};
    auto quad = [&](Vec3 a, Vec3 b_, Vec3 c, Vec3 e, Vec3 n) {
        uint32_t i0 = mb_add_vertex(&b, a, n, white), i1 = mb_add_vertex(&b, b_, n, white);
        uint32_t i2 = mb_add_vertex(&b, c, n, white), i3 = mb_add_vertex(&b, e, n, white);
        mb_add_triangle(&b, i0, i1, i2);
        mb_add_triangle(&b, i0, i2, i3);
    };
    auto tri = [&](Vec3 a, Vec3 b_, Vec3 c, Vec3 n) {
        uint32_t i0 = mb_add_vertex(&b, a, n, white), i1 = mb_add_vertex(&b, b_, n, white);
        uint32_t i2 = mb_add_vertex(&b, c, n, white);
        mb_add_triangle(&b, i0, i1, i2);
    };
    tri(p[0], p[1], p[2], {0, 0, 1});
    tri(p[3], p[4], p[5], {0, 0, -1});
    quad(p[0], p[1], p[4], p[3], {0, -1, 0});
    Vec3 nl = normalize({-h, hw, 0}), nr = normalize({h, hw, 0});
    quad(p[0], p[2], p[5], p[3], nl);
    quad(p[1], p[2], p[5], p[4], nr);
    mb_orient(&b);
    batch_add(batch, &b, frame * mat4_translate(centre), tint);
}

void kit_block_obstacles(float x, float z, float w, float d, float h, float base_y) {
    const float r = 1.15f;
    float x0 = x - w * 0.5f + r, x1 = x + w * 0.5f - r;
    if (x1 < x0) x0 = x1 = x;
    int rows = d <= 2.0f * r ? 1 : (int)std::ceil((d - 2.0f * r) / (1.6f * r)) + 1;
    for (int i = 0; i < rows; ++i) {
        float zz = rows == 1 ? z : z - d * 0.5f + r + (d - 2.0f * r) * (float)i / (float)(rows - 1);
        obstacle_wall(x0, zz, x1, zz, r, h, base_y);
    }
}

// ---- Timber framing ------------------------------------------------------------

int timber_panel_count(float width) {
    // A narrow face still gets one panel: never a division by zero.
    int n = (int)std::floor(width / 1.3f + 0.5f);
    return n < 1 ? 1 : n;
}

namespace {

enum PanelKind : uint8_t { PANEL_PLAIN, PANEL_BRACE, PANEL_WINDOW, PANEL_DOOR };

constexpr float POST = 0.16f;

// Openings and framing of one wall face. The face frame has its origin on
// the wall surface at the bottom middle, +z pointing out of the wall.
void face_build(const Mat4& f, float w, float h, const PanelKind* kinds, int n, bool timbered, Vec3 timber,
                float window_y, Vec3 shutter) {
    float pw = w / (float)n;
    if (timbered) {
        for (int i = 0; i <= n; ++i) {
            float x = -w * 0.5f + pw * (float)i;
            kit_box(SB_WOOD, f, {x, h * 0.5f, 0.03f}, {POST, h, 0.1f}, timber);
        }
        kit_box(SB_WOOD, f, {0, h - 0.09f, 0.035f}, {w + 0.1f, 0.18f, 0.11f}, timber);
        kit_box(SB_WOOD, f, {0, 0.09f, 0.035f}, {w + 0.1f, 0.18f, 0.11f}, timber);
    }
    for (int i = 0; i < n; ++i) {
        float x0 = -w * 0.5f + pw * (float)i, x1 = x0 + pw, xc = (x0 + x1) * 0.5f;
        switch (kinds[i]) {
            case PANEL_BRACE:
                if (timbered) {
                    bool rising = xc < 0.0f;
                    kit_beam(SB_WOOD, f, {rising ? x0 + 0.05f : x1 - 0.05f, 0.18f, 0.025f},
                             {rising ? x1 - 0.05f : x0 + 0.05f, h - 0.18f, 0.025f}, 0.13f, timber);
                }
                break;
            case PANEL_PLAIN:
                if (timbered) kit_box(SB_WOOD, f, {xc, h * 0.5f, 0.025f}, {pw, 0.13f, 0.08f}, timber);
                break;
            case PANEL_WINDOW: {
                float ww = std::fmin(pw - 0.34f, 0.95f), wh = 0.95f;
                if (ww < 0.35f) break;
                kit_box(SB_DARK, f, {xc, window_y, 0.015f}, {ww, wh, 0.06f}, {1, 1, 1});
                // Mullion, sill and lintel.
                kit_box(SB_WOOD, f, {xc, window_y, 0.05f}, {0.05f, wh, 0.03f}, timber);
                kit_box(SB_WOOD, f, {xc, window_y - wh * 0.5f - 0.05f, 0.05f}, {ww + 0.22f, 0.1f, 0.14f}, timber);
                kit_box(SB_WOOD, f, {xc, window_y + wh * 0.5f + 0.05f, 0.045f}, {ww + 0.16f, 0.1f, 0.12f}, timber);
                // Open shutters against the wall on either side, where there is room.
                if (pw > 1.15f)
                    for (int s = -1; s <= 1; s += 2)
                        kit_box(SB_WOOD, f, {xc + (float)s * (ww * 0.5f + 0.2f), window_y, 0.06f},
                                {0.26f, wh, 0.04f}, shutter);
                break;
            }
            case PANEL_DOOR: {
                float dw = std::fmin(pw - 0.2f, 1.15f);
                kit_box(SB_WOOD, f, {xc, 1.05f, 0.03f}, {dw, 2.1f, 0.08f}, shutter * 0.7f);
                for (int k = 0; k < 2; ++k)
                    kit_box(SB_IRON, f, {xc, 0.45f + 1.2f * (float)k, 0.08f}, {dw * 0.8f, 0.06f, 0.02f},
                            {0.2f, 0.2f, 0.22f});
                kit_box(SB_WOOD, f, {xc, 2.17f, 0.05f}, {dw + 0.3f, 0.16f, 0.14f}, timber);
                // A step before the door.
                kit_box(SB_STONE, f, {xc, -0.2f, 0.35f}, {dw + 0.4f, 0.25f, 0.5f}, {0.55f, 0.53f, 0.5f});
                break;
            }
        }
    }
}

Mat4 face_frame(const Mat4& house, float y, float half_w, float half_d, int side) {
    // side 0 front (+z), 1 right (+x), 2 back, 3 left.
    switch (side) {
        case 0: return house * mat4_translate({0, y, half_d});
        case 1: return house * mat4_translate({half_w, y, 0}) * mat4_rotate_y(PI * 0.5f);
        case 2: return house * mat4_translate({0, y, -half_d}) * mat4_rotate_y(PI);
        default: return house * mat4_translate({-half_w, y, 0}) * mat4_rotate_y(-PI * 0.5f);
    }
}

const Vec3 plasters[] = {
    {0.88f, 0.83f, 0.7f}, {0.84f, 0.72f, 0.5f}, {0.86f, 0.75f, 0.68f}, {0.9f, 0.88f, 0.8f},
    {0.78f, 0.76f, 0.66f}, {0.82f, 0.78f, 0.6f},
};
const Vec3 timbers[] = {{0.26f, 0.17f, 0.11f}, {0.2f, 0.14f, 0.1f}, {0.33f, 0.22f, 0.14f}};
const Vec3 roofs[] = {
    {0.6f, 0.3f, 0.2f}, {0.52f, 0.26f, 0.18f}, {0.36f, 0.35f, 0.38f}, {0.45f, 0.31f, 0.22f}, {0.66f, 0.38f, 0.24f},
};
const Vec3 shutters[] = {{0.25f, 0.38f, 0.3f}, {0.45f, 0.2f, 0.15f}, {0.3f, 0.32f, 0.45f}, {0.4f, 0.3f, 0.2f}};

template <size_t N>
Vec3 pick(const Vec3 (&table)[N], Rng& r) {
    return table[rng_next(r) % N];
}

// A pitched roof whose ridge runs along local x, over walls of half-depth
// half_span (local z) and length len, the wall tops at y_top.
void roof_build(const Mat4& f, float len, float half_span, float y_top, float rise, Vec3 tile, Vec3 gable,
                Vec3 timber, bool gable_windows) {
    const float over = 0.45f, thick = 0.16f;
    float slope = std::atan2(rise, half_span);
    float run = std::sqrt(half_span * half_span + rise * rise);
    float slab = run + over;
    for (int s = -1; s <= 1; s += 2) {
        // Slab bottom on the plane from the wall top to the ridge, overhanging the eave.
        float mid = run - slab * 0.5f;  // distance of the slab centre down from the ridge
        Vec3 down = {0, -std::sin(slope), std::cos(slope) * (float)s};
        Vec3 out = {0, std::cos(slope), std::sin(slope) * (float)s};
        Vec3 c = Vec3{0, y_top + rise, 0} + down * mid + out * (thick * 0.5f);
        kit_box_prs(SB_TILES, f, c, {(float)s * slope, 0, 0}, {len + 0.8f, thick, slab}, tile);
        kit_solid_box_prs(f, c, {(float)s * slope, 0, 0}, {len + 0.8f, thick, slab});
    }
    kit_box(SB_TILES, f, {0, y_top + rise + 0.12f, 0}, {len + 0.9f, 0.2f, 0.3f}, tile * 0.8f);
    kit_solid_box(f, {0, y_top + rise + 0.12f, 0}, {len + 0.9f, 0.2f, 0.3f});
    // The loft under the slopes, closed by the gables.
    kit_solid_gable(f * mat4_rotate_y(PI * 0.5f), {0, y_top, 0}, half_span * 2.0f, rise, len);
    for (int s = -1; s <= 1; s += 2) {
        Mat4 g = f * mat4_translate({(float)s * len * 0.5f, y_top, 0}) * mat4_rotate_y(PI * 0.5f * (float)s);
        kit_gable(SB_PLAIN, g, {0, 0, -0.1f}, half_span * 2.0f - 0.05f, rise - 0.06f, 0.2f, gable);
        // King post and collar beam on the gable.
        kit_box(SB_WOOD, g, {0, rise * 0.45f, 0.03f}, {POST, rise * 0.9f, 0.1f}, timber);
        kit_box(SB_WOOD, g, {0, rise * 0.42f, 0.035f}, {half_span * 1.1f, 0.14f, 0.1f}, timber);
        if (gable_windows && rise > 2.0f)
            kit_box(SB_DARK, g, {half_span * 0.3f, rise * 0.18f, 0.02f}, {0.5f, 0.6f, 0.06f}, {1, 1, 1});
    }
}

}  // namespace

bool house_is_gable_variant(uint32_t seed) { return (seed >> 8) % 100 < 30; }

void house_build(const HouseSpec& h, float x, float z, float base_y, float yaw) {
    Rng r{h.seed | 1u};
    rng_next(r);
    Mat4 house = kit_frame(x, base_y, z, yaw);
    bool gable_front = house_is_gable_variant(h.seed);
    bool two = h.storeys >= 2;
    bool stone_ground = two && rng_float(r) < 0.4f;
    Vec3 plaster = pick(plasters, r) * (0.94f + 0.1f * rng_float(r));
    Vec3 timber = pick(timbers, r);
    Vec3 tile = pick(roofs, r) * (0.9f + 0.15f * rng_float(r));
    Vec3 shutter = pick(shutters, r);
    Vec3 stone = Vec3{0.72f, 0.68f, 0.6f} * (0.9f + 0.15f * rng_float(r));
    const float W = h.width, D = h.depth;
    const float plinth = 0.4f, sh = 2.75f, jetty = two ? 0.35f : 0.0f;

    kit_box(SB_STONE, house, {0, plinth * 0.5f - 0.25f, 0}, {W, plinth + 0.5f, D}, {0.58f, 0.56f, 0.52f});
    kit_solid_box(house, {0, plinth * 0.5f - 0.25f, 0}, {W, plinth + 0.5f, D});
    // Ground storey.
    float w0 = W - 0.1f, d0 = D - 0.1f;
    kit_box(stone_ground ? SB_TILES : SB_PLAIN, house, {0, plinth + sh * 0.5f, 0}, {w0, sh, d0},
            stone_ground ? stone : plaster);
    kit_solid_box(house, {0, plinth + sh * 0.5f, 0}, {w0, sh, d0});
    float y_top = plinth + sh;
    float w1 = w0, d1 = d0;
    float y1 = y_top;
    if (two) {
        // Jettied upper storey on its joists, out over the front and back.
        kit_box(SB_WOOD, house, {0, y_top + 0.11f, 0}, {W + 0.1f, 0.22f, D + 2.0f * jetty + 0.1f}, timber);
        kit_solid_box(house, {0, y_top + 0.11f, 0}, {W + 0.1f, 0.22f, D + 2.0f * jetty + 0.1f});
        y1 = y_top + 0.22f;
        d1 = d0 + 2.0f * jetty;
        kit_box(SB_PLAIN, house, {0, y1 + sh * 0.5f, 0}, {w1, sh, d1}, plaster);
        kit_solid_box(house, {0, y1 + sh * 0.5f, 0}, {w1, sh, d1});
        y_top = y1 + sh;
    }

    // Faces: the front gets the door, windows elsewhere.
    for (int storey = 0; storey < (two ? 2 : 1); ++storey) {
        float fy = storey == 0 ? plinth : y1;
        float hw = (storey == 0 ? w0 : w1) * 0.5f, hd = (storey == 0 ? d0 : d1) * 0.5f;
        bool timbered = !(storey == 0 && stone_ground);
        for (int side = 0; side < 4; ++side) {
            float fw = (side & 1) ? hd * 2.0f : hw * 2.0f;
            int n = timber_panel_count(fw);
            if (n > 32) n = 32;
            PanelKind kinds[32];
            for (int i = 0; i < n; ++i) kinds[i] = PANEL_PLAIN;
            if (n >= 3) kinds[0] = kinds[n - 1] = PANEL_BRACE;
            if (side == 0) {
                for (int i = 1; i < n - 1; i += 2) kinds[i] = PANEL_WINDOW;
                if (storey == 0) {
                    int door = n <= 2 ? 0 : 1 + (int)(rng_next(r) % (uint32_t)(n - 2));
                    kinds[door] = PANEL_DOOR;
                }
                if (n == 1 && storey == 1) kinds[0] = PANEL_WINDOW;
            } else if (n >= 3) {
                kinds[n / 2] = (rng_next(r) & 1) ? PANEL_WINDOW : PANEL_PLAIN;
            }
            Mat4 face = face_frame(house, fy, hw, hd, side);
            face_build(face, fw, sh, kinds, n, timbered, timber, storey == 0 ? 1.5f : 1.4f, shutter);
        }
    }

    // Roof: ridge along the street, or the gable end toward it.
    float pitch = gable_front ? 0.95f + 0.12f * rng_float(r) : 0.72f + 0.14f * rng_float(r);
    if (!gable_front) {
        float half_span = d1 * 0.5f;
        roof_build(house, w1, half_span, y_top, half_span * std::tan(pitch), tile, plaster, timber, false);
    } else {
        float half_span = w1 * 0.5f;
        Mat4 turned = house * mat4_rotate_y(PI * 0.5f);
        roof_build(turned, d1, half_span, y_top, half_span * std::tan(pitch), tile, plaster, timber, true);
    }
    // Chimney through one slope, its top above the ridge.
    if (rng_float(r) < 0.65f) {
        float span = gable_front ? w1 * 0.5f : d1 * 0.5f;
        float rise = span * std::tan(pitch);
        float along = (rng_float(r) - 0.5f) * ((gable_front ? d1 : w1) - 1.6f);
        float across = -span * 0.45f;
        float base_h = y_top + rise * 0.55f - 0.5f;
        float top = y_top + rise + 0.7f;
        Vec3 c = gable_front ? Vec3{across, (base_h + top) * 0.5f, along} : Vec3{along, (base_h + top) * 0.5f, across};
        kit_box(SB_MASONRY, house, c, {0.7f, top - base_h, 0.7f}, {0.6f, 0.56f, 0.52f});
        kit_solid_box(house, c, {0.7f, top - base_h, 0.7f});
        kit_box(SB_MASONRY, house, {c.x, top + 0.06f, c.z}, {0.86f, 0.14f, 0.86f}, {0.5f, 0.47f, 0.44f});
    }

    // Collision: the footprint shrunk by 1.15 m, circles of 1.15 m.
    const float r_ob = 1.15f, ob_h = two ? 7.0f : 5.0f;
    float ex = W * 0.5f - r_ob, ez = D * 0.5f - r_ob;
    if (ex < 0.0f) ex = 0.0f;
    if (ez < 0.0f) ez = 0.0f;
    Vec3 c[4] = {{-ex, 0, -ez}, {ex, 0, -ez}, {ex, 0, ez}, {-ex, 0, ez}};
    for (Vec3& p : c) p = mat4_mul_point(house, p);
    for (int i = 0; i < 4; ++i) {
        const Vec3& a = c[i];
        const Vec3& b = c[(i + 1) % 4];
        obstacle_wall(a.x, a.z, b.x, b.z, r_ob, ob_h, base_y - 1.0f);
    }
}

// ---- Torches ------------------------------------------------------------------------

Vec3 kit_torch(float x, float y, float z, float dx, float dz) {
    float l = std::sqrt(dx * dx + dz * dz);
    if (l < 1e-6f) { dx = 0; dz = 1; l = 1; }
    dx /= l;
    dz /= l;
    float yaw = std::atan2(dx, dz);
    Mat4 f = kit_frame(x, y, z, yaw);
    // Bracket out from the wall, a collar, then the stick leaning out.
    kit_box(SB_IRON, f, {0, 0, 0.14f}, {0.06f, 0.06f, 0.3f}, {0.22f, 0.22f, 0.24f});
    kit_box(SB_IRON, f, {0, 0.02f, 0.3f}, {0.12f, 0.08f, 0.12f}, {0.22f, 0.22f, 0.24f});
    MeshBuilder stick = shape_frustum(0.07f, 0.045f, 0.6f, 6, true);
    batch_add(SB_WOOD, &stick, f * mat4_from_prs({0, 0.18f, 0.34f}, {0.25f, 0, 0}, {1, 1, 1}),
              {0.3f, 0.21f, 0.14f});
    Vec3 flame = mat4_mul_point(f, {0, 0.5f, 0.42f});
    world_add_fire(flame, 0.32f);
    return flame;
}

// How far below its origin a flame of size 1 reaches (world_flame_shape).
constexpr float kFlameFoot = 0.05f;

Vec3 kit_torch_post(float x, float z) {
    float y = ground_height(x, z);
    Mat4 f = kit_frame(x, y, z, 0.0f);
    kit_cylinder(SB_WOOD, f, {0, -0.2f, 0}, 0.07f, 0.09f, 2.3f, {0.3f, 0.22f, 0.15f}, 7);
    kit_box(SB_IRON, f, {0, 2.05f, 0}, {0.2f, 0.08f, 0.2f}, {0.22f, 0.22f, 0.24f});
    // The flame's foot sits in the iron dish on top of the post.
    Vec3 flame = {x, y + 2.09f + kFlameFoot * 0.36f, z};
    world_add_fire(flame, 0.36f);
    obstacle_add(x, z, 0.25f, 2.4f, y);
    return flame;
}
