#!/usr/bin/env bash
# Sets up, builds everything (native, sanitizers, Windows) and runs every test:
# unit suites and scripted scenes (ctest), the same suites under
# ASan+UBSan+LeakSanitizer, the suites that run the game's worker threads
# under ThreadSanitizer, the fuzz targets, the Windows programs under Wine,
# and the release (installer, Linux archive, update sites) checked under Wine
# and natively. Starts its own Xvfb when no display is set. Prints the time of
# each step and the ten slowest tests at the end.
#
#   scripts/test-all.sh           everything (what CI runs)
#   scripts/test-all.sh --quick   native build, unit suites and one scene
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
quick=0
[ "${1:-}" = "--quick" ] && quick=1
start=$(date +%s)
"$root/scripts/setup.sh" || exit 1

# The Wine checks' helpers: a private display, a Wine prefix to copy.
source "$root/tests/wine_common.sh"
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  start_private_display 90 120 || { echo "Xvfb ne démarre pas"; exit 1; }
fi
logs=$(mktemp -d /tmp/tervanne-tests.XXXXXX)
template_pid=""
cleanup() {
  [ -n "$template_pid" ] && kill "$template_pid" 2>/dev/null
  if command -v wineserver >/dev/null 2>&1; then
    wineserver -k >/dev/null 2>&1
    [ -d "$logs/wine-prefix" ] && WINEPREFIX="$logs/wine-prefix" wineserver -k >/dev/null 2>&1
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$logs"
}
trap cleanup EXIT

failed=0
steps=()
step() {
  local name="$1"; shift
  local t0 t1 result
  t0=$(date +%s)
  echo "==== $name"
  if "$@"; then result="ok"; else result="ÉCHEC"; failed=$((failed + 1)); fi
  t1=$(date +%s)
  echo "==== $name : $result ($((t1 - t0)) s)"
  steps+=("$(printf '%-24s %6d s  %s' "$name" $((t1 - t0)) "$result")")
}
# ctest whose lines are kept for the table of the slowest tests.
run_ctest() {
  local tag="$1"; shift
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure "$@" 2>&1 | tee "$logs/ctest-$tag.log"
  return "${PIPESTATUS[0]}"
}

# One Wine prefix for the whole run, made while the builds run and copied by
# each Wine check (tests/wine_common.sh).
if [ "$quick" -eq 0 ]; then
  (wine_make_template "$logs/wine-prefix") &
  template_pid=$!
fi

# Seconds, and it fails before any build: an include up the layer order.
step "layers" python3 "$root/scripts/check-layers.py"
step "build native" "$root/scripts/build.sh" native
if [ "$quick" -eq 1 ]; then
  step "tests native (quick)" run_ctest native --test-dir "$root/build/native" -j 2 -L unit
  step "one scene" run_ctest scene --test-dir "$root/build/native" -R '^play_scripted$'
else
  step "build windows" "$root/scripts/build.sh" windows
  step "build asan" "$root/scripts/build.sh" asan
  step "build tsan" "$root/scripts/build.sh" tsan
  if wait "$template_pid"; then export TERVANNE_WINE_TEMPLATE="$logs/wine-prefix"; fi
  template_pid=""
  step "tests native" run_ctest native --test-dir "$root/build/native" -j 2
  # Every suite labelled for it, once, under the sanitizers, LeakSanitizer
  # included: whatever a test or the game leaves allocated at exit fails it.
  step "tests asan" run_ctest asan --test-dir "$root/build/asan" -j 2 -L sanitizers
  # The world build, the map painted behind the screens and the game's start,
  # whose workers share the terrain: no data race may be found.
  step "tests tsan" run_ctest tsan --test-dir "$root/build/tsan" -j 2 -L tsan
  step "fuzz" "$root/scripts/fuzz.sh"
  # The Windows programs under Wine, one at a time (some use the shared display).
  step "tests windows (Wine)" run_ctest wine --test-dir "$root/build/windows" -j 1
  # The installer, the Linux archive and the update sites from the builds
  # above, installed, updated and uninstalled under Wine and unpacked here.
  step "release" "$root/scripts/release.sh" --sortie "$logs/release"
fi

echo
echo "Étapes :"
printf '  %s\n' "${steps[@]}"
echo "Les dix tests les plus longs :"
for f in "$logs"/ctest-*.log; do
  [ -f "$f" ] || continue
  tag=${f##*/ctest-}
  sed -n "s/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .* \([0-9.]*\) sec\$/\2 \1 (${tag%.log})/p" "$f"
done | sort -rn | head -n 10 | awk '{printf "  %-24s %-8s %7.1f s\n", $2, $3, $1}'
echo "Durée totale : $(( $(date +%s) - start )) s"
if [ "$failed" -ne 0 ]; then
  echo "$failed étape(s) en échec"
  exit 1
fi
echo "Toutes les étapes ont réussi."
