#!/usr/bin/env bash
# Builds one configuration: native (Release, Linux SDL2), asan (Debug with
# AddressSanitizer + UBSan), tsan (ThreadSanitizer, only the suites that run
# the game's worker threads), debug, or windows (MinGW-w64 cross build).
# Usage: scripts/build.sh [native|asan|tsan|debug|windows] [extra cmake --build args]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-native}"
shift || true
jobs="$(nproc)"
# ccache hits from any checkout: paths below the root are hashed relative to
# it, and the working directory is left out of the hash.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
# Lets ccache keep objects built with the precompiled test framework header.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
case "$kind" in
  native)  dir="$root/build/native";  args=(-DCMAKE_BUILD_TYPE=Release) ;;
  debug)   dir="$root/build/debug";   args=(-DCMAKE_BUILD_TYPE=Debug) ;;
  # -O1: the sanitized suites run several times faster than at -O0, and
  # still point at the line that failed.
  asan)    dir="$root/build/asan";    args=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g"
                                             "-DCMAKE_C_FLAGS_DEBUG=-O1 -g" -DTERVANNE_SANITIZE=ON -DTERVANNE_BENCH=OFF) ;;
  tsan)    dir="$root/build/tsan";    args=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g"
                                             "-DCMAKE_C_FLAGS_DEBUG=-O1 -g" -DTERVANNE_TSAN=ON -DTERVANNE_BENCH=OFF)
           # The rest of the tests have nothing of the workers to check.
           [ $# -eq 0 ] && set -- --target test_world test_main_loop ;;
  windows) dir="$root/build/windows"; args=(-DCMAKE_BUILD_TYPE=Release
                                             -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake") ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs" "$@"
