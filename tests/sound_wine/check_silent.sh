#!/bin/bash
# The Windows game and its wave-out under Wine on a virtual display:
#  1. with Wine's audio drivers switched off (no sound device at all) the game
#     logs "Son : aucune sortie audio disponible." and keeps running until its
#     window is closed, then exits with code 0;
#  2. with an ALSA null device it opens wave-out and logs "Son : 44100 Hz, stéréo."
#     (skipped when Wine has no ALSA driver).
# Usage: check_silent.sh WINBUILD_DIR   (needs bin/Tervanne.exe and bin/fermer-fenetre.exe)
# Prints PASS/FAIL per check and exits non-zero when any check failed.
set -u

build_dir=${1:?usage: check_silent.sh WINBUILD_DIR}
bin="$build_dir/bin"
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for exe in Tervanne.exe fermer-fenetre.exe; do
    if [ ! -f "$bin/$exe" ]; then
        echo "FAIL: $bin/$exe is missing (build the targets Tervanne and fermer-fenetre)"
        exit 1
    fi
done

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-son
cleanup() {
    wine_stop
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    start_private_display 141 190 || { echo "FAIL: could not start Xvfb"; exit 1; }
fi

wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w 2>/dev/null

# run_game NAME EXPECTED_LINE: starts the game in its own folder, waits for
# the sound line, lets it play a few seconds, closes the window, checks exit 0.
run_game() {
    local name=$1 expected=$2
    local dir="$work/$name"
    mkdir -p "$dir"
    cp "$bin/Tervanne.exe" "$dir/"
    (cd "$dir" && exec wine ./Tervanne.exe) >"$work/$name.out" 2>&1 &
    game_pid=$!
    local log="$dir/tervanne-journal.txt"
    local found=0
    for _ in $(seq 900); do
        if [ -f "$log" ] && tr -d '\r' <"$log" | grep -q '^Son : '; then found=1; break; fi
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ $found -eq 1 ] && tr -d '\r' <"$log" | grep -qxF "$expected"; then
        pass "$name: logged \"$expected\""
    else
        fail "$name: no line \"$expected\" in the log"
    fi
    # Then the world is built and frames go on, refilling sound (or not).
    for _ in $(seq 1800); do
        tr -d '\r' <"$log" 2>/dev/null | grep -q '^Monde prêt' && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 4
    if kill -0 "$game_pid" 2>/dev/null; then
        pass "$name: game still running after its sound start"
    else
        fail "$name: game ended on its own"
    fi
    (cd "$bin" && timeout 60 wine ./fermer-fenetre.exe 30) >"$work/$name.close" 2>&1 ||
        fail "$name: could not close the window: $(tr -d '\r' <"$work/$name.close")"
    local exited=0
    for _ in $(seq 600); do
        kill -0 "$game_pid" 2>/dev/null || { exited=1; break; }
        sleep 0.1
    done
    if [ $exited -eq 1 ]; then
        wait "$game_pid"
        local rc=$?
        game_pid=""
        if [ $rc -eq 0 ]; then pass "$name: exit code 0"; else fail "$name: exit code $rc"; fi
    else
        fail "$name: still running 60 s after WM_CLOSE"
        kill "$game_pid" 2>/dev/null
        game_pid=""
    fi
    if [ -f "$log" ]; then
        echo "--- $name: tervanne-journal.txt"
        tr -d '\r' <"$log"
        echo "---"
    fi
    wineserver -w 2>/dev/null
}

# 1. No audio driver at all: wave-out has no device to open.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >"$work/reg.log" 2>&1
wineserver -w 2>/dev/null
run_game sans-son "Son : aucune sortie audio disponible."

# 2. ALSA's null device behind Wine's ALSA driver: wave-out opens and plays.
alsa_driver=""
for f in /usr/lib/x86_64-linux-gnu/wine/x86_64-unix/winealsa.so /usr/lib/wine/x86_64-unix/winealsa.so \
    /usr/lib64/wine/x86_64-unix/winealsa.so; do
    [ -f "$f" ] && alsa_driver=$f
done
if [ -n "$alsa_driver" ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d 'alsa' /f >>"$work/reg.log" 2>&1
    wineserver -k 2>/dev/null
    export HOME="$work/home"
    mkdir -p "$HOME"
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
    run_game son-nul "Son : 44100 Hz, stéréo."
else
    echo "SKIP: Wine has no ALSA driver here; wave-out opening not exercised"
fi

if [ $failures -eq 0 ]; then
    echo "PASS: all sound checks under Wine"
else
    echo "FAIL: $failures sound check(s) under Wine failed"
fi
[ $failures -eq 0 ]
