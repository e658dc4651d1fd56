#!/bin/bash
# Runs the cross-built Tervanne-lanceur.exe under Wine on a virtual display
# against an HTTP server on 127.0.0.1:
#  1. it updates a folder through WinHTTP (a data file, a new notes file and
#     a new copy of itself), records the version and shows state 2;
#  2. started again with the site closed, it deletes the old copy of itself,
#     touches nothing and shows state 3; its Play button then starts a small
#     stand-in Tervanne.exe in the launcher's folder and the launcher quits.
# Screenshots of both windows are written to WINBUILD_DIR/lanceur-etat2.png and
# lanceur-etat3.png for a person to look at. The Quit button closes it.
# Usage: run_wine_launcher_test.sh WINBUILD_DIR
set -u

build_dir=$(cd "${1:?usage: run_wine_launcher_test.sh WINBUILD_DIR}" && pwd)
exe="$build_dir/bin/Tervanne-lanceur.exe"
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the target Tervanne-lanceur)"; exit 1; }
for tool in wine python3 Xvfb xdotool import sha256sum; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

source "$(dirname "$0")/../wine_common.sh"
wine_prepare tervanne-lanceur-wine
xvfb_pid=""
server_pid=""
launcher_pid=""

cleanup() {
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Virtual display of our own.
start_private_display 150 199 1280x800x24 || { echo "FAIL: could not start Xvfb"; exit 1; }

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# The update site: version 2.0 with three files, one of them the launcher.
site="$work/site/depot/tervanne"
game="$work/jeu"
mkdir -p "$site" "$game"
head -c 300000 /dev/urandom >"$site/donnees.bin"
printf 'Nouvelles quêtes à Camelot\r\n' >"$site/notes.txt"
cp "$exe" "$site/Tervanne-lanceur.exe"
printf 'mise-a-jour' >>"$site/Tervanne-lanceur.exe"  # trailing bytes: still a valid program, other digest
{
    printf '# publié pour le test\r\nversion 2.0\r\n'
    printf 'note Une forêt plus dense au nord de Camelot.\r\n'
    printf 'note Le marchand vend de nouveaux arcs.\r\n'
    # Names Windows takes for a device or another file, and the launcher's
    # working names: dropped, so they can neither block nor redirect the update.
    for f in x.telechargement y.ancien CON nul.txt com1.log Tervanne.exe. TERVAN~1.EXE; do
        printf 'fichier %s 3 %s\r\n' "$f" "$(printf abc | sha256sum | cut -c1-64)"
    done
    for f in donnees.bin notes.txt Tervanne-lanceur.exe; do
        printf 'fichier %s %s %s\r\n' "$f" "$(stat -c %s "$site/$f")" "$(sha256sum "$site/$f" | cut -c1-64)"
    done
} >"$site/version.txt"

port=$(free_port)
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done

cp "$exe" "$game/Tervanne-lanceur.exe"
head -c 1000 /dev/zero >"$game/donnees.bin"
printf 'adresse http://127.0.0.1:%s/depot/tervanne\r\n' "$port" >"$game/lanceur.txt"
printf '1.0\r\n' >"$game/tervanne-version.txt"

window_of() { xdotool search --name "Tervanne — lanceur" 2>/dev/null | head -1; }
wait_window() {
    for _ in $(seq 600); do
        w=$(window_of)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}
# Clicks "Quitter" (36..196, 346..388 at 96 dpi) and waits for the launcher to end.
quit_launcher() {
    local w=$1
    xdotool mousemove --window "$w" 116 367 click 1 2>/dev/null
    for _ in $(seq 100); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$launcher_pid" 2>/dev/null; then
        fail "the Quit button did not close the launcher"
        kill "$launcher_pid" 2>/dev/null
    else
        pass "the Quit button closes the launcher"
    fi
    wait "$launcher_pid" 2>/dev/null
    launcher_pid=""
}

# --- 1. Update through WinHTTP ---------------------------------------------
echo "first start in a new Wine prefix (about 10 s)..."
(cd "$game" && exec wine "$game/Tervanne-lanceur.exe") >"$work/wine1.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 900); do
    [ "$(cat "$game/tervanne-version.txt" 2>/dev/null)" = $'2.0\r' ] && break
    sleep 0.1
done
if [ "$(od -An -c "$game/tervanne-version.txt" | tr -s ' ')" = " 2 . 0 \r \n" ]; then
    pass "version 2.0 recorded as \"2.0\" CR LF"
else
    fail "tervanne-version.txt is '$(cat "$game/tervanne-version.txt" 2>/dev/null)'"
fi
sleep 1.5
cmp -s "$site/donnees.bin" "$game/donnees.bin" && pass "donnees.bin replaced" || fail "donnees.bin not replaced"
cmp -s "$site/notes.txt" "$game/notes.txt" && pass "notes.txt added" || fail "notes.txt missing"
cmp -s "$site/Tervanne-lanceur.exe" "$game/Tervanne-lanceur.exe" && pass "the launcher replaced itself" \
    || fail "the launcher was not replaced"
cmp -s "$exe" "$game/Tervanne-lanceur.exe.ancien" && pass "the old launcher kept as .ancien" \
    || fail "no Tervanne-lanceur.exe.ancien"
ls "$game"/*.telechargement >/dev/null 2>&1 && fail "temporary files left behind" || pass "no temporary file left"
grep -q -E 'GET /depot/tervanne/(x\.telechargement|y\.ancien|CON|nul\.txt|com1\.log|Tervanne\.exe\.|TERVAN)' "$work/http.log" \
    && fail "a refused name was fetched" || pass "device and alias names were not fetched"
[ -z "$(cd "$game" && ls | grep -i -E '^(con|nul|com1|y\.ancien|x\.telechargement)')" ] \
    && pass "nothing written under a refused name" || fail "files under refused names: $(ls "$game")"
grep -q 'GET /depot/tervanne/version.txt?v=[0-9]' "$work/http.log" && pass "version.txt asked with ?v=<ticks>" \
    || fail "no version.txt request with a tick query"
digest=$(sha256sum "$site/donnees.bin" | cut -c1-8)
grep -q "GET /depot/tervanne/donnees.bin?v=$digest" "$work/http.log" && pass "file asked with ?v=<digest prefix>" \
    || fail "no donnees.bin?v=$digest request"

w=$(wait_window) || fail "no launcher window"
if [ -n "${w:-}" ]; then
    import -window "$w" "$build_dir/lanceur-etat2.png" 2>/dev/null && pass "screenshot lanceur-etat2.png" \
        || fail "screenshot of state 2"
    geometry=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
    [ "$geometry" = "620x410" ] && pass "client area 620 x 410" || fail "client area is $geometry"
    quit_launcher "$w"
fi

# --- 2. Site closed: nothing touched, state 3, then Play -------------------
kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""
# A stand-in game that notes the folder it was started in.
cat >"$work/jeu.c" <<'SRC'
#include <windows.h>
#include <stdio.h>
int main(void) {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, dir);
    FILE* f = fopen("lance.txt", "w");
    if (f) { fputs(dir, f); fclose(f); }
    return 0;
}
SRC
have_game=0
if x86_64-w64-mingw32-gcc -static -o "$game/Tervanne.exe" "$work/jeu.c" 2>"$work/cc.log"; then
    have_game=1
else
    echo "note: no MinGW C compiler, the Play button is not checked"
fi
snapshot() { (cd "$game" && for f in *; do [ "$f" = Tervanne-lanceur.exe.ancien ] || echo "$f $(stat -c %Y.%s "$f") $(sha256sum <"$f")"; done); }
before=$(snapshot)
(cd "$game" && exec wine "$game/Tervanne-lanceur.exe") >"$work/wine2.log" 2>&1 &
launcher_pid=$!
w=$(wait_window) || fail "no launcher window on the second start"
sleep 4
[ -e "$game/Tervanne-lanceur.exe.ancien" ] && fail ".ancien not deleted at the next start" \
    || pass ".ancien deleted at the next start"
after=$(snapshot)
[ "$before" = "$after" ] && pass "unreachable site: nothing touched" || fail "files changed while the site was closed"
if [ -n "${w:-}" ]; then
    import -window "$w" "$build_dir/lanceur-etat3.png" 2>/dev/null && pass "screenshot lanceur-etat3.png" \
        || fail "screenshot of state 3"
    if [ "$have_game" = 1 ]; then
        # "Jouer": (W-236..W-36, 346..388).
        xdotool mousemove --window "$w" 484 367 click 1 2>/dev/null
        for _ in $(seq 100); do [ -s "$game/lance.txt" ] && ! kill -0 "$launcher_pid" 2>/dev/null && break; sleep 0.1; done
        if [ -s "$game/lance.txt" ]; then
            pass "Play started Tervanne.exe in $(cat "$game/lance.txt")"
            grep -qi 'jeu$' "$game/lance.txt" && pass "the game runs in the launcher's folder" \
                || fail "the game's working folder is $(cat "$game/lance.txt")"
        else
            fail "Play did not start Tervanne.exe"
        fi
        kill -0 "$launcher_pid" 2>/dev/null && { fail "the launcher stayed open after starting the game"; quit_launcher "$w"; } \
            || { pass "the launcher quit after starting the game"; launcher_pid=""; }
    else
        quit_launcher "$w"
    fi
fi

echo "screenshots: $build_dir/lanceur-etat2.png $build_dir/lanceur-etat3.png"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all launcher checks passed"
