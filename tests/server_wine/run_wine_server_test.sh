#!/bin/bash
# Runs the cross-built tervanne-serveur.exe under Wine on a loopback port and
# three robot clients (tests/net/soak_bot from the native build) against it:
# the server must say where it listens, welcome the three, relay each one's
# poses to the two others, and log each arrival and departure.
# Usage: run_wine_server_test.sh WINBUILD_DIR NATIVE_BUILD_DIR
set -u
build_dir=$(cd "${1:?usage: run_wine_server_test.sh WINBUILD_DIR NATIVE_BUILD_DIR}" && pwd)
native_dir="${2:?usage: run_wine_server_test.sh WINBUILD_DIR NATIVE_BUILD_DIR}"
exe="$build_dir/bin/tervanne-serveur.exe"
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the target tervanne-serveur)"; exit 1; }
bot="$(find "$native_dir" -name soak_bot -type f -perm -u+x 2>/dev/null | head -n 1)"
[ -n "$bot" ] || { echo "FAIL: soak_bot is missing (scripts/build.sh native first)"; exit 1; }
command -v wine >/dev/null || { echo "FAIL: wine is not installed"; exit 1; }

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-serveur-wine
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

port=$((38000 + $$ % 1000))
wine "$exe" "$port" >"$work/server.log" 2>&1 &
server_pid=$!
# A fresh prefix takes a while the first time: wait for the listening line.
for _ in $(seq 600); do
    grep -q "coute sur le port UDP $port" "$work/server.log" 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if grep -q "coute sur le port UDP $port" "$work/server.log"; then
    pass "the server listens on UDP port $port"
else
    fail "the server never said it listens"; cat "$work/server.log"; exit 1
fi

epoch=$(date +%s.%N)
for i in 0 1 2; do "$bot" "$port" 8 "$epoch" >"$work/bot$i.txt" 2>&1 & done
wait_bots=0
for job in $(jobs -p); do [ "$job" = "$server_pid" ] || wait "$job" || wait_bots=1; done
cat "$work"/bot*.txt
[ "$wait_bots" -eq 0 ] && pass "the three robots were welcomed" || fail "a robot was never welcomed"
others=$(awk '$12 == 2 { n++ } END { print n + 0 }' "$work"/bot*.txt)
[ "$others" -eq 3 ] && pass "each robot received the poses of the two others" \
    || fail "only $others robot(s) received the poses of both others"
received=$(awk '{ s += $6 } END { print s + 0 }' "$work"/bot*.txt)
[ "$received" -gt 100 ] && pass "$received poses relayed" || fail "only $received poses relayed"

# The goodbyes reach the log.
for _ in $(seq 50); do [ "$(grep -c "parti" "$work/server.log")" -ge 3 ] && break; sleep 0.1; done
arrived=$(grep -c "arriv" "$work/server.log")
left=$(grep -c "parti" "$work/server.log")
[ "$arrived" -eq 3 ] && [ "$left" -eq 3 ] && pass "the log holds three arrivals and three departures" \
    || { fail "log: $arrived arrivals, $left departures"; cat "$work/server.log"; }

[ "$failures" -eq 0 ] && { echo "server_wine: all checks passed"; exit 0; }
echo "server_wine: $failures check(s) failed"
exit 1
