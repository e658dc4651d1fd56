#pragma once
// The Linux side of plat_usable_processors, open to tests with a made-up tree.

// The lowest CPU quota, in processors, of the control group named in
// cgroup_file (as /proc/self/cgroup) and of its parents, under root (as
// /sys/fs/cgroup: cpu.max for v2, cpu,cpuacct/ or cpu/ with the cfs files
// for v1). 0 when none is set.
int posix_cgroup_cpu_limit(const char* cgroup_file, const char* root);
