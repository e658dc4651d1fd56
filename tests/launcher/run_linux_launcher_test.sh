#!/bin/bash
# The Linux launcher itself on a private virtual display, with its update
# site closed (state 3):
#  1. the copy left by a previous self-update is deleted at start;
#  2. without a game beside it, "Jouer" does nothing and the launcher stays;
#  3. with a stand-in game, "Jouer" starts it in the launcher's folder and the
#     launcher quits with code 0;
#  4. "Quitter" closes it with code 0;
#  5. an update that replaces both programs (published with publier, served
#     on 127.0.0.1) leaves them runnable: "Jouer" starts the new game, and the
#     new launcher starts and removes the old copy of itself;
#  6. with a "cle" line in lanceur.txt (key made by publier --nouvelle-cle),
#     a list with a flipped byte, one signed by another key, a truncated or
#     non-hexadecimal signature, a moved signature line and no signature are
#     refused: only version.txt is fetched, nothing is written, the refusal
#     text shows (not the closed site's) and "Jouer" starts the installed game;
#     a list signed by publier --cle is installed and lanceur.txt is kept.
# Screenshots of the state-3 window and of a refused list are written to
# BUILD_DIR/lanceur-linux-etat3.png and lanceur-linux-refus.png.
# Usage: run_linux_launcher_test.sh BUILD_DIR
set -u

build_dir=$(cd "${1:?usage: run_linux_launcher_test.sh BUILD_DIR}" && pwd)
exe="$build_dir/bin/Tervanne-lanceur"
[ -x "$exe" ] || { echo "FAIL: $exe is missing (build the target Tervanne-lanceur)"; exit 1; }
for tool in Xvfb xdotool python3 import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/tervanne-lanceur-linux.XXXXXX)
xvfb_pid=""
launcher_pid=""
server_pid=""
cleanup() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# A display of our own at 96 dots per inch, so that lengths are the logical ones.
# -noreset: between two launchers no client is connected, and a resetting
# server refuses the next one ("x11 not available").
for n in $(seq 200 249); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 1280x800x24 -dpi 96 -nolisten tcp -noreset >/dev/null 2>&1 &
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
    # Patient: on a loaded machine the window can take long to show; a
    # launcher that ended says so at once.
    for _ in $(seq 3000); do
        w=$(xdotool search --name "^Tervanne.*lanceur$" 2>/dev/null | head -1)
        [ -n "$w" ] && break
        kill -0 "$launcher_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$w" ] || { fail "no launcher window"; cat "$work/lanceur.log"; return 1; }
}
# The main button's colour tells the state: enabled "Jouer" is gold (#CEA446,
# #E8BE5C under the pointer), disabled grey. Polled on the picture, so no
# guess of how long the check takes.
main_button_colour() { timeout 10 import -window "$w" -crop 1x1+392+367 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
wait_play_enabled() {
    for _ in $(seq "${1:-3000}"); do
        case "$(main_button_colour)" in '#CEA446' | '#E8BE5C') return 0 ;; esac
        sleep 0.1
    done
    return 1
}
# State 3 without a game: the button stays grey; the status text of state 3
# takes two lines where the one of state 0 takes one.
wait_second_status_line() {
    for _ in $(seq 3000); do
        timeout 10 import -window "$w" -crop 548x14+36+300 -depth 8 txt:- 2>/dev/null | grep -q '#E2DCCC' && return 0
        sleep 0.1
    done
    return 1
}
# Waits for the launcher to end; sets rc to its exit code, or "running".
# Not run in a subshell: only this shell can wait for the launcher it started.
ended() {
    for _ in $(seq "${1:-1500}"); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$launcher_pid" 2>/dev/null; then rc=running; return; fi
    wait "$launcher_pid"
    rc=$?
    launcher_pid=""
}
# The pixels of the status text box (36..W-36, 278..318), to tell two texts apart.
status_pixels() { timeout 10 import -window "$w" -crop 548x40+36+278 -depth 8 rgb:- 2>/dev/null | sha256sum | cut -c1-16; }
click() { xdotool mousemove --window "$w" "$1" "$2" click 1 2>/dev/null; }

# --- 1 and 2: no game beside the launcher ----------------------------------
start_launcher || exit 1
wait_second_status_line && pass "state 3 shown" || fail "no state-3 status text"
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
wait_play_enabled || fail "Jouer never enabled with the game present"
timeout 10 import -window "$w" "$build_dir/lanceur-linux-etat3.png" 2>/dev/null
closed_status=$(status_pixels)
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

# --- 5: an update that replaces both programs --------------------------------
site="$work/site/depot"
mkdir -p "$site"
printf '#!/bin/sh\nprintf "jeu 2" > lance.txt\n' >"$site/Tervanne"
cp "$exe" "$site/Tervanne-lanceur"
printf 'mise-a-jour' >>"$site/Tervanne-lanceur"  # still a valid program, another digest
"$build_dir/bin/publier" "$site" 2.0 "Deux programmes neufs" >/dev/null || fail "publier"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done
printf 'adresse http://127.0.0.1:%s/depot\r\n' "$port" >"$game/lanceur.txt"
rm -f "$game/lance.txt"
start_launcher || exit 1
# State 2 after the update: "Jouer" turns gold once both programs are in place.
wait_play_enabled || fail "Jouer never enabled after the update"
[ "$(cat "$game/tervanne-version.txt")" = $'2.0\r' ] && pass "version 2.0 recorded" || fail "version not recorded"
cmp -s "$site/Tervanne-lanceur" "$game/Tervanne-lanceur" && pass "the launcher replaced itself" \
    || fail "the launcher was not replaced"
[ -x "$game/Tervanne" ] && [ -x "$game/Tervanne-lanceur" ] && pass "both new programs are executable" \
    || fail "modes after the update: $(stat -c '%A %n' "$game/Tervanne" "$game/Tervanne-lanceur" | tr '\n' ' ')"
click 484 367
ended
[ "$rc" = 0 ] && pass "Jouer after the update: the launcher quits with code 0" || fail "Jouer after the update: $rc"
for _ in $(seq 100); do [ -s "$game/lance.txt" ] && break; sleep 0.1; done
[ "$(cat "$game/lance.txt" 2>/dev/null)" = "jeu 2" ] && pass "the updated game started" \
    || fail "the updated game did not start ('$(cat "$game/lance.txt" 2>/dev/null)')"
kill "$server_pid" 2>/dev/null
# Replaced in one rename: no old copy aside. The updated launcher starts
# (the site is gone: state 3) and removes a copy left by an older launcher.
[ -e "$game/Tervanne-lanceur.ancien" ] && fail "a .ancien copy after the self-update" \
    || pass "the running launcher was replaced in one rename (no .ancien)"
cp "$game/Tervanne-lanceur" "$game/Tervanne-lanceur.ancien"
start_launcher || exit 1
wait_second_status_line || fail "the updated launcher shows no state-3 status text"
[ -e "$game/Tervanne-lanceur.ancien" ] && fail "the updated launcher left .ancien" \
    || pass "the updated launcher starts and deletes .ancien"
click 116 367
ended
[ "$rc" = 0 ] && pass "the updated launcher quits with code 0" || fail "updated launcher, Quitter: $rc"

# --- 6: signed lists -----------------------------------------------------------
publier="$build_dir/bin/publier"
"$publier" --nouvelle-cle "$work/editeur.pem" >"$work/cle.txt" 2>/dev/null || fail "publier --nouvelle-cle"
"$publier" --nouvelle-cle "$work/intrus.pem" >/dev/null 2>&1 || fail "publier --nouvelle-cle (second key)"
signed="$work/site/signe"
mkdir -p "$signed"
printf '#!/bin/sh\nprintf "jeu 3" > lance.txt\n' >"$signed/Tervanne"
printf 'adresse http://ailleurs.example/\r\n' >"$signed/lanceur.txt"  # left out by publier --cle
"$publier" --cle "$work/intrus.pem" "$signed" 3.0 "Liste signée" >/dev/null 2>&1 || fail "publier --cle (other key)"
other=$(cat "$signed/version.txt"; printf x); other=${other%x}
"$publier" --cle "$work/editeur.pem" "$signed" 3.0 "Liste signée" >/dev/null 2>&1 || fail "publier --cle"
good=$(cat "$signed/version.txt"; printf x); good=${good%x}
sig_line=${good##*$'\n'signature }; sig_line="signature $sig_line"  # the last line
body=${good%"$sig_line"}
[ "$body$sig_line" = "$good" ] && [ ${#sig_line} = 140 ] || fail "publier's signature line: '$sig_line'"
flipped=$(printf '%s' "$good" | python3 -c '
import sys
d = bytearray(sys.stdin.buffer.read())
d[d.index(b"version 3.0") + 10] ^= 1
sys.stdout.buffer.write(d)'; printf x); flipped=${flipped%x}
cases=(
    "un octet changé|$flipped"
    "une autre clé|$other"
    "signature tronquée|${body}${sig_line:0:100}"$'\r\n'
    "signature non hexadécimale|${body}${sig_line:0:136}zz"$'\r\n'
    "ligne de signature déplacée|$sig_line$body"
    "sans signature|$body"
)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http6.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done
config="adresse http://127.0.0.1:$port/signe"$'\r\n'"$(cat "$work/cle.txt")"$'\r\n'
printf '%s' "$config" >"$game/lanceur.txt"
rm -f "$game/lance.txt"
snapshot() { (cd "$game" && for f in *; do echo "$f $(stat -c %Y.%s "$f") $(sha256sum <"$f")"; done); }
before=$(snapshot)
asked() { grep -c 'GET /signe/' "$work/http6.log"; }
refusal_status=""
n=0
for c in "${cases[@]}"; do
    what=${c%%|*}
    printf '%s' "${c#*|}" >"$signed/version.txt"
    start=$(asked)
    start_launcher || continue
    wait_play_enabled || fail "$what: Jouer never enabled"
    [ "$(asked)" = $((start + 1)) ] && grep 'GET /signe/' "$work/http6.log" | tail -1 | grep -q 'version.txt?v=' \
        && pass "$what: only version.txt fetched" || fail "$what: requests $(grep 'GET /signe/' "$work/http6.log" | tail -3)"
    [ "$(snapshot)" = "$before" ] && pass "$what: nothing written" || fail "$what: files changed"
    now=$(status_pixels)
    [ -n "$refusal_status" ] || refusal_status=$now
    [ "$now" = "$refusal_status" ] && [ "$now" != "$closed_status" ] && pass "$what: the refusal text shows" \
        || fail "$what: status text is not the refusal's"
    n=$((n + 1))
    [ "$n" = 1 ] && timeout 10 import -window "$w" "$build_dir/lanceur-linux-refus.png" 2>/dev/null
    if [ "$n" = "${#cases[@]}" ]; then
        click 484 367
        ended
        for _ in $(seq 100); do [ -s "$game/lance.txt" ] && break; sleep 0.1; done
        [ "$rc" = 0 ] && [ "$(cat "$game/lance.txt" 2>/dev/null)" = "jeu 2" ] \
            && pass "after a refusal, Jouer starts the installed game" || fail "after a refusal, Jouer: $rc"
        rm -f "$game/lance.txt"
        before=$(snapshot)
    else
        click 116 367
        ended
        # A launcher that missed the click must not answer for the next case.
        [ "$rc" = running ] && { fail "$what: Quitter did not close the launcher"; kill "$launcher_pid"; wait "$launcher_pid"; launcher_pid=""; }
    fi
done
printf '%s' "$good" >"$signed/version.txt"
start_launcher || exit 1
wait_play_enabled || fail "signed list: Jouer never enabled"
# publier numbered the folder's second list "serie 2", which is remembered.
[ "$(od -An -c "$game/tervanne-version.txt" | tr -s ' \n' ' ')" = " 3 . 0 \r \n s e r i e 2 \r \n " ] \
    && pass "signed list: version 3.0 and serie 2 recorded" \
    || fail "signed list: not installed ($(od -An -c "$game/tervanne-version.txt" | tr -s ' \n' ' '))"
cmp -s "$signed/Tervanne" "$game/Tervanne" && [ -x "$game/Tervanne" ] && pass "signed list: the game replaced" \
    || fail "signed list: the game not replaced"
[ "$(cat "$game/lanceur.txt"; printf x)" = "${config}x" ] && pass "signed list: lanceur.txt and its key kept" \
    || fail "signed list: lanceur.txt changed"
click 116 367
ended
kill "$server_pid" 2>/dev/null; server_pid=""

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    cat "$work/lanceur.log"
    exit 1
fi
echo "all Linux launcher checks passed"
