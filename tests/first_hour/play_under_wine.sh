#!/bin/bash
# Plays a character file with the Windows build under Wine, as a player would:
# the game starts on the character list, Entrée plays the selected character,
# the backward key is held for a few drawn frames, Alt+F4 quits (the game
# saves on the way out). The folder's files are the game's: what it writes
# back stays there.
# Usage: play_under_wine.sh PATH/Tervanne.exe FOLDER
# Prints PASS/FAIL lines; exits non-zero when the play did not go through.
set -u
exe=${1:?usage: play_under_wine.sh Tervanne.exe FOLDER}
folder=${2:?usage: play_under_wine.sh Tervanne.exe FOLDER}
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the Windows configuration)"; exit 1; }
for tool in wine xdotool Xvfb import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup.sh)"; exit 1; }
done

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-fiche-wine
cleanup() {
    wine_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM

# Its own display: the suites beside it share another one.
start_private_display 200 249 1600x900x24 || { echo "FAIL: could not start Xvfb"; exit 1; }
wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w 2>/dev/null

cp "$exe" "$folder/Tervanne.exe"
log="$folder/tervanne-journal.txt"
rm -f "$log"
(cd "$folder" && exec wine ./Tervanne.exe) >"$work/game.out" 2>&1 &
game_pid=$!

# wait_line TEXT SECONDS: until the game's log holds TEXT.
wait_line() {
    local i
    for i in $(seq $(($2 * 10))); do
        grep -q "$1" "$log" 2>/dev/null && return 0
        kill -0 "$game_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
if ! wait_line "Monde prêt" 300; then
    echo "FAIL: the game did not finish its start-up"; tail -5 "$work/game.out"; exit 1
fi
if ! grep -q "Sauvegarde chargée" "$log"; then
    echo "FAIL: the character list did not load the file"; tr -d '\r' <"$log"; exit 1
fi
echo "PASS: started on the character list with the file loaded"

window=""
for _ in $(seq 300); do
    for w in $(xdotool search --name '^Tervanne$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q "IsViewable" && window=$w
    done
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "FAIL: no game window"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null
[ "$(import -window "$window" rgb:- 2>/dev/null | wc -c)" -gt 0 ] ||
    { echo "FAIL: the game window's picture cannot be read"; exit 1; }

# frames_drawn N: until the window's picture has changed N times, that is
# N frames were drawn (a frame can take seconds on a loaded machine).
frames_drawn() {
    local seen=0 last now
    last=$(import -window "$window" rgb:- 2>/dev/null | md5sum)
    for _ in $(seq 1200); do
        sleep 0.1
        now=$(import -window "$window" rgb:- 2>/dev/null | md5sum)
        if [ "$now" != "$last" ]; then seen=$((seen + 1)); last=$now; fi
        [ $seen -ge "$1" ] && return 0
        kill -0 "$game_pid" 2>/dev/null || return 1
    done
    return 1
}

# Entrée until play begins: the first frames after the world build can pass
# before the window has the keyboard. Patience is counted in drawn frames.
playing=0
for _ in $(seq 10); do
    xdotool windowfocus --sync "$window" key Return 2>/dev/null
    for _ in 1 2 3 4 5; do
        grep -q "En jeu : " "$log" && { playing=1; break; }
        frames_drawn 1 || break
    done
    grep -q "En jeu : " "$log" && playing=1
    [ $playing -eq 1 ] && break
done
[ $playing -eq 1 ] || { echo "FAIL: Entrée did not start play"; tr -d '\r' <"$log"; exit 1; }
echo "PASS: Entrée played the selected character"

# A few frames of play: step back (the character may face a wall), stand.
frames_drawn 2
xdotool windowfocus --sync "$window" keydown s 2>/dev/null
frames_drawn 6 || echo "note: the frames were not seen to change while she stepped back"
xdotool keyup s 2>/dev/null
frames_drawn 2
sleep 2
xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null

exited=0
for _ in $(seq 1200); do
    kill -0 "$game_pid" 2>/dev/null || { exited=1; break; }
    sleep 0.1
done
[ $exited -eq 1 ] || { echo "FAIL: the game still runs 120 s after Alt+F4"; exit 1; }
wait "$game_pid"
rc=$?
game_pid=""
[ $rc -eq 0 ] || { echo "FAIL: the game exited with code $rc"; tail -5 "$work/game.out"; exit 1; }
if ! grep -q "Partie sauvegardée" "$log"; then
    echo "FAIL: no save on the way out"; tr -d '\r' <"$log"; exit 1
fi
echo "PASS: Alt+F4 quit with code 0 and the character was saved"
echo "--- tervanne-journal.txt"
tr -d '\r' <"$log"
exit 0
