// Start-up images computed on the processor: the five painted patterns and
// the five vegetation images. Both must be the same on every run (the world
// looks identical everywhere), and the patterns must tile.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/gpu.h"
#include "render/vegetation_images.h"

namespace {

uint32_t fnv1a(const std::vector<uint8_t>& v) {
    uint32_t h = 2166136261u;
    for (uint8_t b : v) h = (h ^ b) * 16777619u;
    return h;
}

const uint8_t* texel(const std::vector<uint8_t>& img, int size, int layer, int c, int r) {
    return &img[(((size_t)layer * size + (size_t)r) * size + (size_t)c) * 4];
}

int diff(const uint8_t* a, const uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

}  // namespace

TEST(Patterns, NoiseWrapsToItsPeriods) {
    for (int p : {2, 3, 5, 12, 64})
        for (float y : {0.0f, 0.3f, 0.77f}) {
            EXPECT_FLOAT_EQ(pattern_noise(0.0f, y, p, 7, 21), pattern_noise(1.0f, y, p, 7, 21)) << p;
            EXPECT_FLOAT_EQ(pattern_noise(y, 0.0f, 7, p, 21), pattern_noise(y, 1.0f, 7, p, 21)) << p;
        }
    // Integer lattice points take the hash value exactly; in between it blends.
    float a = pattern_noise(0.0f, 0.0f, 4, 4, 9), b = pattern_noise(0.25f, 0.0f, 4, 4, 9);
    float mid = pattern_noise(0.125f, 0.0f, 4, 4, 9);
    EXPECT_NEAR(mid, (a + b) / 2, 1e-6f);
}

TEST(Patterns, LayersAreDeterministicTileableAndMidGrey) {
    std::vector<uint8_t> img((size_t)PATTERN_SIZE * PATTERN_SIZE * 4 * PATTERN_LAYERS);
    patterns_build(img.data());
    std::vector<uint8_t> again(img.size());
    patterns_build(again.data());
    EXPECT_EQ(img, again);
    EXPECT_EQ(fnv1a(img), 0x8e446cafu) << std::hex << fnv1a(img);

    for (int l = 0; l < PATTERN_LAYERS; ++l) {
        // Across the wrap the texels change no more than between the most
        // different pair of interior neighbours: a layer that does not tile
        // jumps along the whole seam.
        long seam_x = 0, seam_y = 0, worst_x = 0, worst_y = 0;
        for (int i = 0; i < PATTERN_SIZE; ++i) {
            seam_x += diff(texel(img, PATTERN_SIZE, l, 255, i), texel(img, PATTERN_SIZE, l, 0, i));
            seam_y += diff(texel(img, PATTERN_SIZE, l, i, 255), texel(img, PATTERN_SIZE, l, i, 0));
        }
        for (int k = 0; k + 1 < PATTERN_SIZE; ++k) {
            long dx = 0, dy = 0;
            for (int i = 0; i < PATTERN_SIZE; ++i) {
                dx += diff(texel(img, PATTERN_SIZE, l, k, i), texel(img, PATTERN_SIZE, l, k + 1, i));
                dy += diff(texel(img, PATTERN_SIZE, l, i, k), texel(img, PATTERN_SIZE, l, i, k + 1));
            }
            worst_x = dx > worst_x ? dx : worst_x;
            worst_y = dy > worst_y ? dy : worst_y;
        }
        EXPECT_LE(seam_x, worst_x) << "layer " << l;
        EXPECT_LE(seam_y, worst_y) << "layer " << l;
        double mean = 0;
        for (int r = 0; r < PATTERN_SIZE; ++r)
            for (int c = 0; c < PATTERN_SIZE; ++c) {
                const uint8_t* t = texel(img, PATTERN_SIZE, l, c, r);
                mean += t[1];
                ASSERT_EQ(t[3], 255);
            }
        mean /= PATTERN_SIZE * PATTERN_SIZE;
        // Under the shader's x 2, 127.5 leaves a colour unchanged: the layers
        // stay near it so materials keep their hue.
        EXPECT_GT(mean, 95.0) << "layer " << l;
        EXPECT_LT(mean, 150.0) << "layer " << l;
    }
    // Metal is cool (w = -0.03): blue above red everywhere.
    const uint8_t* m = texel(img, PATTERN_SIZE, 2, 10, 10);
    EXPECT_GT(m[2], m[0]);
}

TEST(VegetationImages, DeterministicWithCutOutsAndRootsAtTheBottom) {
    const size_t layer_bytes = (size_t)VEGETATION_SIZE * VEGETATION_SIZE * 4;
    std::vector<uint8_t> img(layer_bytes * VEGETATION_LAYERS);
    vegetation_images_build(img.data());
    std::vector<uint8_t> again(img.size(), 0xAB);
    vegetation_images_build(again.data());
    EXPECT_EQ(img, again);
    EXPECT_EQ(fnv1a(img), 0x5e5e166du) << std::hex << fnv1a(img);

    for (int l = 0; l < VEGETATION_LAYERS; ++l) {
        long opaque = 0, clear = 0, dark_clear = 0;
        for (size_t i = 0; i < (size_t)VEGETATION_SIZE * VEGETATION_SIZE; ++i) {
            const uint8_t* t = &img[layer_bytes * l + i * 4];
            if (t[3] >= 128) ++opaque;
            if (t[3] == 0) {
                ++clear;
                if (t[0] + t[1] + t[2] < 30) ++dark_clear;
            }
        }
        const long total = (long)VEGETATION_SIZE * VEGETATION_SIZE;
        EXPECT_GT(opaque, total / 20) << "layer " << l << " is nearly empty";
        EXPECT_GT(clear, total / 10) << "layer " << l << " has no cut-out";
        // Cut-out texels carry the foliage colour so mip levels do not fringe black.
        EXPECT_EQ(dark_clear, 0) << "layer " << l;
    }
    // A contact sheet over grey for a person to look at (build folder).
    if (FILE* f = std::fopen("vegetation_layers.ppm", "wb")) {
        const int half = VEGETATION_SIZE / 2;
        std::fprintf(f, "P6\n%d %d\n255\n", half * VEGETATION_LAYERS, half);
        for (int r = 0; r < half; ++r)
            for (int l = 0; l < VEGETATION_LAYERS; ++l)
                for (int c = 0; c < half; ++c) {
                    const uint8_t* t = &img[layer_bytes * l + ((size_t)(r * 2) * VEGETATION_SIZE + c * 2) * 4];
                    for (int k = 0; k < 3; ++k) std::fputc((t[k] * t[3] + 128 * (255 - t[3])) / 255, f);
                }
        std::fclose(f);
    }
    // Grass and flowers stand on the card's bottom edge (v = 1).
    for (int l : {VEG_GRASS - 1, VEG_FLOWERS - 1}) {
        int rooted = 0;
        for (int c = 0; c < VEGETATION_SIZE; ++c) rooted += img[layer_bytes * l + ((size_t)511 * VEGETATION_SIZE + c) * 4 + 3] > 128;
        EXPECT_GT(rooted, 20) << "layer " << l;
    }
}
