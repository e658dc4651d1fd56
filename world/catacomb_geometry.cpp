// The dungeon's stone: walls of coursed blocks, flagged floors, the vault,
// pilasters at the door jambs, trims, burial niches, bones, braziers,
// sarcophagi, the lord's throne, the exit portal and the passage. Built once
// into meshes per 20 m chunk and material, so a frame draws only the chunks
// near the camera. Dark everywhere but where a brazier burns.
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/rng.h"
#include "common/game_time.h"
#include "render/renderer.h"
#include "world/catacombs.h"
#include "render/mesh.h"
#include "world/world.h"
#include "world/world_calls.h"

namespace {

enum Mat : int {
    M_WALL, M_MORTAR, M_FLOOR, M_CEILING, M_TRIM, M_BONE, M_NICHE, M_METAL, M_COALS, M_SARCOPHAGUS, M_THRONE,
    M_CLOTH, M_WOOD, M_GLOW, M_COUNT
};

constexpr int CHUNK_CELLS = 4;
constexpr int CHUNKS = (CATACOMB_CELLS + CHUNK_CELLS - 1) / CHUNK_CELLS;  // 5 x 5
constexpr float DRAW_RANGE = 42.0f;

struct Chunk {
    GpuMesh* mesh[M_COUNT];
    Vec3 centre;
    float radius;
};

struct Brazier {
    Vec3 flame;   // base of the flame
    float size;
    bool standing;  // on the floor in a room, else on a wall bracket
};

Chunk chunks[CHUNKS][CHUNKS];
MeshBuilder builders[CHUNKS][CHUNKS][M_COUNT];
Material* materials[M_COUNT];
std::vector<Brazier> braziers;
GpuMesh* flame_mesh = nullptr;
Material* flame_material = nullptr;
GpuMesh* chest_closed = nullptr;
GpuMesh* chest_open = nullptr;
GpuMesh* chest_metal = nullptr;
GpuMesh* passage_frame = nullptr;
GpuMesh* passage_glow = nullptr;
Material* passage_glow_material = nullptr;
CatacombGeometryReport report;
bool built = false;

// Details: sizes 0.55..0.8, offsets within +-0.025, tints 0.8..1.1.
Rng detail{0x5EC0FFEEu};

float detail_size() { return rng_range(detail, 0.55f, 0.8f); }
float detail_offset() { return rng_range(detail, -0.025f, 0.025f); }
float detail_tint() { return rng_range(detail, 0.8f, 1.1f); }

int chunk_of_local(float c) {
    int cell = (int)std::floor(c / CATACOMB_CELL);
    if (cell < 0) cell = 0;
    if (cell > CATACOMB_CELLS - 1) cell = CATACOMB_CELLS - 1;
    return cell / CHUNK_CELLS;
}

MeshBuilder* builder_at(Vec3 world, int m) {
    return &builders[chunk_of_local(world.x - CATACOMB_X0)][chunk_of_local(world.z)][m];
}

// A quad o, o+u, o+u+v, o+v facing n.
void add_quad(MeshBuilder* b, Vec3 o, Vec3 u, Vec3 v, Vec3 n, Vec3 colour) {
    uint32_t a = mb_add_vertex(b, o, n, colour);
    uint32_t c1 = mb_add_vertex(b, o + u, n, colour);
    uint32_t c2 = mb_add_vertex(b, o + u + v, n, colour);
    uint32_t c3 = mb_add_vertex(b, o + v, n, colour);
    if (dot(cross(u, v), n) >= 0.0f) {
        mb_add_triangle(b, a, c1, c2);
        mb_add_triangle(b, a, c2, c3);
    } else {
        mb_add_triangle(b, a, c2, c1);
        mb_add_triangle(b, a, c3, c2);
    }
}

void add_shape(MeshBuilder* dst, MeshBuilder shape, Vec3 position, Vec3 rotation, Vec3 scale, Vec3 colour) {
    mb_append(dst, &shape, mat4_from_prs(position, rotation, scale), colour);
    mb_free(&shape);
}

void add_box(int m, Vec3 centre, Vec3 size, Vec3 colour, float yaw = 0.0f) {
    add_shape(builder_at(centre, m), shape_box(size), centre, {0, yaw, 0}, {1, 1, 1}, colour);
}

Vec3 grey(float k) { return {k, k, k}; }

// Boxes take absolute sizes per axis; a sum of axis vectors gives them.
Vec3 abs3(Vec3 v) { return {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}; }

// Local span of grid square g along one axis.
void span(int g, float* lo, float* hi) {
    int k = g / 2;
    *lo = 5.0f * (float)k + (g % 2 ? 1.0f : 0.0f);
    *hi = *lo + (g % 2 ? 4.0f : 1.0f);
}

bool solid(int gx, int gz) { return catacomb_grid_at(gx, gz) != 0; }

// ---- Walls ----------------------------------------------------------------------------

// One exposed face of a solid square: a mortar plane and courses of blocks
// standing a little proud of it. origin is the face's lower-left corner seen
// from the open side, along runs to its right, n points into the open square.
void wall_face(Vec3 origin, Vec3 along, float width, Vec3 n) {
    MeshBuilder* b = builder_at(origin + along * (0.5f * width) + n * 0.5f, M_WALL);
    MeshBuilder* mortar = builder_at(origin + along * (0.5f * width) + n * 0.5f, M_MORTAR);
    const Vec3 up = {0, 1, 0};
    add_quad(mortar, origin + n * 0.0f, along * width, up * CATACOMB_CEILING, n, grey(1.0f));
    float y = 0.0f;
    int course = 0;
    while (y < CATACOMB_CEILING - 0.05f) {
        float h = detail_size();
        if (y + h > CATACOMB_CEILING - 0.3f) h = CATACOMB_CEILING - y;
        // Alternate courses start with a half block so the joints do not line up.
        float x = course % 2 ? -0.5f * detail_size() : 0.0f;
        while (x < width - 0.02f) {
            float w = 1.6f * detail_size();
            float x0 = x < 0.0f ? 0.0f : x, x1 = x + w > width ? width : x + w;
            if (width - x1 < 0.25f) x1 = width;  // no sliver at the end
            float off = 0.03f + detail_offset();
            Vec3 o = origin + along * (x0 + 0.015f) + up * (y + 0.015f) + n * off;
            add_quad(b, o, along * (x1 - x0 - 0.03f), up * (h - 0.03f), n, grey(detail_tint()));
            x = x1;
        }
        y += h;
        ++course;
    }
}

void build_walls() {
    for (int gx = 0; gx < CATACOMB_GRID; ++gx)
        for (int gz = 0; gz < CATACOMB_GRID; ++gz) {
            if (!solid(gx, gz)) continue;
            float x0, x1, z0, z1;
            span(gx, &x0, &x1);
            span(gz, &z0, &z1);
            x0 += CATACOMB_X0;
            x1 += CATACOMB_X0;
            for (int d = 0; d < 4; ++d) {
                int ngx = gx + DIR_DX[d], ngz = gz + DIR_DZ[d];
                if (ngx < 0 || ngz < 0 || ngx >= CATACOMB_GRID || ngz >= CATACOMB_GRID || solid(ngx, ngz)) continue;
                // Seen from the open side, "along" runs to the viewer's right.
                switch (d) {
                    case 0: wall_face({x1, 0, z1}, {0, 0, -1}, z1 - z0, {1, 0, 0}); break;
                    case 1: wall_face({x0, 0, z0}, {0, 0, 1}, z1 - z0, {-1, 0, 0}); break;
                    case 2: wall_face({x0, 0, z1}, {1, 0, 0}, x1 - x0, {0, 0, 1}); break;
                    default: wall_face({x1, 0, z0}, {-1, 0, 0}, x1 - x0, {0, 0, -1}); break;
                }
            }
        }
}

// ---- Floor, vault, trims --------------------------------------------------------------

void build_floor_and_vault() {
    for (int gx = 0; gx < CATACOMB_GRID; ++gx)
        for (int gz = 0; gz < CATACOMB_GRID; ++gz) {
            if (solid(gx, gz)) continue;
            float x0, x1, z0, z1;
            span(gx, &x0, &x1);
            span(gz, &z0, &z1);
            x0 += CATACOMB_X0;
            x1 += CATACOMB_X0;
            Vec3 mid = {0.5f * (x0 + x1), 0, 0.5f * (z0 + z1)};
            add_quad(builder_at(mid, M_MORTAR), {x0, -0.03f, z0}, {x1 - x0, 0, 0}, {0, 0, z1 - z0}, {0, 1, 0},
                     grey(0.8f));
            // Flagstones in rows of the square's width.
            int nx = (int)std::ceil((x1 - x0) / 0.8f), nz = (int)std::ceil((z1 - z0) / 0.8f);
            float sx = (x1 - x0) / (float)nx, sz = (z1 - z0) / (float)nz;
            for (int a = 0; a < nx; ++a)
                for (int c = 0; c < nz; ++c) {
                    float y = 0.5f * detail_offset();
                    Vec3 o = {x0 + sx * (float)a + 0.02f, y, z0 + sz * (float)c + 0.02f};
                    add_quad(builder_at(mid, M_FLOOR), o, {sx - 0.04f, 0, 0}, {0, 0, sz - 0.04f}, {0, 1, 0},
                             grey(detail_tint()));
                }
            add_quad(builder_at(mid, M_CEILING), {x0, CATACOMB_CEILING, z0}, {x1 - x0, 0, 0}, {0, 0, z1 - z0},
                     {0, -1, 0}, grey(detail_tint()));
            // A lintel over every doorway between two cells.
            bool x_line = gx % 2 == 0, z_line = gz % 2 == 0;
            if (x_line != z_line && catacomb_room_of_cell(gx / 2, gz / 2) < 0)
                add_box(M_TRIM, {mid.x, 4.45f, mid.z}, {x1 - x0 + 0.02f, 0.3f, z1 - z0 + 0.02f}, grey(0.9f));
        }
}

// Skirting and cornice along every long face; pilasters at the jambs.
void build_trims_and_pillars() {
    for (int gx = 0; gx < CATACOMB_GRID; ++gx)
        for (int gz = 0; gz < CATACOMB_GRID; ++gz) {
            if (!solid(gx, gz)) continue;
            float x0, x1, z0, z1;
            span(gx, &x0, &x1);
            span(gz, &z0, &z1);
            x0 += CATACOMB_X0;
            x1 += CATACOMB_X0;
            Vec3 mid = {0.5f * (x0 + x1), 0, 0.5f * (z0 + z1)};
            int open_sides = 0;
            for (int d = 0; d < 4; ++d) {
                int ngx = gx + DIR_DX[d], ngz = gz + DIR_DZ[d];
                if (ngx < 0 || ngz < 0 || ngx >= CATACOMB_GRID || ngz >= CATACOMB_GRID || solid(ngx, ngz)) continue;
                ++open_sides;
                bool along_x = d >= 2;
                float len = along_x ? x1 - x0 : z1 - z0;
                if (len < 2.0f) continue;
                Vec3 n = {(float)DIR_DX[d], 0, (float)DIR_DZ[d]};
                float hx = along_x ? 0.5f * len : 0.5f * (x1 - x0);
                float hz = along_x ? 0.5f * (z1 - z0) : 0.5f * len;
                Vec3 face = mid + Vec3{n.x * hx, 0, n.z * hz};
                Vec3 skirt = {along_x ? len : 0.16f, 0.32f, along_x ? 0.16f : len};
                Vec3 cornice = {along_x ? len : 0.22f, 0.24f, along_x ? 0.22f : len};
                add_box(M_TRIM, face + n * 0.06f + Vec3{0, 0.16f, 0}, skirt, grey(detail_tint()));
                add_box(M_TRIM, face + n * 0.09f + Vec3{0, CATACOMB_CEILING - 0.12f, 0}, cornice, grey(detail_tint()));
            }
            // A corner square with open sides frames a doorway or a turn.
            bool corner = gx % 2 == 0 && gz % 2 == 0;
            if (corner && open_sides > 0) {
                float k = detail_tint();
                add_box(M_TRIM, mid + Vec3{0, 2.3f, 0}, {1.3f, 4.6f, 1.3f}, grey(0.85f * k));
                add_box(M_TRIM, mid + Vec3{0, 0.2f, 0}, {1.5f, 0.4f, 1.5f}, grey(0.95f * k));
                add_box(M_TRIM, mid + Vec3{0, 4.1f, 0}, {1.5f, 0.3f, 1.5f}, grey(0.95f * k));
                report.pillars++;
            }
        }
}

// ---- Niches and bones -------------------------------------------------------------------

void skull(MeshBuilder* b, Vec3 p, float yaw, float k) {
    Vec3 ivory = {0.9f * k, 0.86f * k, 0.74f * k};
    add_shape(b, shape_ellipsoid(0.1f, 0.11f, 0.12f, 8), p + Vec3{0, 0.1f, 0}, {0, yaw, 0}, {1, 1, 1}, ivory);
    add_shape(b, shape_box({0.12f, 0.06f, 0.1f}), p + Vec3{0.06f * std::sin(yaw), 0.03f, 0.06f * std::cos(yaw)},
              {0, yaw, 0}, {1, 1, 1}, ivory);
}

void bone(MeshBuilder* b, Vec3 p, float yaw, float len, float k) {
    add_shape(b, shape_capsule(0.035f, len), p + Vec3{0, 0.035f, 0}, {0, yaw, PI * 0.5f}, {1, 1, 1},
              {0.86f * k, 0.82f * k, 0.7f * k});
}

void bone_pile(Vec3 p) {
    MeshBuilder* b = builder_at(p, M_BONE);
    float s = detail_size();
    skull(b, p, rng_range(detail, -PI, PI), detail_tint());
    int n = 3 + (int)(rng_float(detail) * 4.0f);
    for (int i = 0; i < n; ++i) {
        Vec3 q = p + Vec3{rng_range(detail, -0.5f, 0.5f) * s, 0.0f, rng_range(detail, -0.5f, 0.5f) * s};
        bone(b, q, rng_range(detail, -PI, PI), 0.3f + 0.25f * rng_float(detail), detail_tint());
    }
    report.bone_piles++;
}

// A burial niche in a long face: a dark recess framed in stone, a skull and
// a bone laid in it. centre is on the face, n points out of the wall.
void niche(Vec3 centre, Vec3 along, Vec3 n) {
    const Vec3 up = {0, 1, 0};
    float w = 1.5f, h = 0.6f;
    Vec3 o = centre - along * (0.5f * w) - up * (0.5f * h) + n * 0.06f;
    add_quad(builder_at(centre, M_NICHE), o, along * w, up * h, n, grey(1.0f));
    Vec3 sill = abs3(along * (w + 0.2f)) + abs3(n * 0.12f) + Vec3{0, 0.1f, 0};
    add_box(M_TRIM, centre + n * 0.1f - up * (0.5f * h + 0.05f), sill, grey(detail_tint()));
    add_box(M_TRIM, centre + n * 0.1f + up * (0.5f * h + 0.05f), sill, grey(detail_tint()));
    MeshBuilder* b = builder_at(centre, M_BONE);
    Vec3 floor = centre - up * (0.5f * h) + n * 0.14f;
    skull(b, floor + along * (0.35f * (rng_float(detail) - 0.5f)), std::atan2(n.x, n.z), detail_tint());
    bone(b, floor + along * 0.35f, std::atan2(along.x, along.z) + PI * 0.5f, 0.45f, detail_tint());
    report.niches++;
}

void build_niches_and_bones() {
    for (int i = 0; i < CATACOMB_CELLS; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) {
            int room = catacomb_room_of_cell(i, j);
            Vec3 c = catacomb_cell_centre(i, j);
            int open = 0;
            for (int d = 0; d < 4; ++d) open += catacomb_wall_open(i, j, d) ? 1 : 0;
            for (int d = 0; d < 4; ++d) {
                if (catacomb_wall_open(i, j, d)) continue;
                // The ossuary's walls are lined with the dead; elsewhere one face in four.
                float chance = room == ROOM_OSSUARY ? 1.0f : (room == ROOM_CRYPT || room == ROOM_VESTIBULE ? 0.0f : 0.28f);
                if (rng_float(detail) >= chance) continue;
                Vec3 n = {-(float)DIR_DX[d], 0, -(float)DIR_DZ[d]};
                Vec3 along = {n.z, 0, -n.x};
                Vec3 face = c + Vec3{(float)DIR_DX[d] * 2.0f, 0, (float)DIR_DZ[d] * 2.0f};
                niche(face + Vec3{0, 1.0f, 0} + along * detail_offset(), along, n);
                if (room == ROOM_OSSUARY || rng_float(detail) < 0.5f) niche(face + Vec3{0, 1.9f, 0}, along, n);
            }
            // Bones gather in dead ends, in the ossuary and in the guard rooms.
            if (room == ROOM_CRYPT || room == ROOM_VESTIBULE) continue;
            float chance = open == 1 ? 0.9f : (room >= 0 ? 0.6f : 0.18f);
            if (rng_float(detail) < chance)
                bone_pile(c + Vec3{rng_range(detail, -1.3f, 1.3f), 0, rng_range(detail, -1.3f, 1.3f)});
        }
}

// ---- Braziers -----------------------------------------------------------------------------

void brazier_standing(Vec3 p) {
    float k = detail_tint();
    for (int l = 0; l < 3; ++l) {
        float a = 2.0f * PI * (float)l / 3.0f;
        Vec3 foot = p + Vec3{0.22f * std::sin(a), 0.45f, 0.22f * std::cos(a)};
        add_shape(builder_at(p, M_METAL), shape_box({0.05f, 0.95f, 0.05f}), foot, {0, a, 0}, {1, 1, 1}, grey(k));
    }
    add_shape(builder_at(p, M_METAL), shape_frustum(0.36f, 0.2f, 0.22f, 12, true), p + Vec3{0, 1.0f, 0}, {0, 0, 0},
              {1, 1, 1}, grey(k));
    add_shape(builder_at(p, M_COALS), shape_ellipsoid(0.3f, 0.08f, 0.3f, 8), p + Vec3{0, 1.1f, 0}, {0, 0, 0},
              {1, 1, 1}, {1, 1, 1});
    braziers.push_back({p + Vec3{0, 1.1f, 0}, 0.75f, true});
}

// A small brazier on an iron bracket, out of the way of whoever walks by.
void brazier_bracket(Vec3 face, Vec3 n) {
    float k = detail_tint();
    Vec3 bowl = face + n * 0.42f + Vec3{0, 2.3f, 0};
    add_box(M_METAL, face + n * 0.22f + Vec3{0, 2.15f, 0}, abs3(n * 0.44f) + Vec3{0.05f, 0.05f, 0.05f}, grey(k));
    add_box(M_METAL, face + n * 0.03f + Vec3{0, 2.0f, 0}, abs3(Vec3{n.z, 0, n.x} * 0.2f) + Vec3{0.06f, 0.5f, 0.06f},
            grey(k));
    add_shape(builder_at(bowl, M_METAL), shape_frustum(0.2f, 0.1f, 0.16f, 10, true), bowl, {0, 0, 0}, {1, 1, 1},
              grey(k));
    add_shape(builder_at(bowl, M_COALS), shape_ellipsoid(0.16f, 0.05f, 0.16f, 6), bowl + Vec3{0, 0.07f, 0},
              {0, 0, 0}, {1, 1, 1}, {1, 1, 1});
    braziers.push_back({bowl + Vec3{0, 0.08f, 0}, 0.45f, false});
}

void build_braziers() {
    // Rooms: a brazier in each inner corner.
    for (int r = 0; r < CATACOMB_ROOM_COUNT; ++r) {
        const CatacombRoom& m = catacomb_rooms[r];
        float x0 = CATACOMB_X0 + 5.0f * (float)m.i0 + 1.9f, x1 = CATACOMB_X0 + 5.0f * (float)(m.i1 + 1) - 0.9f;
        float z0 = 5.0f * (float)m.j0 + 1.9f, z1 = 5.0f * (float)(m.j1 + 1) - 0.9f;
        brazier_standing({x0, 0, z0});
        brazier_standing({x1, 0, z0});
        brazier_standing({x0, 0, z1});
        brazier_standing({x1, 0, z1});
        if (r == ROOM_CRYPT) {
            // Two more flank the throne.
            brazier_standing({1045.0f, 0, 87.6f});
            brazier_standing({1051.0f, 0, 87.6f});
            brazier_standing({1043.5f, 0, 77.2f});
            brazier_standing({1052.5f, 0, 77.2f});
        }
    }
    // Corridors: one cell in three holds a bracket on one of its walls.
    for (int i = 0; i < CATACOMB_CELLS; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) {
            if (catacomb_room_of_cell(i, j) >= 0) continue;
            if ((i * 7 + j * 3) % 3 != 0) continue;
            int first = (int)(rng_next(detail) & 3u);
            for (int t = 0; t < 4; ++t) {
                int d = (first + t) & 3;
                if (catacomb_wall_open(i, j, d)) continue;
                Vec3 c = catacomb_cell_centre(i, j);
                Vec3 n = {-(float)DIR_DX[d], 0, -(float)DIR_DZ[d]};
                brazier_bracket(c - n * 2.0f, n);
                break;
            }
        }
    report.braziers = (int)braziers.size();
}

// ---- Furniture: sarcophagi, throne, portal, chest, passage ---------------------------------------

void sarcophagus(Vec3 p, float yaw) {
    float k = detail_tint();
    MeshBuilder* b = builder_at(p, M_SARCOPHAGUS);
    add_shape(b, shape_box({0.95f, 0.75f, 2.2f}), p + Vec3{0, 0.375f, 0}, {0, yaw, 0}, {1, 1, 1}, grey(k));
    add_shape(b, shape_box({1.1f, 0.16f, 2.35f}), p + Vec3{0, 0.83f, 0}, {0, yaw, 0}, {1, 1, 1}, grey(k * 1.05f));
    // A carved figure lying on the lid.
    add_shape(b, shape_ellipsoid(0.26f, 0.12f, 0.75f, 10), p + Vec3{0, 0.95f, 0}, {0, yaw, 0}, {1, 1, 1},
              grey(k * 0.95f));
    add_shape(b, shape_ellipsoid(0.13f, 0.12f, 0.14f, 8),
              p + Vec3{0.85f * std::sin(yaw), 0.98f, 0.85f * std::cos(yaw)}, {0, yaw, 0}, {1, 1, 1}, grey(k));
    report.sarcophagi++;
}

void throne(Vec3 p) {
    MeshBuilder* s = builder_at(p, M_THRONE);
    // Facing -z, toward the crypt's door.
    add_shape(s, shape_box({2.6f, 0.3f, 2.2f}), p + Vec3{0, 0.15f, 0.2f}, {0, 0, 0}, {1, 1, 1}, grey(1.0f));
    add_shape(s, shape_box({1.6f, 0.6f, 1.0f}), p + Vec3{0, 0.6f, 0.3f}, {0, 0, 0}, {1, 1, 1}, grey(1.0f));
    add_shape(s, shape_box({1.7f, 3.0f, 0.3f}), p + Vec3{0, 1.8f, 0.85f}, {0, 0, 0}, {1, 1, 1}, grey(1.0f));
    add_shape(s, shape_box({0.25f, 0.5f, 1.0f}), p + Vec3{-0.75f, 1.15f, 0.3f}, {0, 0, 0}, {1, 1, 1}, grey(1.1f));
    add_shape(s, shape_box({0.25f, 0.5f, 1.0f}), p + Vec3{0.75f, 1.15f, 0.3f}, {0, 0, 0}, {1, 1, 1}, grey(1.1f));
    for (int side = -1; side <= 1; side += 2)
        add_shape(s, shape_frustum(0.0f, 0.14f, 0.5f, 6, true), p + Vec3{0.72f * (float)side, 3.5f, 0.85f},
                  {0, 0, 0}, {1, 1, 1}, grey(1.1f));
    add_shape(builder_at(p, M_CLOTH), shape_box({1.2f, 0.04f, 0.9f}), p + Vec3{0, 0.92f, 0.25f}, {0, 0, 0},
              {1, 1, 1}, grey(1.0f));
    add_shape(builder_at(p, M_CLOTH), shape_box({1.1f, 2.2f, 0.04f}), p + Vec3{0, 2.0f, 0.68f}, {0, 0, 0},
              {1, 1, 1}, grey(1.0f));
    for (int i = 0; i < 6; ++i)
        skull(builder_at(p, M_BONE), p + Vec3{rng_range(detail, -1.2f, 1.2f), 0.3f, rng_range(detail, -0.8f, -0.4f)},
              rng_range(detail, -PI, PI), detail_tint());
}

// The exit portal: a stone arch against the vestibule's south wall and a
// pale light hanging in it.
void portal() {
    Vec3 p = {CATACOMB_PORTAL_X, 0, 1.0f};
    add_box(M_TRIM, p + Vec3{-1.45f, 1.6f, 0.2f}, {0.5f, 3.2f, 0.4f}, grey(1.05f));
    add_box(M_TRIM, p + Vec3{1.45f, 1.6f, 0.2f}, {0.5f, 3.2f, 0.4f}, grey(1.05f));
    add_box(M_TRIM, p + Vec3{0, 3.4f, 0.2f}, {3.5f, 0.45f, 0.45f}, grey(1.1f));
    add_box(M_TRIM, p + Vec3{0, 0.06f, 0.5f}, {2.6f, 0.12f, 1.0f}, grey(0.9f));
    add_quad(builder_at(p, M_GLOW), p + Vec3{-1.2f, 0.1f, 0.12f}, {2.4f, 0, 0}, {0, 3.05f, 0}, {0, 0, 1}, grey(1.0f));
}

void build_chest() {
    Vec3 p = {CATACOMB_CHEST_X, 0, CATACOMB_CHEST_Z};
    MeshBuilder closed{}, open{};
    MeshBuilder body = shape_box({1.1f, 0.55f, 0.65f});
    MeshBuilder lid = shape_box({1.14f, 0.18f, 0.69f});
    mb_append(&closed, &body, mat4_translate(p + Vec3{0, 0.275f, 0}), {1, 1, 1});
    mb_append(&open, &body, mat4_translate(p + Vec3{0, 0.275f, 0}), {1, 1, 1});
    mb_append(&closed, &lid, mat4_translate(p + Vec3{0, 0.64f, 0}), {1, 1, 1});
    // Thrown back on its hinge at the rear edge.
    mb_append(&open, &lid, mat4_from_prs(p + Vec3{0, 0.85f, 0.45f}, {-1.9f, 0, 0}, {1, 1, 1}), {1, 1, 1});
    mb_free(&body);
    mb_free(&lid);
    chest_closed = mesh_upload(&closed);
    chest_open = mesh_upload(&open);
    MeshBuilder bands{};
    for (int s = -1; s <= 1; s += 2) {
        MeshBuilder band = shape_box({0.08f, 0.6f, 0.69f});
        mb_append(&bands, &band, mat4_translate(p + Vec3{0.35f * (float)s, 0.3f, 0}), {1, 1, 1});
        mb_free(&band);
    }
    chest_metal = mesh_upload(&bands);
}

// The way out the lord's fall opens: stairs going down into the rock behind
// a low stone kerb, and a pale light rising from them.
void build_passage() {
    Vec3 p = {CATACOMB_PASSAGE_X, 0, CATACOMB_PASSAGE_Z};
    MeshBuilder frame{};
    const Vec3 kerbs[4][2] = {{{0, 0.12f, -1.2f}, {2.6f, 0.24f, 0.2f}},
                              {{0, 0.12f, 1.2f}, {2.6f, 0.24f, 0.2f}},
                              {{-1.2f, 0.12f, 0}, {0.2f, 0.24f, 2.6f}},
                              {{1.2f, 0.12f, 0}, {0.2f, 0.24f, 2.6f}}};
    for (const auto& k : kerbs) {
        MeshBuilder b = shape_box(k[1]);
        mb_append(&frame, &b, mat4_translate(p + k[0]), {0.9f, 0.9f, 0.9f});
        mb_free(&b);
    }
    for (int s = 0; s < 4; ++s) {
        MeshBuilder b = shape_box({2.0f, 0.05f, 0.45f});
        mb_append(&frame, &b, mat4_translate(p + Vec3{0, 0.02f - 0.01f * (float)s, 0.8f - 0.48f * (float)s}),
                  grey(0.6f - 0.1f * (float)s));
        mb_free(&b);
    }
    passage_frame = mesh_upload(&frame);
    MeshBuilder glow = shape_frustum(0.6f, 1.0f, 3.2f, 16, false);
    MeshBuilder placed{};
    mb_append(&placed, &glow, mat4_translate(p + Vec3{0, 1.6f, 0}), {1, 1, 1});
    mb_free(&glow);
    passage_glow = mesh_upload(&placed);
    Material m;
    material_init(&m, {0.55f, 0.75f, 1.0f});
    m.emission = {0.5f, 0.9f, 1.6f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m.double_sided = 1;
    m.alpha = 0.35f;
    passage_glow_material = material_copy(m);
}

void build_furniture() {
    // Ossuary: four sarcophagi along its side walls round the chest.
    sarcophagus({1042.6f, 0, 44.5f}, 0.0f);
    sarcophagus({1042.6f, 0, 51.5f}, 0.0f);
    sarcophagus({1053.4f, 0, 44.5f}, 0.0f);
    sarcophagus({1053.4f, 0, 51.5f}, 0.0f);
    // Crypt: two rows of the lord's knights.
    for (int s = -1; s <= 1; s += 2)
        for (int r = 0; r < 2; ++r) sarcophagus({1048.0f + 8.5f * (float)s, 0, 79.5f + 5.0f * (float)r}, 0.0f);
    throne({1048.0f, 0, 88.0f});
    portal();
    build_chest();
    build_passage();
}

// ---- Materials ----------------------------------------------------------------------------------

Material* stone(Vec3 colour, int surface, float moss, float roughness) {
    Material m;
    material_init(&m, colour);
    m.surface_kind = surface;
    m.moss = moss;
    m.roughness = roughness;
    m.light_a = 0.2f;
    m.no_shadow = 1;
    return material_copy(m);
}

void build_materials() {
    materials[M_WALL] = stone({0.46f, 0.42f, 0.37f}, 3, 0.12f, 0.9f);
    materials[M_MORTAR] = stone({0.07f, 0.065f, 0.06f}, 1, 0.0f, 0.95f);
    materials[M_FLOOR] = stone({0.4f, 0.37f, 0.33f}, 1, 0.05f, 0.85f);
    materials[M_CEILING] = stone({0.3f, 0.28f, 0.26f}, 3, 0.0f, 0.95f);
    materials[M_TRIM] = stone({0.52f, 0.48f, 0.42f}, 1, 0.08f, 0.8f);
    materials[M_SARCOPHAGUS] = stone({0.58f, 0.55f, 0.5f}, 1, 0.05f, 0.7f);
    materials[M_THRONE] = stone({0.22f, 0.2f, 0.23f}, 1, 0.0f, 0.5f);
    Material m;
    material_init(&m, {0.85f, 0.8f, 0.68f});
    m.roughness = 0.65f;
    m.light_a = 0.3f;
    m.no_shadow = 1;
    materials[M_BONE] = material_copy(m);
    material_init(&m, {0.012f, 0.01f, 0.009f});
    m.light_flag_b = 1;
    m.no_shadow = 1;
    materials[M_NICHE] = material_copy(m);
    material_init(&m, {0.2f, 0.18f, 0.17f});
    m.light_flag_d = 1;
    m.roughness = 0.45f;
    m.no_shadow = 1;
    materials[M_METAL] = material_copy(m);
    material_init(&m, {0.9f, 0.32f, 0.06f});
    m.emission = {1.4f, 0.42f, 0.06f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    materials[M_COALS] = material_copy(m);
    material_init(&m, {0.42f, 0.06f, 0.07f});
    m.roughness = 0.9f;
    m.no_shadow = 1;
    materials[M_CLOTH] = material_copy(m);
    material_init(&m, {0.36f, 0.22f, 0.12f});
    m.surface_kind = 2;
    m.roughness = 0.8f;
    m.no_shadow = 1;
    materials[M_WOOD] = material_copy(m);
    material_init(&m, {0.45f, 0.7f, 1.0f});
    m.emission = {0.35f, 0.75f, 1.5f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m.alpha = 0.7f;
    materials[M_GLOW] = material_copy(m);

    MeshBuilder f = world_flame_shape();
    flame_mesh = mesh_upload(&f);
    material_init(&m, {1.0f, 0.7f, 0.3f});
    m.emission = {2.4f, 1.1f, 0.25f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m.alpha = 0.9f;
    flame_material = material_copy(m);
}

void upload_chunks() {
    report.chunk_meshes = 0;
    report.vertices = 0;
    for (int a = 0; a < CHUNKS; ++a)
        for (int c = 0; c < CHUNKS; ++c) {
            Chunk& ch = chunks[a][c];
            float x0 = CATACOMB_X0 + 20.0f * (float)a, z0 = 20.0f * (float)c;
            float x1 = std::fmin(x0 + 20.0f, CATACOMB_X0 + 96.0f), z1 = std::fmin(z0 + 20.0f, 96.0f);
            ch.centre = {0.5f * (x0 + x1), 2.3f, 0.5f * (z0 + z1)};
            ch.radius = 0.5f * std::sqrt((x1 - x0) * (x1 - x0) + (z1 - z0) * (z1 - z0) + 4.6f * 4.6f) + 1.0f;
            for (int m = 0; m < M_COUNT; ++m) {
                const MeshBuilder& b = builders[a][c][m];
                if (b.index_count == 0) continue;
                report.vertices += b.vertex_count;
                ++report.chunk_meshes;
            }
        }
    // The chunks never change: one pool holds them all, and the chunks of
    // one material in view are drawn with one call.
    static GpuMesh* ranges[CHUNKS * CHUNKS * M_COUNT];
    mesh_upload_pool(&builders[0][0][0], CHUNKS * CHUNKS * M_COUNT, ranges);
    for (int a = 0; a < CHUNKS; ++a)
        for (int c = 0; c < CHUNKS; ++c)
            for (int m = 0; m < M_COUNT; ++m) chunks[a][c].mesh[m] = ranges[(a * CHUNKS + c) * M_COUNT + m];
}

void fill_dungeon_atmosphere(Vec3 focus) {
    Atmosphere& a = atmosphere;
    a.sun_dir = {0.0f, 1.0f, 0.0f};
    a.sun_colour = {0.0f, 0.0f, 0.0f};
    a.zenith = {0.3f, 0.3f, 0.35f};
    a.horizon = {0.25f, 0.24f, 0.26f};
    a.ground = {0.17f, 0.15f, 0.13f};
    a.fog = {0.012f, 0.011f, 0.012f};
    a.fog_density = 0.045f;
    a.saturation = 0.95f;
    a.contrast = 1.06f;
    a.exposure = 1.15f;
    a.ao = world_calls.quality_level() == 2 ? 0.85f : 0.0f;
    a.shadow_focus = focus;
    a.time = (float)game_clock;
}

}  // namespace

void catacomb_geometry_build() {
    if (built) return;
    auto t0 = std::chrono::steady_clock::now();
    catacomb_maze_generate();
    detail.state = 0x5EC0FFEEu;
    report = CatacombGeometryReport{};
    braziers.clear();
    build_walls();
    build_floor_and_vault();
    build_trims_and_pillars();
    build_niches_and_bones();
    build_braziers();
    build_furniture();
    build_materials();
    upload_chunks();
    built = true;
    report.build_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

const CatacombGeometryReport& catacomb_geometry_report() { return report; }

void catacomb_geometry_submit(bool chest_open_now, bool passage_open, Vec3 player_feet) {
    fill_dungeon_atmosphere(player_feet);
    if (!built) catacomb_geometry_build();
    if (!built) return;
    Vec3 eye = render_camera.eye;
    for (int a = 0; a < CHUNKS; ++a)
        for (int c = 0; c < CHUNKS; ++c) {
            const Chunk& ch = chunks[a][c];
            float reach = DRAW_RANGE + ch.radius;
            if (hdist2(ch.centre, eye) > reach * reach) continue;
            // This frame's view, with room for the walls just beside it.
            if (!sphere_in_frustum(ch.centre, ch.radius + 6.0f)) continue;
            for (int m = 0; m < M_COUNT; ++m)
                if (ch.mesh[m]) render_add(ch.mesh[m], materials[m], mat4_identity(), {1, 1, 1});
        }
    Vec3 chest = {CATACOMB_CHEST_X, 0, CATACOMB_CHEST_Z};
    if (hdist2(chest, eye) < 60.0f * 60.0f) {
        render_add(chest_open_now ? chest_open : chest_closed, materials[M_WOOD], mat4_identity(), {1, 1, 1});
        render_add(chest_metal, materials[M_METAL], mat4_identity(), {1, 1, 1});
    }
    if (passage_open) {
        render_add(passage_frame, materials[M_TRIM], mat4_identity(), {1, 1, 1});
        float pulse = 0.85f + 0.15f * std::sin(2.3f * (float)game_clock);
        render_add(passage_glow, passage_glow_material, mat4_identity(), {pulse, pulse, pulse});
    }

    // Flames near the camera, and the braziers nearest the player as lights:
    // one hidden behind a wall counts as farther, so the room the player
    // stands in is lit first.
    double t = game_clock;
    Vec3 feet = {player_feet.x, player_feet.y + 1.2f, player_feet.z};
    float best_d[MAX_FIRES];
    int best_i[MAX_FIRES];
    int best_n = 0;
    for (size_t i = 0; i < braziers.size(); ++i) {
        const Brazier& b = braziers[i];
        float d2e = hdist2(b.flame, eye);
        // A flame in the camera's face would fill the screen.
        if (d2e < 38.0f * 38.0f && d2e > 1.2f * 1.2f) {
            float fi = (float)i;
            float hs = 0.8f + 0.35f * std::fabs((float)std::sin((1.7f * fi + 6.0f) * t + fi));
            Mat4 m = mat4_from_prs(b.flame, {0, 0, 0}, {b.size, b.size * hs, b.size});
            render_add(flame_mesh, flame_material, m, {1, 1, 1});
        }
        float d = hdist(b.flame, feet);
        if (d > 24.0f) continue;
        if (!catacomb_line_clear(b.flame + Vec3{0, 0.3f, 0}, feet)) d += 8.0f;
        int at = best_n < MAX_FIRES ? best_n++ : MAX_FIRES;
        if (at == MAX_FIRES) {
            if (d >= best_d[MAX_FIRES - 1]) continue;
            at = MAX_FIRES - 1;
        }
        while (at > 0 && best_d[at - 1] > d) {
            best_d[at] = best_d[at - 1];
            best_i[at] = best_i[at - 1];
            --at;
        }
        best_d[at] = d;
        best_i[at] = (int)i;
    }
    for (int k = 0; k < best_n; ++k) {
        const Brazier& b = braziers[(size_t)best_i[k]];
        float fi = (float)best_i[k];
        float flicker = 0.85f + 0.1f * std::sin(11.0f * (float)t + fi) + 0.05f * std::sin(23.0f * (float)t + 2.0f * fi);
        float power = b.standing ? 2.2f : 1.5f;
        render_add_fire(b.flame + Vec3{0, 0.45f, 0}, Vec3{1.0f, 0.56f, 0.24f} * (power * flicker),
                        b.standing ? 12.0f : 8.5f);
    }
}
