// The five vegetation images, painted at start-up with two brushes: a soft
// tapered stroke between two points and a soft round blot. Each layer has its
// own fixed seed so the forest looks the same on every run.
#include "render/vegetation_images.h"

#include <cmath>
#include <cstring>

#include "common/mathx.h"
#include "common/rng.h"

namespace {

struct Canvas {
    uint8_t* px;  // 512 x 512 RGBA, straight alpha
};

inline float sat(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// Lays colour over the texel with coverage a; alpha keeps the strongest cover.
void put(Canvas& c, int x, int y, Vec3 col, float a) {
    if (a <= 0.0f || x < 0 || y < 0 || x >= VEGETATION_SIZE || y >= VEGETATION_SIZE) return;
    uint8_t* p = c.px + ((size_t)y * VEGETATION_SIZE + (size_t)x) * 4;
    float old_a = p[3] / 255.0f;
    // Over empty texels the colour is taken whole so edges do not darken.
    float k = old_a <= 0.0f ? 1.0f : a;
    for (int i = 0; i < 3; ++i) {
        float o = p[i] / 255.0f;
        float v = o + ((&col.x)[i] - o) * k;
        p[i] = (uint8_t)(sat(v) * 255.0f + 0.5f);
    }
    float na = old_a + (1.0f - old_a) * a;
    p[3] = (uint8_t)(sat(na) * 255.0f + 0.5f);
}

// Soft stroke from (x0, y0) to (x1, y1), half-width w0 at the start and w1 at
// the end; the edge softens over `soft` pixels.
void stroke(Canvas& c, float x0, float y0, float x1, float y1, float w0, float w1, float soft,
            Vec3 col) {
    float wmax = std::fmax(w0, w1) + soft;
    int minx = (int)std::floor(std::fmin(x0, x1) - wmax), maxx = (int)std::ceil(std::fmax(x0, x1) + wmax);
    int miny = (int)std::floor(std::fmin(y0, y1) - wmax), maxy = (int)std::ceil(std::fmax(y0, y1) + wmax);
    if (minx < 0) minx = 0;
    if (miny < 0) miny = 0;
    if (maxx > VEGETATION_SIZE - 1) maxx = VEGETATION_SIZE - 1;
    if (maxy > VEGETATION_SIZE - 1) maxy = VEGETATION_SIZE - 1;
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    for (int y = miny; y <= maxy; ++y)
        for (int x = minx; x <= maxx; ++x) {
            float px = (float)x + 0.5f - x0, py = (float)y + 0.5f - y0;
            float t = len2 > 1e-6f ? sat((px * dx + py * dy) / len2) : 0.0f;
            float ex = px - dx * t, ey = py - dy * t;
            float d = std::sqrt(ex * ex + ey * ey);
            float w = w0 + (w1 - w0) * t;
            float a = 1.0f - smoothstepf(w - soft * 0.5f, w + soft * 0.5f, d);
            put(c, x, y, col, a);
        }
}

void blot(Canvas& c, float cx, float cy, float r, float soft, Vec3 col) {
    stroke(c, cx, cy, cx, cy, r, r, soft, col);
}

Vec3 jitter(Rng& rng, Vec3 col, float amount) {
    float k = 1.0f + rng_range(rng, -amount, amount);
    float warm = rng_range(rng, -amount, amount) * 0.5f;
    return {sat(col.x * k * (1.0f + warm)), sat(col.y * k), sat(col.z * k * (1.0f - warm))};
}

// A leaf blade from base to tip: widens to `width` at 40 % then tapers; a
// darker midrib runs down its middle.
void leaf(Canvas& c, float bx, float by, float angle, float len, float width, Vec3 col) {
    float dx = std::sin(angle), dy = -std::cos(angle);
    float mx = bx + dx * len * 0.4f, my = by + dy * len * 0.4f;
    float tx = bx + dx * len, ty = by + dy * len;
    stroke(c, bx, by, mx, my, width * 0.25f, width, 1.5f, col);
    stroke(c, mx, my, tx, ty, width, 0.6f, 1.5f, col);
    Vec3 rib = col * 0.72f;
    stroke(c, bx, by, bx + dx * len * 0.85f, by + dy * len * 0.85f, 0.9f, 0.3f, 1.0f, rib);
}

// Layer 0: broad leaves on a few twigs, filling the card like a piece of crown.
void paint_broadleaf(Canvas& c) {
    Rng rng{0x1EAF0001u};
    const Vec3 bark = {0.30f, 0.22f, 0.14f};
    for (int twig = 0; twig < 5; ++twig) {
        float x0 = 256.0f + rng_range(rng, -40, 40), y0 = 500.0f;
        float ang = rng_range(rng, -1.0f, 1.0f);
        float x1 = x0 + std::sin(ang) * 300.0f, y1 = y0 - std::cos(ang) * 330.0f;
        stroke(c, x0, y0, x1, y1, 5.0f, 1.5f, 1.5f, bark);
    }
    for (int i = 0; i < 70; ++i) {
        float r = std::sqrt(rng_float(rng)) * 200.0f;
        float a = rng_range(rng, 0.0f, 2.0f * PI);
        float bx = 256.0f + std::cos(a) * r, by = 250.0f + std::sin(a) * r * 0.95f;
        float ang = a + PI * 0.5f + rng_range(rng, -0.6f, 0.6f);
        Vec3 col = jitter(rng, {0.30f, 0.50f, 0.16f}, 0.22f);
        leaf(c, bx, by, ang, rng_range(rng, 55, 85), rng_range(rng, 16, 24), col);
    }
}

// Layer 1: drooping conifer sprays: stems across the card, dense needles on
// both sides, each needle angled forward and hanging a little.
void paint_needles(Canvas& c) {
    Rng rng{0x1EAF0002u};
    const Vec3 stem = {0.28f, 0.22f, 0.15f};
    for (int branch = 0; branch < 5; ++branch) {
        float x0 = 30.0f + rng_range(rng, 0, 40), y0 = 40.0f + branch * 95.0f + rng_range(rng, -10, 10);
        float x1 = 480.0f, y1 = y0 + rng_range(rng, 20, 60);
        const int steps = 48;
        for (int s = 0; s < steps; ++s) {
            float t = (float)s / steps, t1 = (float)(s + 1) / steps;
            float sag = 70.0f * t * t, sag1 = 70.0f * t1 * t1;
            float ax = x0 + (x1 - x0) * t, ay = y0 + (y1 - y0) * t + sag;
            float bx = x0 + (x1 - x0) * t1, by = y0 + (y1 - y0) * t1 + sag1;
            stroke(c, ax, ay, bx, by, 4.0f - 2.5f * t, 4.0f - 2.5f * t1, 1.2f, stem);
            float sx = bx - ax, sy = by - ay, sl = std::sqrt(sx * sx + sy * sy);
            sx /= sl;
            sy /= sl;
            for (int k = 0; k < 8; ++k) {
                float side = (k & 1) ? 1.0f : -1.0f;
                float ang = side * rng_range(rng, 0.7f, 1.15f);
                float ca = std::cos(ang), sa = std::sin(ang);
                float dx = sx * ca - sy * sa, dy = sx * sa + sy * ca + 0.35f;
                float dl = std::sqrt(dx * dx + dy * dy);
                float nl = (40.0f - 18.0f * t) * rng_range(rng, 0.8f, 1.15f);
                float px = ax + (bx - ax) * rng_float(rng), py = ay + (by - ay) * rng_float(rng);
                Vec3 col = jitter(rng, {0.13f, 0.30f, 0.15f}, 0.2f);
                stroke(c, px, py, px + dx / dl * nl, py + dy / dl * nl, 2.0f, 0.8f, 1.0f, col);
            }
        }
    }
}

// Layer 2: a grass tuft; roots along the bottom edge, blades curving upwards.
void paint_grass(Canvas& c) {
    Rng rng{0x1EAF0003u};
    for (int i = 0; i < 90; ++i) {
        float x = 256.0f + rng_range(rng, -150, 150);
        float y = 511.0f;
        float h = rng_range(rng, 220, 480);
        float lean = rng_range(rng, -0.5f, 0.5f) + (x - 256.0f) / 400.0f;
        float w = rng_range(rng, 5.0f, 9.0f);
        Vec3 col = jitter(rng, {0.36f, 0.55f, 0.18f}, 0.25f);
        if (rng_float(rng) < 0.2f) col = jitter(rng, {0.62f, 0.58f, 0.30f}, 0.15f);  // dry blades
        const int segs = 8;
        for (int s = 0; s < segs; ++s) {
            float t0 = (float)s / segs, t1 = (float)(s + 1) / segs;
            float x0 = x + lean * h * t0 * t0, y0 = y - h * t0;
            float x1 = x + lean * h * t1 * t1, y1 = y - h * t1;
            Vec3 shade = col * (0.65f + 0.35f * t1);
            stroke(c, x0, y0, x1, y1, w * (1.0f - t0 * 0.9f), w * (1.0f - t1 * 0.9f), 1.3f, shade);
        }
    }
}

// Layer 3: fern fronds from the bottom centre, pinnae shortening to the tip.
void paint_fern(Canvas& c) {
    Rng rng{0x1EAF0004u};
    for (int f = 0; f < 4; ++f) {
        float ang = -0.9f + 0.6f * f + rng_range(rng, -0.1f, 0.1f);
        float len = rng_range(rng, 380, 440);
        Vec3 col = jitter(rng, {0.24f, 0.46f, 0.14f}, 0.15f);
        const int segs = 24;
        float px = 256.0f, py = 505.0f;
        for (int s = 1; s <= segs; ++s) {
            float t = (float)s / segs;
            float bend = ang + 0.5f * t * t * (ang >= 0 ? 1.0f : -1.0f);
            float nx = 256.0f + std::sin(bend) * len * t, ny = 505.0f - std::cos(bend) * len * t;
            stroke(c, px, py, nx, ny, 3.0f * (1.0f - t) + 1.0f, 3.0f * (1.0f - t * 0.9f) + 0.8f, 1.2f,
                   col * 0.7f);
            if (t > 0.15f) {
                float pl = 90.0f * std::sin(PI * (1.0f - t) * 0.9f + 0.1f) * (1.0f - t * 0.3f);
                for (int side = -1; side <= 1; side += 2) {
                    float pa = bend + side * 1.15f;
                    leaf(c, nx, ny, pa, pl, 7.0f, jitter(rng, col, 0.1f));
                }
            }
            px = nx;
            py = ny;
        }
    }
}

// Layer 4: flowering stalks with narrow leaves and small round heads.
void paint_flowers(Canvas& c) {
    Rng rng{0x1EAF0005u};
    const Vec3 petals[3] = {{0.93f, 0.92f, 0.86f}, {0.95f, 0.80f, 0.22f}, {0.62f, 0.42f, 0.80f}};
    for (int i = 0; i < 14; ++i) {
        float x = 256.0f + rng_range(rng, -170, 170);
        float h = rng_range(rng, 260, 460);
        float lean = rng_range(rng, -0.25f, 0.25f);
        Vec3 green = jitter(rng, {0.30f, 0.48f, 0.18f}, 0.15f);
        float tx = x + lean * h, ty = 511.0f - h;
        stroke(c, x, 511.0f, tx, ty, 3.0f, 1.8f, 1.2f, green);
        for (int l = 0; l < 3; ++l) {
            float t = rng_range(rng, 0.05f, 0.5f);
            float lx = x + lean * h * t, ly = 511.0f - h * t;
            leaf(c, lx, ly, (l & 1 ? 1.0f : -1.0f) * rng_range(rng, 0.5f, 1.0f), rng_range(rng, 50, 90),
                 8.0f, green);
        }
        Vec3 petal = jitter(rng, petals[rng_next(rng) % 3], 0.08f);
        for (int p = 0; p < 6; ++p) {
            float a = p * PI / 3.0f;
            blot(c, tx + std::cos(a) * 10.0f, ty + std::sin(a) * 10.0f, 8.0f, 2.0f, petal);
        }
        blot(c, tx, ty, 6.0f, 1.5f, {0.85f, 0.65f, 0.15f});
    }
}

// Transparent texels take the mean colour of the painted ones so that
// mipmaps do not pull dark fringes into the cut-out edges.
void fill_background(Canvas& c) {
    double sum[3] = {0, 0, 0};
    double weight = 0;
    const size_t n = (size_t)VEGETATION_SIZE * VEGETATION_SIZE;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = c.px + i * 4;
        double a = p[3];
        for (int k = 0; k < 3; ++k) sum[k] += p[k] * a;
        weight += a;
    }
    if (weight <= 0) return;
    uint8_t mean[3];
    for (int k = 0; k < 3; ++k) mean[k] = (uint8_t)(sum[k] / weight + 0.5);
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = c.px + i * 4;
        if (p[3] == 0) std::memcpy(p, mean, 3);
    }
}

}  // namespace

void vegetation_images_build(uint8_t* out) {
    const size_t layer_bytes = (size_t)VEGETATION_SIZE * VEGETATION_SIZE * 4;
    std::memset(out, 0, layer_bytes * VEGETATION_LAYERS);
    void (*painters[VEGETATION_LAYERS])(Canvas&) = {paint_broadleaf, paint_needles, paint_grass,
                                                     paint_fern, paint_flowers};
    for (int l = 0; l < VEGETATION_LAYERS; ++l) {
        Canvas c{out + layer_bytes * (size_t)l};
        painters[l](c);
        fill_background(c);
    }
}
