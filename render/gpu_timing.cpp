// GPU time of each pass, measured by timer queries. A frame's queries are
// read back GPU_TIMING_LAG frames later, and only when the driver says they
// are ready, so measuring never makes the processor wait for the GPU. Off
// (no query at all) unless a benchmark or the options file asks for it.
#include <cassert>
#include <cstdio>
#include <cstring>

#include "common/ring.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/renderer.h"

namespace {

constexpr int SLOTS = GPU_TIMING_LAG + 1;

struct Slot {
    GLuint query[GPU_PASS_COUNT];
    bool issued[GPU_PASS_COUNT];
};
Slot slots[SLOTS];
bool created = false;
bool wanted = false;
int current = 0;
int active_pass = -1;

GpuPassTimes totals = {};
double log_period = 0.0;
double last_log_time = -1.0;

const char* const pass_names[GPU_PASS_COUNT] = {"ombre",      "ciel",            "opaque",   "transparent",
                                                "résolution", "post-traitement", "interface"};

bool supported() {
    return glGenQueries && glDeleteQueries && glBeginQuery && glEndQuery && glGetQueryObjectiv &&
           glGetQueryObjectui64v;
}

void destroy() {
    if (!created) return;
    if (active_pass >= 0) glEndQuery(GL_TIME_ELAPSED);
    active_pass = -1;
    for (Slot& s : slots) glDeleteQueries(GPU_PASS_COUNT, s.query);
    std::memset(slots, 0, sizeof(slots));
    created = false;
}

// Reads a slot's results if every query it issued has finished; false leaves
// them unread (the slot is then reused and that frame is simply not counted).
bool read_slot(Slot& s, GpuPassTimes& out) {
    bool any = false;
    for (int p = 0; p < GPU_PASS_COUNT; ++p) {
        if (!s.issued[p]) continue;
        GLint ready = 0;
        glGetQueryObjectiv(s.query[p], GL_QUERY_RESULT_AVAILABLE, &ready);
        if (!ready) return false;
        any = true;
    }
    if (!any) return false;
    out = GpuPassTimes{};
    for (int p = 0; p < GPU_PASS_COUNT; ++p) {
        if (!s.issued[p]) continue;
        uint64_t ns = 0;
        glGetQueryObjectui64v(s.query[p], GL_QUERY_RESULT, &ns);
        out.ms[p] = (double)ns * 1e-6;
    }
    out.frames = 1;
    return true;
}

void log_averages() {
    if (totals.frames <= 0) return;
    char line[512];
    int n = std::snprintf(line, sizeof(line), "Temps GPU par passe (moyenne de %d images) :", totals.frames);
    double sum = 0.0;
    for (int p = 0; p < GPU_PASS_COUNT && n > 0 && n < (int)sizeof(line); ++p) {
        const double ms = totals.ms[p] / totals.frames;
        sum += ms;
        n += std::snprintf(line + n, sizeof(line) - (size_t)n, "%s %s %.2f ms", p ? "," : "", pass_names[p], ms);
    }
    if (n > 0 && n < (int)sizeof(line)) std::snprintf(line + n, sizeof(line) - (size_t)n, ", total %.2f ms", sum);
    log_printf("%s", line);
    totals = GpuPassTimes{};
}

}  // namespace

const char* gpu_pass_name(int pass) {
    assert(pass >= 0 && pass < GPU_PASS_COUNT);
    return pass >= 0 && pass < GPU_PASS_COUNT ? pass_names[pass] : "?"; }

void render_gpu_timing(bool on) {
    wanted = on;
    if (!on) {
        if (glDeleteQueries) destroy();
        totals = GpuPassTimes{};
    }
}

bool render_gpu_timing_on() { return wanted && created; }

void render_gpu_log_every(double seconds) {
    log_period = seconds > 0.0 ? seconds : 0.0;
    last_log_time = -1.0;
    if (log_period > 0.0) render_gpu_timing(true);
}

void gpu_timing_frame_start() {
    if (!wanted) return;
    if (!created) {
        if (!supported()) return;
        for (Slot& s : slots) {
            glGenQueries(GPU_PASS_COUNT, s.query);
            std::memset(s.issued, 0, sizeof(s.issued));
        }
        created = true;
        current = 0;
    }
    if (active_pass >= 0) gpu_pass_end();
    // The slot about to be reused holds the frame of GPU_TIMING_LAG frames ago.
    current = ring_slot(current, 1, SLOTS);
    Slot& s = slots[current];
    GpuPassTimes t;
    if (read_slot(s, t)) {
        for (int p = 0; p < GPU_PASS_COUNT; ++p) totals.ms[p] += t.ms[p];
        totals.frames += 1;
    }
    std::memset(s.issued, 0, sizeof(s.issued));

    if (log_period > 0.0) {
        const double now = plat_time();
        if (last_log_time < 0.0) last_log_time = now;
        if (now - last_log_time >= log_period) {
            log_averages();
            last_log_time = now;
        }
    }
}

void gpu_pass_begin(int pass) {
    assert(pass >= 0 && pass < GPU_PASS_COUNT);
    if (!created || !wanted || pass < 0 || pass >= GPU_PASS_COUNT) return;
    if (active_pass >= 0) gpu_pass_end();
    glBeginQuery(GL_TIME_ELAPSED, slots[current].query[pass]);
    slots[current].issued[pass] = true;
    active_pass = pass;
}

void gpu_pass_end() {
    if (!created || active_pass < 0) return;
    glEndQuery(GL_TIME_ELAPSED);
    active_pass = -1;
}

void render_gpu_collect() {
    if (!created) return;
    if (active_pass >= 0) gpu_pass_end();
    if (glFinish) glFinish();
    // Oldest first, ending with the frame being drawn.
    for (int k = 1; k <= SLOTS; ++k) {
        Slot& s = slots[ring_slot(current, k, SLOTS)];
        GpuPassTimes t;
        if (read_slot(s, t)) {
            for (int p = 0; p < GPU_PASS_COUNT; ++p) totals.ms[p] += t.ms[p];
            totals.frames += 1;
        }
        std::memset(s.issued, 0, sizeof(s.issued));
    }
}

const GpuPassTimes& render_gpu_totals() { return totals; }
void render_gpu_reset_totals() { totals = GpuPassTimes{}; }
