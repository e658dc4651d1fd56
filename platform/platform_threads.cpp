// The portable side of the platform's threads: the tests' switch that makes
// every start fail, and reading a CPU quota into a processor count.
#include <cstdlib>

#include "platform/backend_common.h"

namespace {

bool refuse_threads = false;

}  // namespace

void plat_threads_refuse(bool refuse) { refuse_threads = refuse; }

bool plat_threads_refused() { return refuse_threads; }

int plat_quota_processors(long long quota, long long period) {
    if (quota <= 0 || period <= 0) return 0;
    long long n = (quota + period - 1) / period;
    if (n > 1 << 20) n = 1 << 20;
    return (int)n;
}

int plat_cpu_max_processors(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    // "max" and anything that is not two numbers set no limit.
    char* end = nullptr;
    long long quota = std::strtoll(text, &end, 10);
    if (end == text || (*end != ' ' && *end != '\t')) return 0;
    const char* p = end;
    long long period = std::strtoll(p, &end, 10);
    if (end == p) return 0;
    return plat_quota_processors(quota, period);
}
