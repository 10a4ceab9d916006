#!/usr/bin/env bash
# Installs every Debian 12 package the game, its data generator and its tests
# need; apt-get runs only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  clang libclang-rt-14-dev
  freeglut3-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libx11-dev
  libbullet-dev libogre-1.12-dev libdevil-dev libsdl2-dev libsdl2-mixer-dev
  lame libmp3lame-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-utils mesa-utils python3 python3-pil
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
