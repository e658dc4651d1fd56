#!/bin/bash
# Runs the cross-built Windows game under Wine on a virtual display:
#  1. the backend checks (verifier-plateforme.exe) from a folder whose name has
#     accents, so paths beside the program go through wide characters;
#  2. the file cases that need a folder of their own: a read-only folder, and
#     a full disk (a file-size limit on the Wine process), then room again;
#  3. the game itself: it must start while another program reads its lock
#     file, write its log, show its window, refuse a second game in its
#     folder, and exit with code 0 when its window is closed (fermer-fenetre.exe).
# Usage: run_wine_tests.sh WINBUILD_DIR
#   TERVANNE_SCREENSHOT=shot.png also saves the screen while the game runs.
# Prints PASS/FAIL per check and exits non-zero when any check failed.
set -u

build_dir=${1:?usage: run_wine_tests.sh WINBUILD_DIR}
bin="$build_dir/bin"
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for exe in Tervanne.exe fermer-fenetre.exe verifier-plateforme.exe tenir-fichier.exe; do
    if [ ! -f "$bin/$exe" ]; then
        echo "FAIL: $bin/$exe is missing (build the targets Tervanne, fermer-fenetre, verifier-plateforme, tenir-fichier)"
        exit 1
    fi
done

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-wine
locked_dir=""
unlock_folder() {
    [ -n "$locked_dir" ] || return 0
    chattr -i "$locked_dir" 2>/dev/null
    chmod u+w "$locked_dir" 2>/dev/null
    locked_dir=""
}
cleanup() {
    unlock_folder
    wine_stop
    if [ $failures -eq 0 ]; then
        rm -rf "$work"
    else
        rm -rf "$WINEPREFIX"
        echo "kept for inspection: $work"
    fi
}
trap cleanup EXIT
trap "exit 1" INT TERM  # so a timeout still kills Wine and Xvfb

if [ -z "${DISPLAY:-}" ]; then
    start_private_display 90 140 || { echo "FAIL: could not start Xvfb"; exit 1; }
fi
echo "display $DISPLAY, prefix $WINEPREFIX"

# A first start creates the prefix (about ten seconds); do it once up front so
# the timeouts below measure the programs, not Wine's set-up.
wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w 2>/dev/null

# ---- Backend checks ---------------------------------------------------------
checks_dir="$work/Forêt d'essai"
mkdir -p "$checks_dir"
cp "$bin/verifier-plateforme.exe" "$bin/tenir-fichier.exe" "$checks_dir/"
(cd "$checks_dir" && timeout 120 wine ./verifier-plateforme.exe) >"$work/checks.out" 2>&1
checks_rc=$?
grep -E "^(PASS|FAIL|  )" "$work/checks.out" | grep -v "^PASS: [0-9]* group" | grep -v "^FAIL: [0-9]* group"
if [ $checks_rc -eq 0 ]; then
    pass "backend checks exit code 0"
else
    fail "backend checks exit code $checks_rc"
    grep -q "^PASS\|^FAIL" "$work/checks.out" || tail -20 "$work/checks.out"
fi
if [ -f "$checks_dir/tervanne-journal.txt" ]; then
    pass "backend log written beside the program in a folder with accents"
else
    fail "no tervanne-journal.txt in '$checks_dir'"
fi

# ---- Files the system refuses, each case in a folder of its own --------------
# A character file the case starts from (level 7, valid: the header, a level
# and the last bag key).
character_file() {
    printf '# Tervanne - sauvegarde\r\nversion 2\r\nniveau 7\r\nnom Carados\r\nsacq_23 0\r\n' >"$1/tervanne-perso-1.txt"
}
# run_case DIR CASE [LIMIT...]: the checks program alone on one case.
run_case() {
    local dir=$1 case=$2
    shift 2
    (cd "$dir" && exec "$@" timeout 120 wine ./verifier-plateforme.exe "$case") >"$work/$case.out" 2>&1
    local rc=$?
    grep -E "^(PASS|FAIL|  )" "$work/$case.out"
    if [ $rc -eq 0 ]; then pass "case $case exit code 0"; else fail "case $case exit code $rc"; fi
}

# A read-only folder. Wine takes the folder's Unix permissions, which root
# passes by: root makes the folder immutable instead.
ro_dir="$work/lecture-seule"
mkdir -p "$ro_dir"
cp "$bin/verifier-plateforme.exe" "$ro_dir/"
character_file "$ro_dir"
if [ "$(id -u)" = 0 ]; then chattr +i "$ro_dir" 2>/dev/null && locked_dir=$ro_dir
else chmod a-w "$ro_dir" && locked_dir=$ro_dir; fi
if [ -n "$locked_dir" ] && ! touch "$ro_dir/essai" 2>/dev/null; then
    run_case "$ro_dir" dossier-en-lecture-seule
else
    rm -f "$ro_dir/essai"
    echo "SKIP: no way to make a read-only folder on this machine"
fi
unlock_folder

# A full disk: writes past a file-size limit fail (its signal ignored, so the
# write itself says so), as on a disk without room. The Wine server runs
# outside the limit, started first.
disk_dir="$work/disque"
mkdir -p "$disk_dir"
cp "$bin/verifier-plateforme.exe" "$disk_dir/"
character_file "$disk_dir"
if command -v prlimit >/dev/null; then
    wineserver -p </dev/null >/dev/null 2>&1
    run_case "$disk_dir" disque-plein bash -c 'trap "" XFSZ; exec "$@"' limite prlimit --fsize=1000
    run_case "$disk_dir" disque-libre
else
    echo "SKIP: no prlimit for a file-size limit"
fi

# ---- The game ---------------------------------------------------------------
# Started while another program reads the folder lock's file, as a virus
# scanner or a sync tool does: it is no second game.
game_dir="$work/jeu"
mkdir -p "$game_dir"
cp "$bin/Tervanne.exe" "$bin/tenir-fichier.exe" "$game_dir/"
(cd "$game_dir" && exec wine ./tenir-fichier.exe tervanne-jeu.verrou r) >"$work/reader.out" 2>&1 &
reader_pid=$!
for _ in $(seq 600); do
    [ -f "$game_dir/tervanne-jeu.verrou.pris" ] && break
    kill -0 "$reader_pid" 2>/dev/null || break
    sleep 0.1
done
[ -f "$game_dir/tervanne-jeu.verrou.pris" ] || fail "the reader of the lock file did not start"
(cd "$game_dir" && exec wine ./Tervanne.exe) >"$work/game.out" 2>&1 &
game_pid=$!

log="$game_dir/tervanne-journal.txt"
started=0
for _ in $(seq 600); do
    if [ -s "$log" ] && grep -q $'\r$' "$log"; then started=1; break; fi
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
if [ $started -eq 1 ]; then
    pass "game started and wrote tervanne-journal.txt, another program reading its lock file"
else
    fail "no log line from the game within 60 s"
fi

# Start-up ends with the world build's log line; the frame loop runs after it.
# The world build is slow under Wine on a software renderer: wait for it.
ready=0
for _ in $(seq 1800); do
    if grep -q "Monde prêt" "$log" 2>/dev/null; then ready=1; break; fi
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
if [ $ready -eq 1 ]; then
    pass "start-up finished (world ready)"
else
    fail "no \"Monde prêt\" line within 180 s"
fi
sleep 5
if command -v xdotool >/dev/null && command -v xwininfo >/dev/null; then
    shown=""
    for w in $(xdotool search --name '^Tervanne$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q "IsViewable" && shown=$w
    done
    if [ -n "$shown" ]; then
        pass "window \"Tervanne\" is shown"
        geometry=$(xwininfo -id "$shown" | sed -n 's/.*-geometry \([0-9]*x[0-9]*\).*/\1/p')
        # 1920x1080 plus a frame does not fit a 1920x1080 screen: the game
        # starts borderless over the whole monitor.
        if [ -n "$xvfb_pid" ]; then
            if [ "$geometry" = "1920x1080" ]; then
                pass "too-large window started fullscreen ($geometry)"
            else
                fail "window is $geometry on a 1920x1080 screen, expected fullscreen"
            fi
        fi
        # F11 from there returns to a centred window of three quarters of the
        # screen (X sees the client area: the outer 1440x810 less the frame).
        if [ -n "$xvfb_pid" ]; then
            xdotool windowfocus --sync "$shown" key F11 2>/dev/null
            # The key is seen at the next frame's pump; frames are slow here.
            for _ in $(seq 120); do
                sleep 0.5
                read -r x y w h < <(xwininfo -id "$shown" |
                    sed -n 's/.*-geometry \([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\).*/\3 \4 \1 \2/p')
                [ "${w:-0}" != 1920 ] && break
            done
            centre=$((x + w / 2))
            if [ "${w:-0}" -gt 1380 ] && [ "$w" -le 1440 ] && [ "$h" -gt 740 ] && [ "$h" -le 810 ] &&
                [ $centre -ge 950 ] && [ $centre -le 970 ]; then
                pass "F11 returned to a centred three-quarter window (${w}x${h}+$x+$y)"
            else
                fail "after F11 the window is ${w:-?}x${h:-?}+${x:-?}+${y:-?}"
            fi
        fi
        if xprop -id "$shown" _NET_WM_ICON 2>/dev/null | grep -q "Icon ("; then
            pass "window carries the program's icon"
        else
            fail "window has no icon"
        fi
    else
        fail "no viewable X window named Tervanne"
    fi
fi
if command -v import >/dev/null && [ -n "${TERVANNE_SCREENSHOT:-}" ]; then
    import -window root "$TERVANNE_SCREENSHOT" 2>/dev/null && echo "screenshot: $TERVANNE_SCREENSHOT"
fi

# ---- A second game in the same folder ----------------------------------------
# It says so in a box and stops before it touches a file: the first game's log
# and characters stay its own.
log_sum=$(md5sum <"$log")
(cd "$game_dir" && exec wine ./Tervanne.exe) >"$work/second.out" 2>&1 &
second_pid=$!
box=""
if command -v xdotool >/dev/null; then
    for _ in $(seq 600); do
        for w in $(xdotool search --name '^Tervanne$' 2>/dev/null); do
            [ "$w" != "${shown:-}" ] && xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && box=$w
        done
        [ -n "$box" ] && break
        kill -0 "$second_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -n "$box" ]; then
        pass "a second game in the folder shows a box"
        xdotool windowfocus --sync "$box" key Return 2>/dev/null
    else
        fail "no box from a second game in the folder"
    fi
fi
second_rc=124
for _ in $(seq 300); do
    if ! kill -0 "$second_pid" 2>/dev/null; then wait "$second_pid"; second_rc=$?; break; fi
    sleep 0.1
done
if [ $second_rc -eq 1 ]; then
    pass "the second game stopped (exit code 1)"
else
    fail "the second game did not stop (code $second_rc)"
    kill "$second_pid" 2>/dev/null
fi
if [ "$(md5sum <"$log")" = "$log_sum" ]; then
    pass "the first game's log is untouched"
else
    fail "the second game wrote to the first one's log"
fi
if kill -0 "$game_pid" 2>/dev/null; then pass "the first game still runs"; else fail "the first game is gone"; fi
touch "$game_dir/tervanne-jeu.verrou.lache"
wait "$reader_pid"
rm -f "$game_dir/tervanne-jeu.verrou.lache"

(cd "$bin" && timeout 60 wine ./fermer-fenetre.exe 30) >"$work/close.out" 2>&1
if [ $? -eq 0 ]; then
    pass "window of class QuarnFenetre found and asked to close"
else
    fail "could not close the game window: $(tr -d '\r' <"$work/close.out")"
fi

exited=0
for _ in $(seq 2400); do
    kill -0 "$game_pid" 2>/dev/null || { exited=1; break; }
    sleep 0.1
done
if [ $exited -eq 1 ]; then
    wait "$game_pid"
    game_rc=$?
    game_pid=""
    if [ $game_rc -eq 0 ]; then
        pass "game exited with code 0 after its window was closed"
    else
        fail "game exit code $game_rc"
        tail -20 "$work/game.out"
    fi
else
    fail "game still running 240 s after WM_CLOSE"
fi

if [ -f "$log" ]; then
    lines=$(grep -c '' "$log")
    crlf=$(grep -c $'\r$' "$log")
    bare_lf=$(tr -cd '\n' <"$log" | wc -c)
    if [ "$lines" -gt 0 ] && [ "$crlf" -eq "$lines" ] && [ "$bare_lf" -eq "$crlf" ] &&
        [ "$(tail -c 2 "$log" | od -An -tx1 | tr -d ' ')" = "0d0a" ]; then
        pass "log beside the program has $lines line(s), each ending in CR LF"
    else
        fail "log lines do not all end in CR LF ($crlf of $lines)"
    fi
    echo "--- tervanne-journal.txt"
    tr -d '\r' <"$log"
    echo "---"
else
    fail "no tervanne-journal.txt beside Tervanne.exe"
fi

if [ $failures -eq 0 ]; then
    echo "PASS: all Windows checks"
else
    echo "FAIL: $failures Windows check(s) failed"
fi
[ $failures -eq 0 ]
