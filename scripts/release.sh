#!/usr/bin/env bash
# Makes a release from one build: the Windows installer, the Linux archive and
# the update sites' folders for the launchers, into one output folder it
# prints; then checks its own work (tests/release/check_release.sh).
#
#   scripts/release.sh [VERSION] [--adresse URL] [--cle EDITEUR.pem]
#                      [--serie N] [--sortie DOSSIER] [--note TEXTE]... [--sans-verification]
#
# VERSION defaults to 1.0.<number of commits>. --adresse writes a lanceur.txt
# with that update address into the installer and the archive (with the
# "cle" line of --cle when given); --cle signs both sites' version.txt, whose
# series goes on from --serie N (give the last one served plus one).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

version=""
adresse=""
cle=""
sortie=""
verifier=1
notes=()
serie=""
while [ $# -gt 0 ]; do
  case "$1" in
    --adresse) adresse="${2:?--adresse URL}"; shift 2 ;;
    --cle) cle="$(cd "$(dirname "${2:?--cle EDITEUR.pem}")" && pwd)/$(basename "$2")"; shift 2 ;;
    --sortie) sortie="${2:?--sortie DOSSIER}"; shift 2 ;;
    --serie) serie="${2:?--serie N}"; shift 2 ;;
    --note) notes+=("${2:?--note TEXTE}"); shift 2 ;;
    --sans-verification) verifier=0; shift ;;
    -*) echo "option inconnue : $1" >&2; exit 2 ;;
    *) [ -z "$version" ] || { echo "une seule version" >&2; exit 2; }; version="$1"; shift ;;
  esac
done
if [ -z "$version" ]; then
  version="1.0.$(git -C "$root" rev-list --count HEAD 2>/dev/null || echo 0)"
fi
# The launcher keeps at most 31 bytes of a version, up to its first blank.
if ! [[ "$version" =~ ^[0-9][0-9A-Za-z._+-]{0,30}$ ]]; then
  echo "version refusée : « $version » (chiffre d'abord, lettres, chiffres et . _ + - ensuite, 31 au plus)" >&2
  exit 2
fi
# Windows' four-number version: the leading numbers, zeros for the rest.
version4=$(echo "$version" | grep -oE '^[0-9]+(\.[0-9]+){0,3}' || true)
while [ "$(echo "$version4" | tr -cd . | wc -c)" -lt 3 ]; do version4="$version4.0"; done
[ -n "$sortie" ] || sortie="$root/build/release/$version"
mkdir -p "$sortie"
sortie="$(cd "$sortie" && pwd)"
[ -n "$cle" ] && [ ! -f "$cle" ] && { echo "clé introuvable : $cle" >&2; exit 2; }

"$root/scripts/setup.sh"
command -v makensis >/dev/null || {
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends nsis
}
t0=$(date +%s)
"$root/scripts/build.sh" native --target Tervanne Tervanne-lanceur tervanne-serveur publier >/dev/null
"$root/scripts/build.sh" windows --target Tervanne Tervanne-lanceur tervanne-serveur >/dev/null
win="$root/build/windows/bin"
nat="$root/build/native/bin"
publier="$nat/publier"

rm -rf "$sortie/programmes-windows" "$sortie/site-windows" "$sortie/site-linux"
rm -f "$sortie"/Tervanne-*-installation.exe "$sortie"/tervanne-*-linux-x86_64.tar.gz

# The icon as a picture for Linux menus: the 256-pixel image of the .ico.
icon_png() {
  python3 - "$root/platform/win32/tervanne.ico" "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack("<HHH", data[:6])[2]
for i in range(count):
    w, h, _, _, _, _, size, at = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
    if data[at:at + 4] == b"\x89PNG":
        open(sys.argv[2], "wb").write(data[at:at + size])
        sys.exit(0)
sys.exit("no PNG image in the icon")
EOF
}

lanceur_txt() {
  printf 'adresse %s\r\n' "$adresse" >"$1"
  if [ -n "$cle" ]; then
    "$publier" --cle-publique "$cle" | tr -d '\r' | sed 's/$/\r/' >>"$1"
  fi
}

# --- Windows: the programs, the installer, the update site ------------------
progs="$sortie/programmes-windows"
mkdir -p "$progs"
cp "$win/Tervanne.exe" "$win/Tervanne-lanceur.exe" "$win/tervanne-serveur.exe" "$progs/"
cp "$root/README.md" "$progs/README.md"
cp "$root/platform/win32/tervanne.ico" "$progs/tervanne.ico"
python3 "$root/tools/icon/make_wizard.py" "$progs/assistant.bmp"
nsis_args=(-V2 "-DVERSION=$version" "-DVERSION4=$version4" "-DSOURCE=$progs"
           "-DOUTFILE=$sortie/Tervanne-$version-installation.exe")
if [ -n "$adresse" ]; then
  lanceur_txt "$sortie/lanceur.txt"
  nsis_args+=("-DLANCEUR=$sortie/lanceur.txt")
fi
[ -n "${TERVANNE_NSIS_COMPRESSOR:-}" ] && nsis_args+=("-DCOMPRESSOR=$TERVANNE_NSIS_COMPRESSOR")
makensis "${nsis_args[@]}" "$root/installer/tervanne.nsi"

publish() {  # publish FOLDER: version.txt of a site folder, signed when a key is given
  local args=()
  [ -n "$cle" ] && args+=(--cle "$cle")
  [ -n "$serie" ] && args+=(--serie "$serie")
  "$publier" "${args[@]}" "$1" "$version" ${notes[@]+"${notes[@]}"} >/dev/null
}
site="$sortie/site-windows"
mkdir -p "$site"
cp "$progs/Tervanne.exe" "$progs/Tervanne-lanceur.exe" "$progs/tervanne-serveur.exe" "$site/"
publish "$site"

# --- Linux: the archive and its update site ----------------------------------
name="tervanne-$version-linux-x86_64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/tervanne-$version"
mkdir -p "$folder"
cp "$nat/Tervanne" "$nat/Tervanne-lanceur" "$nat/tervanne-serveur" "$folder/"
strip "$folder/Tervanne" "$folder/Tervanne-lanceur" "$folder/tervanne-serveur"
cp "$root/README.md" "$folder/README.md"
icon_png "$folder/tervanne.png"
[ -n "$adresse" ] && lanceur_txt "$folder/lanceur.txt"
cat >"$folder/tervanne.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Tervanne
GenericName=Jeu de rôle
Comment=Jeu de rôle et d'action au temps du roi Arthur
Exec=Tervanne-lanceur
Icon=tervanne
Terminal=false
Categories=Game;RolePlaying;
EOF
# Writes the menu entry with this folder's paths (the archive may be unpacked
# anywhere): ./installer-menu.sh, and ./installer-menu.sh --retirer to undo.
cat >"$folder/installer-menu.sh" <<'EOF'
#!/bin/sh
# Adds Tervanne to your own applications menu (no administrator needed).
set -e
here=$(cd "$(dirname "$0")" && pwd)
apps="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
icons="${XDG_DATA_HOME:-$HOME/.local/share}/icons/hicolor/256x256/apps"
if [ "${1:-}" = "--retirer" ]; then
  rm -f "$apps/tervanne.desktop" "$icons/tervanne.png"
  echo "Tervanne est retiré du menu."
  exit 0
fi
mkdir -p "$apps" "$icons"
cp "$here/tervanne.png" "$icons/tervanne.png"
sed -e "s|^Exec=.*|Exec=\"$here/Tervanne-lanceur\"|" -e "s|^Icon=.*|Icon=$here/tervanne.png|" \
    -e "/^Exec=/a Path=$here" "$here/tervanne.desktop" >"$apps/tervanne.desktop"
chmod +x "$apps/tervanne.desktop"
echo "Tervanne est dans le menu : $apps/tervanne.desktop"
EOF
chmod +x "$folder/installer-menu.sh"
tar -C "$stage" --owner=0 --group=0 --sort=name -czf "$sortie/$name.tar.gz" "tervanne-$version"
site_linux="$sortie/site-linux"
mkdir -p "$site_linux"
cp "$folder/Tervanne" "$folder/Tervanne-lanceur" "$folder/tervanne-serveur" "$site_linux/"
publish "$site_linux"
t1=$(date +%s)

echo "Version $version ($((t1 - t0)) s) :"
for f in "$sortie/Tervanne-$version-installation.exe" "$sortie/$name.tar.gz"; do
  printf '  %-48s %8d Kio\n' "$(basename "$f")" $(( ($(stat -c %s "$f") + 1023) / 1024 ))
done
printf '  %-48s %8d Kio\n' "site-windows/ (à copier sur le site)" "$(du -sk "$site" | cut -f1)"
printf '  %-48s %8d Kio\n' "site-linux/" "$(du -sk "$site_linux" | cut -f1)"
if [ "$verifier" -eq 1 ]; then
  "$root/tests/release/check_release.sh" "$sortie" "$version"
fi
echo "$sortie"
