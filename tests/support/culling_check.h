#pragma once
// What the camera looks at is drawn: the picture of a frame with culling and
// batching on against the same submission drawn with both off. Shading is
// the same bit for bit when nothing visible is lost, so the tolerance is
// small: a few levels (the order of the multi-draws' blending of coincident
// faces) on at most one pixel in ten thousand.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "render/renderer.h"

struct PictureDifference {
    int pixels = 0;  // differing by more than the level tolerance
    int total = 0;
};

constexpr int CULLING_LEVELS = 6;
constexpr float CULLING_SHARE = 1e-4f;

inline PictureDifference picture_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    PictureDifference d;
    d.total = (int)(a.size() / 4);
    if (a.size() != b.size()) {
        d.pixels = d.total;
        return d;
    }
    for (size_t i = 0; i < a.size(); i += 4)
        for (int k = 0; k < 3; ++k)
            if (std::abs((int)a[i + k] - (int)b[i + k]) > CULLING_LEVELS) {
                ++d.pixels;
                break;
            }
    return d;
}

inline bool picture_matches(const PictureDifference& d) {
    return (float)d.pixels <= CULLING_SHARE * (float)d.total;
}

// The game's 3D submission of now drawn with culling and batching on, then
// with both off (the same camera and clock). A scene that moved the camera
// with frames left undrawn sees what its first drawn frame would.
inline PictureDifference culled_against_whole(int w, int h) {
    std::vector<uint8_t> culled((size_t)w * h * 4), whole((size_t)w * h * 4);
    game_submit();
    render_frame();
    headless_read_pixels(culled.data(), w, h);
    render_set_culling(false);
    render_set_batching(false);
    game_submit();
    render_frame();
    headless_read_pixels(whole.data(), w, h);
    render_set_culling(true);
    render_set_batching(true);
    return picture_difference(culled, whole);
}
