#!/bin/bash
# Starts Tervanne.exe under Wine on a private virtual display, waits for the
# OpenGL banner in its log, and checks that no shader, link or entry point
# error was logged before it. Usage: check_gpu_startup.sh PATH/Tervanne.exe
set -u
exe=${1:?usage: check_gpu_startup.sh Tervanne.exe}
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the Tervanne target)"; exit 1; }

work=$(mktemp -d /tmp/tervanne-gpu-wine.XXXXXX)
cp "$exe" "$work/Tervanne.exe"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 141 190); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        break
    fi
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "FAIL: could not start Xvfb"; exit 1; }

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
