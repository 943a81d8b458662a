#!/usr/bin/env bash
# Installs everything the program, its tests and its benchmarks need on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git ccache
  clang clang-format
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
  libgtest-dev libgmock-dev
  fonts-dejavu-core fonts-liberation
  xvfb xauth imagemagick poppler-utils
  python3 python3-dbfread python3-dbf libdbd-xbase-perl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
