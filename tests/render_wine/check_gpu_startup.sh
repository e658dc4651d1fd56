#!/bin/bash
# Starts Tervanne.exe under Wine on a private virtual display, waits for the
# OpenGL banner in its log, and checks that no shader, link or entry point
# error was logged before it. Usage: check_gpu_startup.sh PATH/Tervanne.exe
set -u
exe=${1:?usage: check_gpu_startup.sh Tervanne.exe}
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the Tervanne target)"; exit 1; }

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-gpu-wine
cp "$exe" "$work/Tervanne.exe"
cleanup() {
    wine_stop
    rm -rf "$work"
}
trap cleanup EXIT

start_private_display 141 190 || { echo "FAIL: could not start Xvfb"; exit 1; }

(cd "$work" && exec wine Tervanne.exe >"$work/wine.out" 2>&1) &
game_pid=$!
log="$work/tervanne-journal.txt"
for _ in $(seq 300); do
    [ -f "$log" ] && grep -q "anticrénelage" "$log" && break
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 1
done
status=0
if [ -f "$log" ] && grep -Eq "^OpenGL : .+ — .+, anticrénelage ×[124]"$'\r'"?$" "$log"; then
    echo "PASS: banner: $(grep anticr "$log" | tr -d '\r')"
else
    echo "FAIL: no OpenGL banner in the log"; status=1
fi
if [ -f "$log" ] && grep -Eq "Erreur de shader|Erreur de liaison|fonction absente" "$log"; then
    echo "FAIL: the log reports GL errors:"; cat "$log"; status=1
else
    echo "PASS: every program compiled and linked without a message"
fi
exit $status
