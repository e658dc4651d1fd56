#!/usr/bin/env bash
# Soak run of scripted play: the town, a fight on the heath, the second zone
# and the catacombs, round after round at a fixed step on the headless
# backend. Reports the resident memory at a sixth of the run and at its end,
# the allocations in frames after the warm-up, and the log's error lines.
# Usage: scripts/soak_play.sh [minutes=30] [build dir=build/native]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-30}"
build="${2:-$root/build/native}"
prog="$build/tests/soak_play/soak_play"
[ -x "$prog" ] || { echo "build first: scripts/build.sh native --target soak_play"; exit 1; }
exec "$prog" "$((minutes * 60))"
