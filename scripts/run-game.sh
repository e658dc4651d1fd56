#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the game and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" --game-only
"$root/scripts/build.sh" native --target Tervanne
exec "$root/build/native/bin/Tervanne"
