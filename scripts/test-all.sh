#!/usr/bin/env bash
# Sets up, builds everything (native, sanitizers, Windows) and runs every test:
# unit and render tests (ctest), the same unit tests under ASan+UBSan, and the
# Windows programs under Wine. Starts its own Xvfb when no display is set.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
start=$(date +%s)
"$root/scripts/setup.sh" || exit 1

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      break
    fi
  done
  sleep 1
fi
cleanup() {
  command -v wineserver >/dev/null 2>&1 && wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

failed=0
step() {
  local name="$1"; shift
  echo "==== $name"
  if "$@"; then echo "==== $name : ok"; else echo "==== $name : ÉCHEC"; failed=$((failed + 1)); fi
}

step "build native" "$root/scripts/build.sh" native
step "build windows" "$root/scripts/build.sh" windows
step "build asan" "$root/scripts/build.sh" asan
step "tests native" ctest --test-dir "$root/build/native" --output-on-failure -j 2
# Sanitizers on the unit suites, LeakSanitizer included: whatever a test or
# the game leaves allocated at exit fails the suite.
step "tests asan" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j 2 -L unit
step "fuzz" "$root/scripts/fuzz.sh"
# The Windows programs under Wine, one at a time (they share the display).
step "tests windows (Wine)" ctest --test-dir "$root/build/windows" --output-on-failure -j 1

echo "Durée totale : $(( $(date +%s) - start )) s"
if [ "$failed" -ne 0 ]; then
  echo "$failed étape(s) en échec"
  exit 1
fi
echo "Toutes les étapes ont réussi."
