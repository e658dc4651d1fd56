#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while
# (FUZZ_SECONDS, default 20). Any crash fails the run and keeps the input.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$root/build/fuzz"
seconds="${FUZZ_SECONDS:-20}"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERVANNE_FUZZ=ON -DTERVANNE_TESTS=ON -DTERVANNE_BENCH=OFF >/dev/null || exit 1
targets=$(cd "$dir" && ninja -t targets all 2>/dev/null | sed -n 's/^\(fuzz_[a-z0-9_]*\): .*/\1/p' | sort -u)
[ -n "$targets" ] || { echo "no fuzz target"; exit 1; }
cmake --build "$dir" -j "$(nproc)" --target $targets || exit 1
# One target per core at a time: each is a single process.
run_target() {
  local t="$1" exe corpus seeds
  exe=$(find "$dir" -name "$t" -type f -perm -u+x | head -n 1)
  corpus="$dir/corpus/$t"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/seeds/$t"
  [ -d "$seeds" ] || seeds=""
  if (cd "$dir" && "$exe" -max_total_time="$seconds" -print_final_stats=0 "$corpus" $seeds >"$dir/$t.log" 2>&1); then
    echo "PASS: $t ($(grep -o 'Done [0-9]* runs' "$dir/$t.log" | head -n1))"
  else
    echo "FAIL: $t"; tail -n 30 "$dir/$t.log"; return 1
  fi
}
export -f run_target
export dir root seconds
printf '%s\n' $targets | xargs -P "$(nproc)" -I{} bash -c 'run_target "$1" > "$dir/$1.result" 2>&1' _ {}
status=0
for t in $targets; do
  cat "$dir/$t.result"
  grep -q "^PASS: $t" "$dir/$t.result" || status=1
done
exit $status
