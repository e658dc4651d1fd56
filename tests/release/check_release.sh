#!/bin/bash
# Checks what scripts/release.sh made, as a player and the team would use it:
#  Windows, under Wine in a fresh prefix:
#   1. an installer of a previous release (the same programs, other bytes, an
#      update address on 127.0.0.1) installs silently into the per-user
#      folder: programs, Start-menu shortcuts, the uninstall entry;
#   2. the launcher, started from the Start-menu shortcut, updates that folder
#      from the site served on loopback to this release's files;
#   3. while it runs, the uninstaller refuses and touches nothing;
#   4. this release's installer upgrades in place, keeping the character, the
#      options and tervanne-version.txt;
#   5. the registered quiet uninstall removes programs, shortcuts and entry
#      and keeps the character and the options; /D= installs elsewhere.
#  Linux: the archive unpacks into a folder with a blank in its name, its
#  menu entry installs, and its launcher reads its files and updates the
#  folder from the Linux site.
# Usage: check_release.sh RELEASE_DIR VERSION
set -u
out=$(cd "${1:?usage: check_release.sh RELEASE_DIR VERSION}" && pwd)
version="${2:?version}"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
installer="$out/Tervanne-$version-installation.exe"
archive="$out/tervanne-$version-linux-x86_64.tar.gz"
for tool in wine makensis python3 Xvfb xdotool sha256sum; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -f "$installer" ] || { echo "FAIL: no $installer"; exit 1; }
[ -f "$archive" ] || { echo "FAIL: no $archive"; exit 1; }

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
stage() { echo "[$SECONDS s] $*"; }
check() { local what="$1"; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

source "$root/tests/wine_common.sh"
wine_prepare tervanne-release
# No menu entries of the prefix's shortcuts in the real home.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
server_pid=""
linux_pid=""
cleanup() {
    [ -n "$linux_pid" ] && kill "$linux_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
start_private_display 250 299 1280x800x24 || { echo "FAIL: could not start Xvfb"; exit 1; }

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
port=$(free_port)
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out" >"$work/http.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1',$port),1)" 2>/dev/null && break; sleep 0.1; done

same_files() {  # same_files A B NAME...: each named file is the same in both folders
    local a="$1" b="$2"; shift 2
    for f in "$@"; do cmp -s "$a/$f" "$b/$f" || return 1; done
}
recorded() { [ "$(head -1 "$1/tervanne-version.txt" 2>/dev/null | tr -d '\r')" = "$version" ]; }
# wait_recorded FOLDER TENTHS: until a launcher wrote this version there.
wait_recorded() { for _ in $(seq "$2"); do recorded "$1" && return 0; sleep 0.1; done; return 1; }
no_leftovers() { ! ls "$1"/*.telechargement "$1"/*.ancien >/dev/null 2>&1; }
programs=(Tervanne.exe Tervanne-lanceur.exe tervanne-serveur.exe)

# --- Windows ---------------------------------------------------------------
wine wineboot -i >/dev/null 2>&1
wineserver -w
# cmd echoes the quotes of a path with blanks: they are dropped.
unix_of() { winepath -u "$(wine cmd /c echo "$1" 2>/dev/null | tr -d '\r"')" 2>/dev/null; }
dest=$(unix_of '%LOCALAPPDATA%\Programs\Tervanne')
menu=$(unix_of '%APPDATA%\Microsoft\Windows\Start Menu\Programs\Tervanne')
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tervanne'
reg_value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$1 == k { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }

# The previous release: the same programs with other bytes (still valid
# programs), pointed at the loopback site.
previous="0.0.1-essai"
prev="$work/precedente"
mkdir -p "$prev"
cp "$out/programmes-windows/"* "$prev/"
for f in "${programs[@]}"; do printf 'version-precedente' >>"$prev/$f"; done
printf 'adresse http://127.0.0.1:%s/site-windows\r\n' "$port" >"$work/lanceur.txt"
makensis -V1 -DVERSION="$previous" -DVERSION4=0.0.1.0 -DSOURCE="$prev" -DCOMPRESSOR=zlib \
    -DOUTFILE="$work/precedente.exe" -DLANCEUR="$work/lanceur.txt" "$root/installer/tervanne.nsi" \
    || fail "the previous release's installer was not made"

stage "1. silent install of $previous..."
wine "$work/precedente.exe" /S
rc=$?
wineserver -w
check "the installer ends with code 0" [ "$rc" -eq 0 ]
check "programs in %LOCALAPPDATA%\\Programs\\Tervanne" same_files "$prev" "$dest" "${programs[@]}" README.md
check "lanceur.txt installed" cmp -s "$work/lanceur.txt" "$dest/lanceur.txt"
check "tervanne-version.txt is $previous" [ "$(tr -d '\r' <"$dest/tervanne-version.txt" 2>/dev/null)" = "$previous" ]
check "Start-menu shortcuts Tervanne and Tervanne – serveur" \
    [ -f "$menu/Tervanne.lnk" -a -f "$menu/Tervanne – serveur.lnk" ]
check "no desktop shortcut unless ticked" [ ! -e "$(unix_of '%USERPROFILE%\Desktop')/Tervanne.lnk" ]
check "uninstall entry: DisplayName, version, publisher" \
    [ "$(reg_value DisplayName)" = "Tervanne" -a "$(reg_value DisplayVersion)" = "$previous" -a -n "$(reg_value Publisher)" ]
quiet=$(reg_value QuietUninstallString)
check "uninstall entry: UninstallString, QuietUninstallString /S, icon, size" \
    [ -n "$(reg_value UninstallString)" -a "${quiet% /S}" != "$quiet" -a -n "$(reg_value DisplayIcon)" -a -n "$(reg_value EstimatedSize)" ]
# A player's files, as the game writes them.
printf 'nom Guenièvre\r\nniveau 3\r\n' >"$dest/tervanne-perso-1.txt"
printf 'volume_general 0.5\r\n' >"$dest/tervanne-options.txt"

stage "2. the launcher from the Start menu updates to $version..."
target=$(python3 - "$menu/Tervanne.lnk" <<'EOF'
import re, sys
data = open(sys.argv[1], "rb").read()
# The target's full path is stored as text in the link (ANSI in the link
# info, UTF-16 in the string data); the item list beside it is binary.
path = re.compile(r"[A-Za-z]:\\(?:[\w .()-]+\\)*Tervanne-lanceur\.exe", re.I)
for text in (data.decode("utf-16-le", "ignore"), data[1:].decode("utf-16-le", "ignore"), data.decode("latin-1")):
    found = path.search(text)
    if found:
        print(found.group(0))
        break
EOF
)
check "the shortcut's target is the installed launcher ($target)" \
    [ "$(winepath -u "$target" 2>/dev/null)" = "$dest/Tervanne-lanceur.exe" ]
timeout 60 wine start /unix "$menu/Tervanne.lnk" >"$work/start.log" 2>&1
check "the launcher recorded version $version" wait_recorded "$dest" 600
sleep 1
check "the folder holds this release's programs" same_files "$out/site-windows" "$dest" "${programs[@]}"
wineserver -k; wineserver -w

stage "3. the uninstaller refuses while the launcher runs..."
(cd "$dest" && exec wine "$dest/Tervanne-lanceur.exe") >"$work/lanceur.log" 2>&1 &
for _ in $(seq 300); do xdotool search --name "Tervanne — lanceur" >/dev/null 2>&1 && break; sleep 0.1; done
wine "$dest/desinstaller.exe" /S "_?=$(winepath -w "$dest")"
rc=$?
check "refused (code $rc)" [ "$rc" -ne 0 ]
check "nothing removed while it runs" same_files "$out/site-windows" "$dest" "${programs[@]}"
check "the entry stays" [ "$(reg_value DisplayName)" = "Tervanne" ]
wineserver -k; wineserver -w
check "the launcher cleaned up after itself" no_leftovers "$dest"

stage "4. upgrade in place with this release's installer..."
version_before=$(cat "$dest/tervanne-version.txt")
wine "$installer" /S
rc=$?
wineserver -w
check "the installer ends with code 0" [ "$rc" -eq 0 ]
check "programs of $version" same_files "$out/programmes-windows" "$dest" "${programs[@]}" README.md
check "the character and the options are kept" \
    [ "$(head -1 "$dest/tervanne-perso-1.txt" 2>/dev/null)" = $'nom Guenièvre\r' -a -f "$dest/tervanne-options.txt" ]
check "tervanne-version.txt kept" [ "$(cat "$dest/tervanne-version.txt")" = "$version_before" ]
check "the entry says $version" [ "$(reg_value DisplayVersion)" = "$version" ]

stage "5. quiet uninstall, as the system's list of apps runs it..."
eval "wine $(reg_value QuietUninstallString | sed 's/\\/\\\\/g')"
wineserver -w
left=$(cd "$dest" 2>/dev/null && ls | tr '\n' ' ')
check "programs removed, the character and options kept (left: $left)" \
    [ "$left" = "tervanne-options.txt tervanne-perso-1.txt tervanne-version.txt " ]
check "shortcuts removed" [ ! -e "$menu" ]
check "uninstall entry removed" [ -z "$(reg_value DisplayName)" ]
other=$(unix_of 'C:\Jeux\Tervanne')
wine "$installer" /S '/D=C:\Jeux\Tervanne'
wineserver -w
check "/D= installs into another folder" same_files "$out/programmes-windows" "$other" "${programs[@]}"
check "the entry points at it" [ "$(reg_value InstallLocation)" = 'C:\Jeux\Tervanne' ]
wineserver -k

# --- Linux -----------------------------------------------------------------
stage "6. the Linux archive..."
place="$work/mes jeux"
mkdir -p "$place"
tar -C "$place" -xzf "$archive" || fail "the archive does not unpack"
game="$place/tervanne-$version"
check "the game, launcher and server are runnable" \
    [ -x "$game/Tervanne" -a -x "$game/Tervanne-lanceur" -a -x "$game/tervanne-serveur" ]
check "README, icon and menu entry" [ -f "$game/README.md" -a -f "$game/tervanne.png" -a -f "$game/tervanne.desktop" ]
XDG_DATA_HOME="$work/xdg" "$game/installer-menu.sh" >/dev/null
check "the menu entry installs with this folder's launcher" \
    grep -qF "Exec=\"$game/Tervanne-lanceur\"" "$work/xdg/applications/tervanne.desktop"
missing=$(ldd "$game/Tervanne" "$game/Tervanne-lanceur" "$game/tervanne-serveur" 2>&1 | grep -c "not found")
check "every library is found" [ "$missing" -eq 0 ]
# One program differs from the site: the launcher must fetch it back.
printf 'x' >>"$game/tervanne-serveur"
printf 'adresse http://127.0.0.1:%s/site-linux\n' "$port" >"$game/lanceur.txt"
(cd / && exec "$game/Tervanne-lanceur") >"$work/linux.log" 2>&1 &
linux_pid=$!
check "the Linux launcher read its files and recorded $version" wait_recorded "$game" 300
check "the changed program was fetched back" same_files "$out/site-linux" "$game" Tervanne Tervanne-lanceur tervanne-serveur
check "the fetched program is runnable" [ -x "$game/tervanne-serveur" ]
kill "$linux_pid" 2>/dev/null; wait "$linux_pid" 2>/dev/null; linux_pid=""

if [ "$failures" -eq 0 ]; then echo "release check: all passed"; else echo "release check: $failures failed"; fi
exit $((failures > 0))
