// The icons of skills and items, painted by code into small cell grids: a
// bow, a sword, a shield, a paw, a leaf... each shape is a handful of strokes,
// discs and triangles, and an outline is grown around them so that they read
// on any background.
#include "render/icons.h"

#include <cmath>
#include <cstring>

#include "render/ui.h"

namespace {

enum Paint : uint8_t {
    EMPTY = 0, OUTLINE = 1, BODY = 2, LIGHT = 3, SHADE = 4,
    WOOD = 5, STEEL = 6, FIRE = 7, ICE = 8, GLOW = 9, BLOOD = 10, EARTH = 11,
};

constexpr int N = ICON_GRID;
// One grid per icon, then the rune stone that stands for unknown numbers.
uint8_t cells[ICON_COUNT + 1][N * N];
bool painted = false;
uint8_t* g = nullptr;  // the grid being painted

template <typename F>
void fill(uint8_t paint, F inside) {
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x)
            if (inside((float)x + 0.5f, (float)y + 0.5f)) g[y * N + x] = paint;
}

float seg_dist(float px, float py, float x0, float y0, float x1, float y1) {
    float dx = x1 - x0, dy = y1 - y0;
    float l2 = dx * dx + dy * dy;
    float t = l2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / l2 : 0.0f;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    float ex = x0 + t * dx - px, ey = y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

void seg(float x0, float y0, float x1, float y1, float w, uint8_t p) {
    fill(p, [&](float x, float y) { return seg_dist(x, y, x0, y0, x1, y1) <= w * 0.5f; });
}
void disc(float cx, float cy, float r, uint8_t p) {
    fill(p, [&](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; });
}
void oval(float cx, float cy, float rx, float ry, uint8_t p) {
    fill(p, [&](float x, float y) {
        float u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0f;
    });
}
void box(float x0, float y0, float x1, float y1, uint8_t p) {
    fill(p, [&](float x, float y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; });
}
void tri(float ax, float ay, float bx, float by, float cx, float cy, uint8_t p) {
    fill(p, [&](float x, float y) {
        float d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
        float d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
        float d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
        bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
        return !(neg && pos);
    });
}
// Part of a ring, angles in degrees, y down (90 is straight down).
void arc(float cx, float cy, float r, float w, float a0, float a1, uint8_t p) {
    fill(p, [&](float x, float y) {
        float dx = x - cx, dy = y - cy;
        float d = std::sqrt(dx * dx + dy * dy);
        if (std::fabs(d - r) > w * 0.5f) return false;
        float a = std::atan2(dy, dx) * 57.29578f;
        while (a < a0) a += 360.0f;
        return a <= a1;
    });
}

// An arrow from its nock (x0, y0) to its point (x1, y1).
void arrow(float x0, float y0, float x1, float y1, uint8_t shaft, uint8_t head) {
    float dx = x1 - x0, dy = y1 - y0, l = std::sqrt(dx * dx + dy * dy);
    float ux = dx / l, uy = dy / l, nx = -uy, ny = ux;
    seg(x0, y0, x1 - ux * 2.5f, y1 - uy * 2.5f, 1.3f, shaft);
    tri(x1 + ux * 0.5f, y1 + uy * 0.5f, x1 - ux * 4 + nx * 2.6f, y1 - uy * 4 + ny * 2.6f, x1 - ux * 4 - nx * 2.6f,
        y1 - uy * 4 - ny * 2.6f, head);
    for (int s = -1; s <= 1; s += 2)
        tri(x0, y0, x0 + ux * 4, y0 + uy * 4, x0 - ux * 0.5f + nx * 2.2f * (float)s, y0 - uy * 0.5f + ny * 2.2f * (float)s,
            LIGHT);
}

void sword(float x0, float y0, float x1, float y1) {
    // Pommel at (x0, y0), point at (x1, y1).
    float dx = x1 - x0, dy = y1 - y0, l = std::sqrt(dx * dx + dy * dy);
    float ux = dx / l, uy = dy / l, nx = -uy, ny = ux;
    float gx = x0 + ux * 4.5f, gy = y0 + uy * 4.5f;
    seg(gx, gy, x1 - ux * 2, y1 - uy * 2, 2.6f, STEEL);
    tri(x1, y1, x1 - ux * 3 + nx * 1.3f, y1 - uy * 3 + ny * 1.3f, x1 - ux * 3 - nx * 1.3f, y1 - uy * 3 - ny * 1.3f,
        STEEL);
    seg(gx + ux, gy + uy, x1 - ux * 3, y1 - uy * 3, 0.7f, LIGHT);
    seg(gx + nx * 3.5f, gy + ny * 3.5f, gx - nx * 3.5f, gy - ny * 3.5f, 1.8f, BODY);
    seg(x0, y0, gx, gy, 1.6f, WOOD);
    disc(x0, y0, 1.4f, BODY);
}

// A potion flask
void potion() {
    disc(12, 15.5f, 6.5f, BODY);
    box(10, 5, 14, 10, LIGHT);
    box(9.5f, 2.5f, 14.5f, 5, WOOD);
    disc(9.5f, 13.5f, 1.6f, LIGHT);
}

// Tir puissant: a bow at full draw
void power_shot() {
    arc(15, 12, 10, 2.2f, 112, 248, WOOD);
    seg(11.2f, 2.8f, 7, 12, 0.8f, LIGHT);
    seg(11.2f, 21.2f, 7, 12, 0.8f, LIGHT);
    arrow(6, 12, 22, 12, BODY, STEEL);
}

// Volée de flèches: a fan of arrows
void volley() {
    arrow(3, 21, 21, 6, BODY, STEEL);
    arrow(3, 21, 12, 3, BODY, STEEL);
    arrow(3, 21, 21, 15, BODY, STEEL);
}

// Piège à mâchoires: open jaws with teeth
void jaw_trap() {
    arc(12, 12, 8, 2.2f, 200, 340, STEEL);
    arc(12, 12, 8, 2.2f, 20, 160, STEEL);
    for (int i = 0; i < 4; ++i) {
        float x = 7.0f + 3.3f * (float)i;
        tri(x - 1.3f, 6.2f, x + 1.3f, 6.2f, x, 10.5f, BODY);
        tri(x - 1.3f, 17.8f, x + 1.3f, 17.8f, x, 13.5f, BODY);
    }
    box(2, 11, 6, 13, SHADE);
    box(18, 11, 22, 13, SHADE);
}

// Frappe héroïque: a sword
void heroic_strike() {
    sword(4, 20, 21, 3);
}

// Charge: chevrons rushing forward
void charge() {
    for (int i = 0; i < 3; ++i) {
        float x = 5.0f + 5.5f * (float)i;
        seg(x, 5, x + 5, 12, 2.4f, i == 2 ? LIGHT : BODY);
        seg(x + 5, 12, x, 19, 2.4f, i == 2 ? LIGHT : BODY);
    }
    seg(1, 9, 4, 9, 1, SHADE);
    seg(1, 15, 4, 15, 1, SHADE);
}

// Tourbillon: a blade whirling round
void whirlwind() {
    arc(12, 12, 9, 2.2f, -30, 240, BODY);
    arc(12, 12, 4.5f, 1.8f, 150, 420, LIGHT);
    tri(19.8f, 7.5f, 23, 12, 17, 12.5f, STEEL);
    disc(12, 12, 1.6f, STEEL);
}

// Souffle de vie: a leaf
void breath_of_life() {
    fill(BODY, [](float x, float y) {
        float a = (x - 7) * (x - 7) + (y - 7) * (y - 7), b = (x - 17) * (x - 17) + (y - 17) * (y - 17);
        return a <= 132.0f && b <= 132.0f;
    });
    seg(5.5f, 18.5f, 18, 6, 1.0f, SHADE);
    seg(11, 13, 8, 10, 0.8f, SHADE);
    seg(13, 11, 16, 14, 0.8f, SHADE);
    seg(2.5f, 21.5f, 6, 18, 1.6f, WOOD);
}

// Ronces: a thorny branch
void brambles() {
    seg(2, 21, 11, 12, 2.2f, SHADE);
    seg(11, 12, 21, 3, 2.2f, SHADE);
    tri(6, 16, 4, 12.5f, 8, 15, BODY);
    tri(9, 13.5f, 11.5f, 17.5f, 10.5f, 12.5f, BODY);
    tri(14, 9, 12, 5.5f, 16, 8, BODY);
    tri(17, 6.5f, 20, 10, 18.5f, 5.5f, BODY);
    oval(17, 15, 3, 2, LIGHT);
    oval(6, 7, 3, 2, LIGHT);
}

// Esprit du loup: a paw
void wolf_spirit() {
    oval(12, 16, 5.5f, 4.5f, BODY);
    oval(5.5f, 10, 2.3f, 2.8f, BODY);
    oval(9.5f, 6, 2.4f, 3, BODY);
    oval(14.5f, 6, 2.4f, 3, BODY);
    oval(18.5f, 10, 2.3f, 2.8f, BODY);
    disc(10.5f, 15, 1.3f, LIGHT);
}

// Flèche enflammée
void fire_arrow() {
    arrow(3, 21, 17, 7, BODY, STEEL);
    disc(18.5f, 5.5f, 4, FIRE);
    tri(15, 4, 22, 1, 20, 8, FIRE);
    disc(18.5f, 5.5f, 2, GLOW);
}

// Flèche de givre
void frost_arrow() {
    arrow(3, 21, 15, 9, BODY, STEEL);
    for (int i = 0; i < 3; ++i) {
        float a = (float)i * 1.0472f;
        float c = std::cos(a) * 5, s = std::sin(a) * 5;
        seg(17.5f - c, 6.5f - s, 17.5f + c, 6.5f + s, 1.3f, ICE);
    }
    disc(17.5f, 6.5f, 1.3f, LIGHT);
}

// Flèches jumelles
void twin_arrows() {
    arrow(2, 17, 17, 2, BODY, STEEL);
    arrow(7, 22, 22, 7, BODY, STEEL);
}

// Flèche perforante: through two rings
void piercing_arrow() {
    arc(9, 12, 4.5f, 1.6f, -180, 180, SHADE);
    arc(16, 12, 4.5f, 1.6f, -180, 180, SHADE);
    arrow(1, 12, 23, 12, BODY, STEEL);
}

// Pluie de flèches: arrows falling
void arrow_rain() {
    for (int i = 0; i < 4; ++i) {
        float x = 4.0f + 5.3f * (float)i, top = 1.0f + 3.0f * (float)(i % 2);
        arrow(x, top, x, top + 15, BODY, STEEL);
    }
    box(1, 21.5f, 23, 23, EARTH);
}

// Coup d'écu: a shield
void shield_bash() {
    box(5, 3, 19, 12, BODY);
    tri(5, 12, 19, 12, 12, 22, BODY);
    seg(12, 4.5f, 12, 18.5f, 1.6f, LIGHT);
    seg(6.5f, 9, 17.5f, 9, 1.6f, LIGHT);
    disc(12, 9, 1.8f, STEEL);
}

// Cri de guerre: a shout rolling out
void war_cry() {
    tri(3, 12, 11, 6, 11, 18, BODY);
    box(1.5f, 10, 4, 14, SHADE);
    arc(11, 12, 4.5f, 1.5f, -50, 50, LIGHT);
    arc(11, 12, 8, 1.5f, -50, 50, LIGHT);
    arc(11, 12, 11.5f, 1.5f, -45, 45, LIGHT);
}

// Pourfendre: a blade and drops of blood
void cleave() {
    sword(4, 20, 20, 4);
    disc(18, 16, 1.8f, BLOOD);
    tri(16.5f, 15.5f, 19.5f, 15.5f, 18, 12, BLOOD);
    disc(13, 20, 1.5f, BLOOD);
    tri(11.7f, 19.6f, 14.3f, 19.6f, 13, 16.8f, BLOOD);
}

// Second souffle: a heart
void second_wind() {
    disc(8, 9, 4.6f, BODY);
    disc(16, 9, 4.6f, BODY);
    tri(3.6f, 10.8f, 20.4f, 10.8f, 12, 21, BODY);
    disc(7, 8, 1.5f, LIGHT);
}

// Exécution: an axe
void execution() {
    seg(5, 22, 15, 4, 1.8f, WOOD);
    tri(13, 3, 21, 1.5f, 19.5f, 13, STEEL);
    disc(18.5f, 7.5f, 4.2f, STEEL);
    seg(21.5f, 4, 21.5f, 11, 0.9f, LIGHT);
}

// Colère du soleil: the sun
void sun_wrath() {
    for (int i = 0; i < 8; ++i) {
        float a = (float)i * 0.7854f;
        seg(12 + std::cos(a) * 7.5f, 12 + std::sin(a) * 7.5f, 12 + std::cos(a) * 11, 12 + std::sin(a) * 11, 1.8f,
            LIGHT);
    }
    disc(12, 12, 5.5f, BODY);
    disc(10.5f, 10.5f, 1.6f, GLOW);
}

// Régénération: a drop of sap and a shoot
void regeneration() {
    disc(11, 15, 5.5f, BODY);
    tri(11, 3, 6, 13, 16, 13, BODY);
    disc(9, 15, 1.5f, LIGHT);
    seg(18, 22, 18, 14, 1.2f, SHADE);
    oval(20, 13, 2.5f, 1.4f, LIGHT);
}

// Essaim de lucioles: a swarm of sparks
void firefly_swarm() {
    disc(6, 7, 2.2f, BODY);
    disc(15, 5, 1.8f, BODY);
    disc(19, 12, 2.4f, BODY);
    disc(9, 15, 2.0f, BODY);
    disc(15, 19, 1.6f, BODY);
    disc(4, 20, 1.4f, BODY);
    disc(12, 10.5f, 1.3f, BODY);
    disc(6, 7, 1, GLOW);
    disc(19, 12, 1.1f, GLOW);
    disc(9, 15, 0.9f, GLOW);
}

// Courroux de Tervanne: the earth heaving
void tervanne_wrath() {
    box(1, 17, 23, 22, EARTH);
    tri(2.5f, 17.5f, 7, 7, 11, 17.5f, BODY);
    tri(9, 17.5f, 14, 3, 18.5f, 17.5f, BODY);
    tri(16.5f, 17.5f, 20, 9, 22.5f, 17.5f, BODY);
    seg(14, 6, 13, 12, 0.8f, LIGHT);
    seg(5, 20, 9, 19, 0.8f, SHADE);
    seg(14, 21, 18, 19.5f, 0.8f, SHADE);
}

// Bénédiction de Viviane: a sword rising from the lake
void viviane_blessing() {
    sword(12, 15, 12, 1.5f);
    box(1, 17, 23, 22.5f, BODY);
    arc(5, 21, 3, 1, 200, 340, LIGHT);
    arc(12, 21, 3, 1, 200, 340, LIGHT);
    arc(19, 21, 3, 1, 200, 340, LIGHT);
}

// ---- Items: one picture per kind, tinted by the item's colour ----

// Head: a helmet with a nasal
void helmet() {
    arc(12, 14, 8, 16, 180, 360, BODY);
    box(4, 13, 20, 16, BODY);
    arc(12, 14, 6.5f, 1.4f, 200, 260, LIGHT);
    box(11, 10, 13, 20, SHADE);
    box(3.5f, 15.5f, 20.5f, 17.5f, SHADE);
}

// Shoulders: a pair of pauldrons
void pauldrons() {
    oval(6.5f, 10, 5.5f, 4.5f, BODY);
    oval(17.5f, 10, 5.5f, 4.5f, BODY);
    arc(6.5f, 10, 3.5f, 1.2f, 200, 300, LIGHT);
    arc(17.5f, 10, 3.5f, 1.2f, 200, 300, LIGHT);
    box(2, 12.5f, 11, 14, SHADE);
    box(13, 12.5f, 22, 14, SHADE);
    box(9, 15, 15, 20, SHADE);
}

// Neck: a pendant on its chain
void pendant() {
    arc(12, 7, 7.5f, 1.2f, 0, 180, STEEL);
    tri(12, 22, 7, 14, 17, 14, BODY);
    disc(12, 15.5f, 2.2f, LIGHT);
}

// Chest: a tunic
void tunic() {
    tri(3, 9, 8, 3, 8, 12, BODY);
    tri(21, 9, 16, 3, 16, 12, BODY);
    box(7, 3, 17, 21, BODY);
    tri(9.5f, 3, 14.5f, 3, 12, 7, SHADE);
    box(7, 12, 17, 13.5f, SHADE);
    seg(9, 5, 9, 11, 1, LIGHT);
}

// Hands: a glove
void glove() {
    box(6, 10, 16, 21, BODY);
    for (int f = 0; f < 4; ++f) box(6.2f + 2.5f * (float)f, 3.5f + (f == 0 || f == 3 ? 1.5f : 0.0f), 8.2f + 2.5f * (float)f, 11, BODY);
    seg(16, 14, 20, 9.5f, 2.8f, BODY);
    box(5, 18, 17, 21.5f, SHADE);
    seg(8, 12, 8, 17, 1, LIGHT);
}

// Wrists: a bracer
void bracer() {
    fill(BODY, [](float x, float y) { return y >= 5 && y <= 19 && std::fabs(x - 12) <= 6.0f + (y - 5) * 0.12f; });
    box(5, 8, 19.5f, 9.5f, SHADE);
    box(5, 14.5f, 20, 16, SHADE);
    seg(8, 6, 8, 18, 1.2f, LIGHT);
}

// Waist: a belt and its buckle
void belt() {
    box(1, 9, 23, 15, BODY);
    box(1, 13.5f, 23, 15, SHADE);
    box(9, 7.5f, 15, 16.5f, STEEL);
    box(10.5f, 9.5f, 13.5f, 14.5f, SHADE);
    seg(12, 12, 17, 12, 1, STEEL);
}

// Finger: a ring with its stone
void ring() {
    arc(12, 14, 6.5f, 2.6f, 0, 360, BODY);
    arc(12, 14, 6.5f, 1.0f, 190, 260, LIGHT);
    disc(12, 6.5f, 3.2f, GLOW);
    disc(11.2f, 5.8f, 1.0f, LIGHT);
}

// Legs: a pair of leggings
void leggings() {
    box(6, 2, 18, 7, BODY);
    fill(BODY, [](float x, float y) { return y >= 6 && y <= 22 && ((x >= 5 && x <= 11) || (x >= 13 && x <= 19)); });
    box(6, 2, 18, 3.5f, SHADE);
    seg(7.5f, 8, 7.5f, 20, 1, LIGHT);
    seg(14.5f, 8, 14.5f, 20, 1, LIGHT);
}

// Feet: a boot
void boot() {
    box(7, 2, 14, 17, BODY);
    fill(BODY, [](float x, float y) { return y >= 14 && y <= 21 && x >= 7 && x <= 20 - (21 - y) * 0.4f; });
    box(6.5f, 2, 14.5f, 4, SHADE);
    box(7, 20, 20.5f, 22, SHADE);
    seg(9, 5, 9, 15, 1, LIGHT);
}

// Trophies: a curved fang
void fang() {
    fill(BODY, [](float x, float y) {
        float dx = x - 16, dy = y - 16;
        float d = std::sqrt(dx * dx + dy * dy);
        return y <= 16 && d <= 13 && d >= 13 - (16 - y) * 0.45f - 1.0f && x <= 16;
    });
    seg(4, 15, 9, 6, 1, LIGHT);
}

// Materials: a stretched hide
void hide() {
    fill(BODY, [](float x, float y) {
        float u = (x - 12) / 8.0f, v = (y - 12) / 9.5f;
        return u * u + v * v <= 1.0f;
    });
    tri(2, 4, 7, 7, 5, 9, BODY);
    tri(22, 4, 17, 7, 19, 9, BODY);
    tri(2, 20, 7, 17, 5, 15, BODY);
    tri(22, 20, 17, 17, 19, 15, BODY);
    oval(10, 10, 2.5f, 3, LIGHT);
    seg(12, 5, 12, 19, 1, SHADE);
}

// A purse with its coins
void purse() {
    oval(12, 15, 8, 6.5f, BODY);
    tri(8, 10, 16, 10, 12, 13, BODY);
    box(8, 6, 16, 9.5f, SHADE);
    tri(7, 3, 11, 7, 9, 7, BODY);
    tri(17, 3, 13, 7, 15, 7, BODY);
    oval(9, 15, 2, 2.5f, LIGHT);
    disc(19.5f, 20, 2.3f, GLOW);
}

// Staff: a crook with a gem
void staff() {
    seg(7, 22, 15, 5, 2.0f, WOOD);
    arc(15.5f, 5.5f, 3.2f, 1.6f, 180, 420, WOOD);
    disc(15.5f, 5.5f, 2.0f, BODY);
    disc(15, 5, 0.8f, LIGHT);
}

// Herbs: a sprig of leaves
void herbs() {
    seg(12, 22, 12, 5, 1.3f, SHADE);
    for (int k = 0; k < 3; ++k) {
        float y = 7.0f + 5.0f * (float)k;
        oval(8, y, 3.8f, 1.9f, BODY);
        oval(16, y + 1.5f, 3.8f, 1.9f, BODY);
        seg(6, y, 10, y, 0.6f, LIGHT);
    }
    oval(12, 4, 1.8f, 2.6f, BODY);
}

// Ore: a rock with veins of metal
void ore() {
    fill(SHADE, [](float x, float y) {
        float u = (x - 12) / 9.5f, v = (y - 13.5f) / 7.5f;
        return u * u + v * v <= 1.0f && y >= 7;
    });
    tri(6, 9, 12, 5, 16, 9, SHADE);
    seg(6, 14, 11, 11, 1.6f, BODY);
    seg(11, 11, 15, 16, 1.6f, BODY);
    seg(13, 9, 18, 12, 1.4f, BODY);
    disc(9, 17, 1.3f, LIGHT);
}

// A plain weapon: a sword
void plain_weapon() {
    sword(4, 20, 20, 4);
}

// A rune stone
void rune_stone() {
    oval(12, 12.5f, 7.5f, 9, SHADE);
    seg(12, 6.5f, 12, 18.5f, 1.4f, LIGHT);
    seg(12, 9, 16, 6.5f, 1.4f, LIGHT);
    seg(12, 13, 8, 10.5f, 1.4f, LIGHT);
}

// The painters by icon number: item kinds 0-13 and 23-26, skills 14-22 and 27-41.
void (*const painters[ICON_COUNT])() = {
    helmet,
    pauldrons,
    pendant,
    tunic,
    glove,
    bracer,
    belt,
    ring,
    leggings,
    boot,
    fang,
    hide,
    purse,
    potion,
    power_shot,
    volley,
    jaw_trap,
    heroic_strike,
    charge,
    whirlwind,
    breath_of_life,
    brambles,
    wolf_spirit,
    staff,
    herbs,
    ore,
    plain_weapon,
    fire_arrow,
    frost_arrow,
    twin_arrows,
    piercing_arrow,
    arrow_rain,
    shield_bash,
    war_cry,
    cleave,
    second_wind,
    execution,
    sun_wrath,
    regeneration,
    firefly_swarm,
    tervanne_wrath,
    viviane_blessing,
};

void paint_icon(int icon) {
    if (icon >= 0 && icon < ICON_COUNT)
        painters[icon]();
    else
        rune_stone();
}

// An outline grows on every empty cell touching the shape.
void outline() {
    uint8_t copy[N * N];
    std::memcpy(copy, g, sizeof(copy));
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            if (copy[y * N + x] != EMPTY) continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= N || yy >= N) continue;
                    near = copy[yy * N + xx] > OUTLINE;
                }
            if (near) g[y * N + x] = OUTLINE;
        }
}

void paint_all() {
    if (painted) return;
    for (int i = 0; i <= ICON_COUNT; ++i) {
        g = cells[i];
        std::memset(g, 0, N * N);
        paint_icon(i);
        outline();
    }
    painted = true;
}

Vec4 colour_of(uint8_t p, Vec3 t, float a) {
    switch (p) {
        case OUTLINE: return {0.06f, 0.05f, 0.04f, 0.9f * a};
        case BODY: return {t.x, t.y, t.z, a};
        case LIGHT: return {t.x + (1 - t.x) * 0.6f, t.y + (1 - t.y) * 0.6f, t.z + (1 - t.z) * 0.6f, a};
        case SHADE: return {t.x * 0.5f, t.y * 0.5f, t.z * 0.5f, a};
        case WOOD: return {0.58f, 0.4f, 0.22f, a};
        case STEEL: return {0.82f, 0.84f, 0.88f, a};
        case FIRE: return {1.0f, 0.5f, 0.1f, a};
        case ICE: return {0.72f, 0.9f, 1.0f, a};
        case GLOW: return {1.0f, 0.97f, 0.75f, a};
        case BLOOD: return {0.75f, 0.08f, 0.06f, a};
        case EARTH: return {0.42f, 0.3f, 0.18f, a};
        default: return {0, 0, 0, 0};
    }
}

}  // namespace

const uint8_t* icon_cells(int icon) {
    paint_all();
    return cells[icon >= 0 && icon < ICON_COUNT ? icon : ICON_COUNT];
}

void icon_draw(int icon, float x, float y, float size, Vec3 tint, float alpha) {
    const uint8_t* c = icon_cells(icon);
    float k = size / (float)N;
    for (int row = 0; row < N; ++row) {
        const uint8_t* r = c + row * N;
        int col = 0;
        while (col < N) {
            uint8_t p = r[col];
            int end = col + 1;
            while (end < N && r[end] == p) ++end;
            if (p != EMPTY)
                ui_rect(x + (float)col * k, y + (float)row * k, (float)(end - col) * k, k, colour_of(p, tint, alpha));
            col = end;
        }
    }
}
