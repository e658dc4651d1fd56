#include "tests/support/image_io.h"

#include <cstdio>
#include <cstdlib>

bool read_ppm(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    int maxv = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &width, &height, &maxv) == 3 && maxv == 255 && width > 0 &&
              height > 0 && width <= 16384 && height <= 16384;
    std::fgetc(f);
    if (ok) {
        rgb.resize((size_t)width * (size_t)height * 3);
        ok = std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
    }
    std::fclose(f);
    return ok;
}

bool write_ppm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
}

ImageDiff compare_rgb(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int far_threshold) {
    ImageDiff r{0.0, 0};
    size_t n = a.size() < b.size() ? a.size() : b.size();
    long total = 0;
    for (size_t i = 0; i + 2 < n; i += 3) {
        int d = 0;
        for (int c = 0; c < 3; ++c) d += std::abs((int)a[i + c] - (int)b[i + c]);
        total += d;
        if (d > far_threshold) ++r.far_off;
    }
    r.mean = n ? (double)total / (double)n : 0.0;
    return r;
}
