#!/bin/bash
# The Windows threads under Wine (verifier-threads.exe): a start and its join,
# the processors of the affinity mask (run on one processor), the world and
# its map with the platform's switch refusing every start, and once more with
# the kernel refusing every thread of the Wine process.
# The game's window cannot be shown that way: Wine's own start of a windowed
# program waits on a thread of its own, before the game runs.
# Usage: check_threads.sh WINBUILD_DIR
set -u
build_dir=${1:?usage: check_threads.sh WINBUILD_DIR}
src=$(cd "$(dirname "$0")/../.." && pwd)
exe="$build_dir/bin/verifier-threads.exe"
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the target verifier-threads)"; exit 1; }
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$src/tests/wine_common.sh"
wine_prepare tervanne-threads-wine
cleanup() { wine_stop; rm -rf "$work"; }
trap cleanup EXIT
trap "exit 1" INT TERM
wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w 2>/dev/null

# verifier-threads.exe prints its PASS/FAIL lines; run NAME COMMAND...
run() {
    local name="$1"; shift
    "$@" >"$work/out" 2>&1
    local rc=$?
    sed "s/^/  $name: /" "$work/out" | grep -E "(PASS|FAIL|carte)"
    if [ $rc -eq 0 ]; then pass "$name"; else fail "$name (code $rc)"; tail -5 "$work/out"; fi
    map=$(sed -n 's/^carte \([0-9a-f]*\).*/\1/p' "$work/out" | tr -d '\r')
}

first_cpu=$(sed -n 's/^Cpus_allowed_list:[[:space:]]*\([0-9]*\).*/\1/p' /proc/self/status)
run "one processor" timeout 300 taskset -c "$first_cpu" wine "$exe" --processors 1 --no-world
run "threads allowed, then the platform's switch" timeout 300 wine "$exe"
allowed_map=$map

if cc -O1 -I"$src" -o "$work/sans-threads" "$src/tests/threads_wine/sans_threads.c" 2>"$work/cc.log" &&
    "$work/sans-threads" true; then
    # Wine's server and services start under the filter too: a fresh start.
    wineserver -k 2>/dev/null
    run "every thread refused by the kernel" timeout 300 "$work/sans-threads" wine "$exe" --refused
    if [ -n "$map" ] && [ "$map" = "$allowed_map" ]; then
        pass "the same map with threads refused for real ($map)"
    else
        fail "map $map with threads refused, $allowed_map with threads"
    fi
else
    echo "no kernel refusal here (not Linux x86-64, or seccomp unavailable): $(cat "$work/cc.log")"
fi
exit $((failures > 0))
