#!/bin/bash
# Runs the cross-built Tervanne-lanceur.exe under Wine on a virtual display
# against an HTTP server on 127.0.0.1:
#  1. it updates a folder through WinHTTP (a data file, a new notes file and
#     a new copy of itself), records the version and shows state 2;
#  2. started again with the site closed, it deletes the old copy of itself,
#     touches nothing and shows state 3; its Play button then starts a small
#     stand-in Tervanne.exe in the launcher's folder and the launcher quits;
#  3. with a "cle" line in lanceur.txt (a key made with the openssl tool, so
#     the check does not rest on our own signing code), it refuses a list with
#     a flipped byte, one signed by another key, a truncated or non-hexadecimal
#     signature, a moved signature line and no signature: only version.txt is
#     fetched, nothing is written, the refusal text shows (another text than
#     the closed site's) and Play still starts the installed game; then it
#     installs a correctly signed list and keeps its own lanceur.txt;
#  4. while another process holds the folder's update lock, a launcher waits
#     without fetching anything, and goes on once the lock is given back.
# Screenshots of both windows are written to WINBUILD_DIR/lanceur-etat2.png and
# lanceur-etat3.png for a person to look at. The Quit button closes it.
# Usage: run_wine_launcher_test.sh WINBUILD_DIR
set -u

build_dir=$(cd "${1:?usage: run_wine_launcher_test.sh WINBUILD_DIR}" && pwd)
exe="$build_dir/bin/Tervanne-lanceur.exe"
[ -f "$exe" ] || { echo "FAIL: $exe is missing (build the target Tervanne-lanceur)"; exit 1; }
for tool in wine python3 Xvfb xdotool import sha256sum openssl; do
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

# The pixels of the status text box (36..W-36, 278..318), to tell two texts apart.
status_pixels() { import -window "$1" -crop 548x40+36+278 -depth 8 rgb:- 2>/dev/null | sha256sum | cut -c1-16; }
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
    closed_status=$(status_pixels "$w")
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

# --- 3. Signed lists ------------------------------------------------------------
# A P-256 key pair made by the openssl tool; "cle" is the point 04||X||Y.
openssl ecparam -name prime256v1 -genkey -noout -out "$work/editeur.pem" 2>/dev/null
openssl ecparam -name prime256v1 -genkey -noout -out "$work/intrus.pem" 2>/dev/null
key_hex=$(openssl ec -in "$work/editeur.pem" -pubout -outform DER 2>/dev/null | tail -c 65 | od -An -tx1 | tr -d ' \n')
[ ${#key_hex} = 130 ] || fail "no public key from openssl ($key_hex)"
# signature_of PEM FILE: r||s in hexadecimal, from openssl's DER signature.
signature_of() {
    openssl dgst -sha256 -sign "$1" "$2" | python3 -c '
import sys
d = sys.stdin.buffer.read()
assert d[0] == 0x30
i = 2
out = b""
for _ in range(2):
    assert d[i] == 2
    n = d[i + 1]
    v = d[i + 2:i + 2 + n].lstrip(b"\0")
    out += v.rjust(32, b"\0")
    i += 2 + n
print(out.hex())'
}
signed_site="$work/site/signe"
mkdir -p "$signed_site"
head -c 200000 /dev/urandom >"$signed_site/donnees.bin"
printf 'adresse http://ailleurs.example/\r\n' >"$signed_site/lanceur.txt"
{
    printf 'version 3.0\r\nnote Liste signée\r\n'
    for f in donnees.bin lanceur.txt; do
        printf 'fichier %s %s %s\r\n' "$f" "$(stat -c %s "$signed_site/$f")" "$(sha256sum "$signed_site/$f" | cut -c1-64)"
    done
} >"$work/corps.txt"
good_sig=$(signature_of "$work/editeur.pem" "$work/corps.txt")
other_sig=$(signature_of "$work/intrus.pem" "$work/corps.txt")
[ ${#good_sig} = 128 ] || fail "no signature from openssl"
body=$(cat "$work/corps.txt"; printf x); body=${body%x}
line="signature $good_sig"$'\r\n'
flipped=$(printf '%s' "$body$line" | python3 -c '
import sys
d = bytearray(sys.stdin.buffer.read())
d[d.index(b"version 3.0") + 10] ^= 1  # 3.0 becomes 3.1
sys.stdout.buffer.write(d)'; printf x); flipped=${flipped%x}
cases=(
    "un octet changé|$flipped"
    "une autre clé|${body}signature $other_sig"$'\r\n'
    "signature tronquée|${body}signature ${good_sig:0:100}"$'\r\n'
    "signature non hexadécimale|${body}signature ${good_sig:0:126}zz"$'\r\n'
    "ligne de signature déplacée|$line$body"
    "sans signature|$body"
)
port=$(free_port)
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http3.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done
config=$(printf 'adresse http://127.0.0.1:%s/signe\r\ncle %s\r\n' "$port" "$key_hex")
printf '%s' "$config" >"$game/lanceur.txt"
rm -f "$game/lance.txt"
before=$(snapshot)
asked() { grep -c 'GET /signe/' "$work/http3.log"; }
refusal_status=""
n=0
for c in "${cases[@]}"; do
    what=${c%%|*}
    printf '%s' "${c#*|}" >"$signed_site/version.txt"
    start=$(asked)
    (cd "$game" && exec wine "$game/Tervanne-lanceur.exe") >"$work/wine3.log" 2>&1 &
    launcher_pid=$!
    w=$(wait_window) || { fail "$what: no launcher window"; continue; }
    for _ in $(seq 100); do [ "$(asked)" -gt "$start" ] && break; sleep 0.1; done
    sleep 2
    [ "$(asked)" = $((start + 1)) ] && grep 'GET /signe/' "$work/http3.log" | tail -1 | grep -q 'version.txt?v=' \
        && pass "$what: only version.txt fetched" || fail "$what: requests $(grep 'GET /signe/' "$work/http3.log" | tail -3)"
    [ "$(snapshot)" = "$before" ] && pass "$what: nothing written" || fail "$what: files changed"
    now=$(status_pixels "$w")
    [ -n "$refusal_status" ] || refusal_status=$now
    [ "$now" = "$refusal_status" ] && [ "$now" != "${closed_status:-}" ] && pass "$what: the refusal text shows" \
        || fail "$what: status text is not the refusal's"
    n=$((n + 1))
    if [ "$n" = 1 ]; then
        import -window "$w" "$build_dir/lanceur-refus.png" 2>/dev/null && pass "screenshot lanceur-refus.png" \
            || fail "screenshot of the refusal"
    fi
    if [ "$n" = "${#cases[@]}" ] && [ "$have_game" = 1 ]; then
        xdotool mousemove --window "$w" 484 367 click 1 2>/dev/null
        for _ in $(seq 100); do [ -s "$game/lance.txt" ] && ! kill -0 "$launcher_pid" 2>/dev/null && break; sleep 0.1; done
        [ -s "$game/lance.txt" ] && pass "after a refusal, Play starts the installed game" \
            || fail "after a refusal, Play did not start the game"
        kill -0 "$launcher_pid" 2>/dev/null && quit_launcher "$w" || launcher_pid=""
        rm -f "$game/lance.txt"
    else
        quit_launcher "$w" >/dev/null
    fi
done

# The publisher's own signature: installed, lanceur.txt kept.
printf '%s' "$body$line" >"$signed_site/version.txt"
(cd "$game" && exec wine "$game/Tervanne-lanceur.exe") >"$work/wine4.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 300); do
    [ "$(cat "$game/tervanne-version.txt" 2>/dev/null)" = $'3.0\r' ] && break
    sleep 0.1
done
[ "$(cat "$game/tervanne-version.txt" 2>/dev/null)" = $'3.0\r' ] && pass "signed list: version 3.0 recorded" \
    || fail "signed list not installed"
cmp -s "$signed_site/donnees.bin" "$game/donnees.bin" && pass "signed list: donnees.bin replaced" \
    || fail "signed list: donnees.bin not replaced"
[ "$(cat "$game/lanceur.txt")" = "$config" ] && pass "signed list: lanceur.txt and its key kept" \
    || fail "signed list: lanceur.txt replaced"
grep -q 'GET /signe/lanceur.txt' "$work/http3.log" && fail "lanceur.txt was fetched" || pass "lanceur.txt not fetched"
w=$(wait_window) && quit_launcher "$w"

# --- 4. One lock per folder -------------------------------------------------------
# Another process holds the folder's update lock (the launcher's own code in
# lanceur-verrou.exe, as a second launcher would): the launcher waits in
# "checking" without fetching anything, and goes on once the lock is given back.
holder="$build_dir/bin/lanceur-verrou.exe"
if [ -f "$holder" ]; then
    cp "$holder" "$game/lanceur-verrou.exe"
    rm -f "$game/verrou-pris" "$game/verrou-lache"
    (cd "$game" && exec wine "$game/lanceur-verrou.exe") >"$work/wine5.log" 2>&1 &
    holder_pid=$!
    for _ in $(seq 300); do [ -e "$game/verrou-pris" ] && break; sleep 0.1; done
    [ -e "$game/verrou-pris" ] || fail "the lock holder did not start"
    start=$(asked)
    (cd "$game" && exec wine "$game/Tervanne-lanceur.exe") >"$work/wine6.log" 2>&1 &
    launcher_pid=$!
    w=$(wait_window) || fail "no launcher window while the folder is locked"
    sleep 4
    [ "$(asked)" = "$start" ] && pass "a second launcher of the folder waits for the lock, fetching nothing" \
        || fail "the launcher fetched $(( $(asked) - start )) file(s) while another held the folder"
    touch "$game/verrou-lache"
    wait "$holder_pid" 2>/dev/null
    for _ in $(seq 100); do [ "$(asked)" -gt "$start" ] && break; sleep 0.1; done
    [ "$(asked)" -gt "$start" ] && pass "once the lock is given back, the check goes on" \
        || fail "the check did not go on after the lock was given back"
    [ -n "${w:-}" ] && quit_launcher "$w"
    rm -f "$game/lanceur-verrou.exe" "$game/verrou-pris" "$game/verrou-lache"
else
    fail "$holder is missing (build the target lanceur-verrou)"
fi
kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""

# --- 5. An update cut short anywhere --------------------------------------------
# The game, the server and the launcher itself are replaced. One folder is
# walked through every cut in turn: each start of the launcher is stopped dead
# (TerminateProcess) at the next step, goes on from what the last one left,
# and a last start finishes. After each cut the game is a whole program (the
# old or the new); after the cut in the middle of the self-replacement, which
# leaves no launcher under its name, the game's own start puts it back. The
# folder then holds exactly what an uncut update gives, and no temporary file.
game_exe="$build_dir/bin/Tervanne.exe"
server_exe="$build_dir/bin/tervanne-serveur.exe"
if [ -f "$game_exe" ] && [ -f "$server_exe" ]; then
    cut_site="$work/site/coupures"
    mkdir -p "$cut_site" "$work/depart"
    for f in Tervanne.exe tervanne-serveur.exe Tervanne-lanceur.exe; do
        case $f in Tervanne.exe) src=$game_exe ;; tervanne-serveur.exe) src=$server_exe ;; *) src=$exe ;; esac
        cp "$src" "$work/depart/$f"
        cp "$src" "$cut_site/$f"
        printf 'version 4' >>"$cut_site/$f"  # still a valid program, another digest
    done
    {
        printf 'version 4.0\r\n'
        for f in Tervanne.exe tervanne-serveur.exe Tervanne-lanceur.exe; do
            printf 'fichier %s %s %s\r\n' "$f" "$(stat -c %s "$cut_site/$f")" "$(sha256sum "$cut_site/$f" | cut -c1-64)"
        done
    } >"$cut_site/version.txt"
    port=$(free_port)
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http5.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done
    printf 'adresse http://127.0.0.1:%s/coupures\r\n' "$port" >"$work/depart/lanceur.txt"
    printf '3.0\r\n' >"$work/depart/tervanne-version.txt"
    old_game=$(sha256sum <"$work/depart/Tervanne.exe")
    new_game=$(sha256sum <"$cut_site/Tervanne.exe")
    # What an update leaves, less the game's own files and the launcher's old
    # copy (the next start deletes it).
    release_of() { (cd "$1" && for f in *; do
        case $f in Tervanne-lanceur.exe.ancien|tervanne-journal.txt|tervanne-jeu.verrou|tervanne-options.txt) continue ;; esac
        echo "$f $(sha256sum <"$f")"; done); }
    # start_launcher FOLDER [CUT]: one start; the background job is launcher_pid.
    start_launcher() {
        (cd "$1" && TERVANNE_LANCEUR_COUPURE="${2:-}" exec wine "$1/Tervanne-lanceur.exe") >>"$work/wine7.log" 2>&1 &
        launcher_pid=$!
    }
    finish_uncut() {  # FOLDER: waits for version 4.0, then stops the launcher
        start_launcher "$1"
        for _ in $(seq 300); do [ "$(cat "$1/tervanne-version.txt" 2>/dev/null)" = $'4.0\r' ] && break; sleep 0.1; done
        kill -9 "$launcher_pid" 2>/dev/null; wait "$launcher_pid" 2>/dev/null; launcher_pid=""
        [ "$(cat "$1/tervanne-version.txt" 2>/dev/null)" = $'4.0\r' ]
    }
    cp -r "$work/depart" "$work/sans-coupure"
    finish_uncut "$work/sans-coupure" || fail "the uncut update did not finish"
    expected=$(release_of "$work/sans-coupure")
    walk="$work/coupures"
    cp -r "$work/depart" "$walk"
    # Each start downloads again what is not yet in place, so one cut per start
    # walks every step: the three downloads, the renames of the game and of the
    # server, the launcher moved aside, its rename (just before the version is
    # recorded), then the version file half written.
    for cut in telechargement-1 telechargement-2 telechargement-3 remplacement-1 remplacement-1 lanceur-de-cote \
               remplacement-1 version-a-moitie; do
        start_launcher "$walk" "$cut"
        for _ in $(seq 300); do kill -0 "$launcher_pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$launcher_pid" 2>/dev/null; then
            fail "cut $cut: the launcher never reached that step"
            kill -9 "$launcher_pid" 2>/dev/null
        fi
        wait "$launcher_pid" 2>/dev/null
        code=$?
        launcher_pid=""
        [ "$code" = 137 ] && pass "cut $cut: the launcher was stopped dead there" || fail "cut $cut: exit code $code"
        now_game=$(sha256sum <"$walk/Tervanne.exe" 2>/dev/null)
        [ "$now_game" = "$old_game" ] || [ "$now_game" = "$new_game" ] && pass "cut $cut: Tervanne.exe is a whole program" \
            || fail "cut $cut: Tervanne.exe is neither the old nor the new game"
        if [ ! -e "$walk/Tervanne-lanceur.exe" ]; then
            [ "$cut" = lanceur-de-cote ] || fail "cut $cut: no launcher left"
            # The player starts the game itself: it puts the launcher back first.
            (cd "$walk" && exec wine "$walk/Tervanne.exe") >"$work/wine8.log" 2>&1 &
            game_pid=$!
            for _ in $(seq 300); do grep -q 'Lanceur remis en place' "$walk/tervanne-journal.txt" 2>/dev/null && break; sleep 0.1; done
            kill -0 "$game_pid" 2>/dev/null && pass "cut $cut: the game starts" || fail "cut $cut: the game did not start"
            kill -9 "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; game_pid=""
            [ -e "$walk/Tervanne-lanceur.exe" ] && pass "cut $cut: the game's start put the launcher back" \
                || fail "cut $cut: still no launcher after the game's start"
        fi
    done
    finish_uncut "$walk" && pass "after every cut, the next start finished the update" \
        || fail "the last start did not finish the update"
    [ "$(release_of "$walk")" = "$expected" ] && pass "the folder holds what an uncut update gives" \
        || fail "the cut update differs: $(diff <(echo "$expected") <(release_of "$walk") | head -5)"
    ls "$walk"/*.telechargement >/dev/null 2>&1 && fail "temporary files left: $(ls "$walk")" \
        || pass "no temporary file left after the cuts"
    kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""
else
    fail "$game_exe or $server_exe is missing (build the targets Tervanne and tervanne-serveur)"
fi

echo "screenshots: $build_dir/lanceur-etat2.png $build_dir/lanceur-etat3.png $build_dir/lanceur-refus.png"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all launcher checks passed"
