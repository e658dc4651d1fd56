#include "sdf.h"

#include <cmath>

namespace {

const float FAR = 1e20f;

float intersect(const float* f, int q, int p) {
    return ((f[q] + (float)q * q) - (f[p] + (float)p * p)) / (2.0f * (q - p));
}

// Exact squared distance transform of one line (Felzenszwalb and
// Huttenlocher): f holds 0 on feature pixels and FAR elsewhere.
void edt_1d(const float* f, int n, float* out, std::vector<int>& v, std::vector<float>& z) {
    v.resize(n);
    z.resize(n + 1);
    int k = 0;
    v[0] = 0;
    z[0] = -FAR;
    z[1] = FAR;
    for (int q = 1; q < n; ++q) {
        float s = intersect(f, q, v[k]);
        while (s <= z[k]) {  // z[0] is -FAR, so this stops at k == 0
            --k;
            s = intersect(f, q, v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = FAR;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < (float)q) ++k;
        float d = (float)(q - v[k]);
        out[q] = d * d + f[v[k]];
    }
}

// Squared distance of every pixel to the nearest pixel where feature != 0.
std::vector<float> squared_distance(const std::vector<uint8_t>& feature, int w, int h) {
    std::vector<float> grid((size_t)w * h);
    for (size_t i = 0; i < grid.size(); ++i) grid[i] = feature[i] ? 0.0f : FAR;
    int n = w > h ? w : h;
    std::vector<float> line(n), result(n);
    std::vector<int> v;
    std::vector<float> z;
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) line[y] = grid[(size_t)y * w + x];
        edt_1d(line.data(), h, result.data(), v, z);
        for (int y = 0; y < h; ++y) grid[(size_t)y * w + x] = result[y];
    }
    for (int y = 0; y < h; ++y) {
        float* row = &grid[(size_t)y * w];
        for (int x = 0; x < w; ++x) line[x] = row[x];
        edt_1d(line.data(), w, result.data(), v, z);
        for (int x = 0; x < w; ++x) row[x] = result[x];
    }
    return grid;
}

}  // namespace

std::vector<float> signed_distance(const std::vector<uint8_t>& inside, int width, int height) {
    std::vector<uint8_t> outside(inside.size());
    for (size_t i = 0; i < inside.size(); ++i) outside[i] = inside[i] ? 0 : 1;
    std::vector<float> to_inside = squared_distance(inside, width, height);
    std::vector<float> to_outside = squared_distance(outside, width, height);
    std::vector<float> sd(inside.size());
    for (size_t i = 0; i < inside.size(); ++i) {
        if (inside[i])
            sd[i] = std::sqrt(to_outside[i]) - 0.5f;
        else
            sd[i] = 0.5f - std::sqrt(to_inside[i]);
    }
    return sd;
}
