#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, only when missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache python3 zlib1g-dev
  libsdl2-dev libcurl4-openssl-dev libssl-dev libfreetype-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libgtest-dev libbenchmark-dev
  xvfb mesa-utils xdotool imagemagick x11-utils
  g++-mingw-w64-x86-64-posix wine wine64 openssl nsis
  fonts-dejavu-core fonts-dejavu-extra clang libclang-rt-14-dev
)
if [ "${1:-}" = "--game-only" ]; then
  packages=(cmake ninja-build g++ pkg-config ccache libsdl2-dev libcurl4-openssl-dev libssl-dev libfreetype-dev
            libegl-dev libgl-dev libgl1-mesa-dri fonts-dejavu-core fonts-dejavu-extra libgtest-dev libbenchmark-dev zlib1g-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation : ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
