#pragma once
// Drawn frames measured at each graphics quality: the wall time of a frame
// until the GPU has finished it, the GPU time of each pass from the timer
// queries, and the draw calls, printed as one table.
#include <cstdio>

#include "bench/measure.h"
#include "persist/options.h"
#include "render/gl_api.h"
#include "render/renderer.h"

struct QualityRun {
    int quality;
    double frame_ms;  // wall time per frame, GPU finished
    GpuPassTimes gpu;  // average per frame
    RenderStats stats;  // of the last frame
};

// draw_frame submits and draws one whole frame (render_frame, HUD, ui_flush).
// The first frame at a quality is not counted: it builds the targets, the
// shadow map and any program that quality needs.
template <class DrawFrame>
QualityRun measure_quality(int quality, int frames, DrawFrame draw_frame) {
    options.quality = quality;
    render_gpu_timing(true);
    draw_frame();
    if (glFinish) glFinish();
    render_gpu_collect();
    render_gpu_reset_totals();
    QualityRun r{quality, 0.0, {}, {}};
    for (int f = 0; f < frames; ++f) {
        auto t = Clock::now();
        draw_frame();
        if (glFinish) glFinish();
        r.frame_ms += ms_since(t);
        r.stats = render_stats();
    }
    render_gpu_collect();
    r.frame_ms /= frames;
    r.gpu = render_gpu_totals();
    if (r.gpu.frames > 0)
        for (double& ms : r.gpu.ms) ms /= r.gpu.frames;
    render_gpu_timing(false);
    return r;
}

inline void print_quality_table(const char* where, const QualityRun* runs, int count) {
    static const char* const names[3] = {"basse", "moyenne", "haute"};
    std::printf("%s, GPU time per pass in ms (timer queries, average of the measured frames):\n", where);
    std::printf("  %-8s", "qualite");
    for (int p = 0; p < GPU_PASS_COUNT; ++p) std::printf(" %11.11s", gpu_pass_name(p));
    std::printf(" %9s %9s %6s %6s %6s %6s %6s\n", "GPU sum", "frame", "draws", "shadow", "opaque", "transp", "groups");
    for (int i = 0; i < count; ++i) {
        const QualityRun& r = runs[i];
        double sum = 0.0;
        std::printf("  %-8s", names[r.quality < 0 || r.quality > 2 ? 2 : r.quality]);
        for (int p = 0; p < GPU_PASS_COUNT; ++p) {
            sum += r.gpu.ms[p];
            std::printf(" %11.1f", r.gpu.ms[p]);
        }
        std::printf(" %9.1f %9.1f %6d %6d %6d %6d %6d\n", sum, r.frame_ms, r.stats.draw_calls, r.stats.shadow_draws,
                    r.stats.opaque_draws, r.stats.transparent_draws, r.stats.group_draws);
    }
    if (count >= 2 && runs[count - 1].frame_ms > 0.0)
        std::printf("  %s frame / %s frame = %.2f\n", names[runs[0].quality], names[runs[count - 1].quality],
                    runs[0].frame_ms / runs[count - 1].frame_ms);
}

// Both ends of the option (and "moyenne" between them) at one place, then
// "haute" again with batching and culling off: what they save, pass by pass
// (the shadow pass's single draw must cost no more than the runs it replaces).
template <class DrawFrame>
void measure_qualities(const char* where, int frames, DrawFrame draw_frame) {
    const int saved = options.quality;
    QualityRun runs[3];
    for (int q = 0; q < 3; ++q) runs[q] = measure_quality(q, frames, draw_frame);
    print_quality_table(where, runs, 3);
    render_set_batching(false);
    render_set_culling(false);
    const QualityRun plain = measure_quality(2, frames, draw_frame);
    render_set_batching(true);
    render_set_culling(true);
    render_set_batching(false);
    const QualityRun culled = measure_quality(2, frames, draw_frame);
    render_set_batching(true);
    options.quality = saved;
    std::printf("  haute, by pass (ms) and draws: batching and culling on / batching off / both off\n");
    for (int p = 0; p < GPU_PASS_COUNT; ++p)
        std::printf("    %-11.11s %8.2f %8.2f %8.2f\n", gpu_pass_name(p), runs[2].gpu.ms[p], culled.gpu.ms[p],
                    plain.gpu.ms[p]);
    std::printf("    %-11.11s %8.1f %8.1f %8.1f\n", "frame", runs[2].frame_ms, culled.frame_ms, plain.frame_ms);
    std::printf("    %-11.11s %8d %8d %8d\n", "shadow", runs[2].stats.shadow_draws, culled.stats.shadow_draws,
                plain.stats.shadow_draws);
    std::printf("    %-11.11s %8d %8d %8d\n", "draws", runs[2].stats.draw_calls, culled.stats.draw_calls,
                plain.stats.draw_calls);
    std::printf("    shadow pass copies %d vertices a frame with batching on\n", runs[2].stats.shadow_copied_vertices);
}
