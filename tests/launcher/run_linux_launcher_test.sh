#!/bin/bash
# The Linux launcher itself on a private virtual display, with its update
# site closed (state 3):
#  1. the copy left by a previous self-update is deleted at start;
#  2. without a game beside it, "Jouer" does nothing and the launcher stays;
#  3. with a stand-in game, "Jouer" starts it in the launcher's folder and the
#     launcher quits with code 0;
#  4. "Quitter" closes it with code 0.
# A screenshot of the state-3 window is written to BUILD_DIR/lanceur-linux-etat3.png.
# Usage: run_linux_launcher_test.sh BUILD_DIR
set -u

build_dir=$(cd "${1:?usage: run_linux_launcher_test.sh BUILD_DIR}" && pwd)
exe="$build_dir/bin/Tervanne-lanceur"
[ -x "$exe" ] || { echo "FAIL: $exe is missing (build the target Tervanne-lanceur)"; exit 1; }
for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/tervanne-lanceur-linux.XXXXXX)
xvfb_pid=""
launcher_pid=""
cleanup() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# A display of our own at 96 dots per inch, so that lengths are the logical ones.
for n in $(seq 200 249); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 1280x800x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        break
    fi
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "FAIL: could not start Xvfb"; exit 1; }
export SDL_VIDEODRIVER=x11

closed_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
game="$work/jeu"
mkdir -p "$game"
cp "$exe" "$game/Tervanne-lanceur"
printf 'adresse http://127.0.0.1:%s/tervanne\r\n' "$closed_port" >"$game/lanceur.txt"
printf '1.3\r\n' >"$game/tervanne-version.txt"
printf 'ancien' >"$game/Tervanne-lanceur.ancien"

start_launcher() {
    (cd / && exec "$game/Tervanne-lanceur") >"$work/lanceur.log" 2>&1 &
    launcher_pid=$!
    for _ in $(seq 600); do
        w=$(xdotool search --name "^Tervanne.*lanceur$" 2>/dev/null | head -1)
        [ -n "$w" ] && break
        sleep 0.1
    done
    [ -n "$w" ] || { fail "no launcher window"; return 1; }
    sleep 1.5  # the closed site answers at once: state 3
}
# Waits for the launcher to end; sets rc to its exit code, or "running".
# Not run in a subshell: only this shell can wait for the launcher it started.
ended() {
    for _ in $(seq "${1:-150}"); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$launcher_pid" 2>/dev/null; then rc=running; return; fi
    wait "$launcher_pid"
    rc=$?
    launcher_pid=""
}
click() { xdotool mousemove --window "$w" "$1" "$2" click 1 2>/dev/null; }

# --- 1 and 2: no game beside the launcher ----------------------------------
start_launcher || exit 1
[ -e "$game/Tervanne-lanceur.ancien" ] && fail ".ancien not deleted at start" || pass ".ancien deleted at start"
geometry=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "620x410" ] && pass "client area 620 x 410" || fail "client area is $geometry"
click 484 367  # "Jouer": (W-236..W-36, 346..388)
ended 20
[ "$rc" = running ] && pass "without the game, Jouer does nothing" || fail "the launcher ended without a game"
click 116 367  # "Quitter"
ended
[ "$rc" = 0 ] && pass "Quitter closes the launcher with code 0" || fail "Quitter: $rc"

# --- 3: a stand-in game ------------------------------------------------------
printf '#!/bin/sh\npwd > lance.txt\nprintf "%%s" "$#" >> lance.txt\n' >"$game/Tervanne"
chmod +x "$game/Tervanne"
start_launcher || exit 1
import -window "$w" "$build_dir/lanceur-linux-etat3.png" 2>/dev/null
click 484 367
ended
[ "$rc" = 0 ] && pass "the launcher quits with code 0 once the game started" || fail "after Jouer: $rc"
for _ in $(seq 50); do [ -s "$game/lance.txt" ] && break; sleep 0.1; done
if [ "$(cat "$game/lance.txt" 2>/dev/null)" = "$game"$'\n'0 ]; then
    pass "the game started in the launcher's folder with no arguments"
else
    fail "game start: '$(cat "$game/lance.txt" 2>/dev/null)'"
fi
[ "$(cat "$game/tervanne-version.txt")" = $'1.3\r' ] && pass "closed site: version file untouched" \
    || fail "version file changed"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    cat "$work/lanceur.log"
    exit 1
fi
echo "all Linux launcher checks passed"
