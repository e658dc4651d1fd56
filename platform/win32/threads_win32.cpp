// Threads and the processors this process may use, on Windows.
#include <windows.h>
#include <process.h>

#include "platform/backend_common.h"

namespace {

unsigned __stdcall thread_body(void* p) {
    PlatThread* t = (PlatThread*)p;
    t->fn(t->arg);
    return 0;
}

}  // namespace

bool plat_thread_start(PlatThread* t, void (*fn)(void*), void* arg) {
    t->fn = fn;
    t->arg = arg;
    t->started = false;
    if (plat_threads_refused()) return false;
    // _beginthreadex rather than CreateThread: the C runtime sets up what
    // the thread needs of it. 0 is its refusal.
    uintptr_t h = _beginthreadex(nullptr, 0, thread_body, t, 0, nullptr);
    if (h == 0) return false;
    t->handle = h;
    t->started = true;
    return true;
}

void plat_thread_join(PlatThread* t) {
    if (!t->started) return;
    HANDLE h = (HANDLE)t->handle;
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
    t->started = false;
}

int plat_usable_processors() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    int all = info.dwNumberOfProcessors > 0 ? (int)info.dwNumberOfProcessors : 1;
    DWORD_PTR mine = 0, system = 0;
    int n = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &mine, &system))
        for (; mine; mine &= mine - 1) ++n;
    if (n <= 0) n = all;
    // A job with a hard CPU cap (its rate is in hundredths of a percent of
    // the whole machine) lets the process use only that share.
    JOBOBJECT_CPU_RATE_CONTROL_INFORMATION rate = {};
    if (QueryInformationJobObject(nullptr, JobObjectCpuRateControlInformation, &rate, sizeof rate, nullptr) &&
        (rate.ControlFlags & JOB_OBJECT_CPU_RATE_CONTROL_ENABLE) &&
        (rate.ControlFlags & JOB_OBJECT_CPU_RATE_CONTROL_HARD_CAP)) {
        int capped = plat_quota_processors((long long)rate.CpuRate * all, 10000);
        if (capped > 0 && capped < n) n = capped;
    }
    return n;
}
