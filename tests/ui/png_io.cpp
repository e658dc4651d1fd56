#include "png_io.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back((uint8_t)(x >> s));
}

uint32_t get32(const uint8_t* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

void chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    put32(file, (uint32_t)data.size());
    size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    uLong crc = crc32(0, file.data() + start, (uInt)(file.size() - start));
    put32(file, (uint32_t)crc);
}

int paeth(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

}  // namespace

bool png_save(const std::string& path, const Image& im) {
    if (im.channels != 3 && im.channels != 4) return false;
    const size_t stride = (size_t)im.width * im.channels;
    // Filter "up" on every row: flat interface areas compress to almost nothing.
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * im.height);
    for (int y = 0; y < im.height; ++y) {
        raw.push_back(2);
        const uint8_t* row = &im.pixels[y * stride];
        for (size_t i = 0; i < stride; ++i) raw.push_back((uint8_t)(row[i] - (y > 0 ? row[i - stride] : 0)));
    }
    uLongf zlen = compressBound((uLong)raw.size());
    std::vector<uint8_t> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), (uLong)raw.size(), 9) != Z_OK) return false;
    z.resize(zlen);
    std::vector<uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<uint8_t> ihdr;
    put32(ihdr, (uint32_t)im.width);
    put32(ihdr, (uint32_t)im.height);
    ihdr.insert(ihdr.end(), {8, (uint8_t)(im.channels == 4 ? 6 : 2), 0, 0, 0});
    chunk(file, "IHDR", ihdr);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

bool png_load(const std::string& path, Image& im) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> file;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) file.insert(file.end(), buf, buf + n);
    std::fclose(f);
    if (file.size() < 8 + 25 || std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) != 0) return false;
    int colour_type = -1, channels = 0;
    std::vector<uint8_t> z;
    size_t pos = 8;
    while (pos + 12 <= file.size()) {
        uint32_t len = get32(&file[pos]);
        if (pos + 12 + len > file.size()) return false;
        const uint8_t* type = &file[pos + 4];
        const uint8_t* data = &file[pos + 8];
        if (!std::memcmp(type, "IHDR", 4) && len >= 13) {
            im.width = (int)get32(data);
            im.height = (int)get32(data + 4);
            colour_type = data[9];
            if (data[8] != 8 || data[12] != 0) return false;
        } else if (!std::memcmp(type, "IDAT", 4)) {
            z.insert(z.end(), data, data + len);
        }
        pos += 12 + len;
    }
    channels = colour_type == 6 ? 4 : (colour_type == 2 ? 3 : (colour_type == 0 ? 1 : 0));
    if (!channels || im.width <= 0 || im.height <= 0) return false;
    const size_t stride = (size_t)im.width * channels;
    uLongf rawlen = (uLongf)((stride + 1) * im.height);
    std::vector<uint8_t> raw(rawlen);
    if (uncompress(raw.data(), &rawlen, z.data(), (uLong)z.size()) != Z_OK || rawlen != raw.size()) return false;
    std::vector<uint8_t> px(stride * im.height);
    for (int y = 0; y < im.height; ++y) {
        int filter = raw[y * (stride + 1)];
        const uint8_t* in = &raw[y * (stride + 1) + 1];
        uint8_t* out = &px[y * stride];
        const uint8_t* up = y > 0 ? &px[(y - 1) * stride] : nullptr;
        for (size_t i = 0; i < stride; ++i) {
            int a = i >= (size_t)channels ? out[i - channels] : 0;
            int b = up ? up[i] : 0;
            int c = up && i >= (size_t)channels ? up[i - channels] : 0;
            int pred = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : filter == 4 ? paeth(a, b, c) : 0;
            if (filter > 4) return false;
            out[i] = (uint8_t)(in[i] + pred);
        }
    }
    if (channels == 1) {
        im.channels = 3;
        im.pixels.resize((size_t)im.width * im.height * 3);
        for (size_t i = 0; i < px.size(); ++i) im.pixels[i * 3] = im.pixels[i * 3 + 1] = im.pixels[i * 3 + 2] = px[i];
    } else {
        im.channels = channels;
        im.pixels = std::move(px);
    }
    return true;
}
