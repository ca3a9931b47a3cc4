#!/usr/bin/env bash
# Installs, with apt-get, every Debian package that building, running and testing Kelvaro needs.
# Only missing packages are installed; a machine that has them all is left untouched.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick x11-utils
  valgrind
  # A light window manager: one end-to-end test closes and stacks the dialogs under it.
  openbox
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
