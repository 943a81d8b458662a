#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the program and starts it on its default catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display on this machine, so the window cannot be shown."
  echo "The same default catalogue can be reached with the batch tool, for example:"
  echo "  build/release/quillon-cli info \"\${QUILLON_HOME:-\${XDG_DATA_HOME:-\$HOME/.local/share}/quillon-videos}/MASTER.DBF\""
  echo "  build/release/quillon-cli list \"\${QUILLON_HOME:-\${XDG_DATA_HOME:-\$HOME/.local/share}/quillon-videos}/MASTER.DBF\" --limit 20"
  echo "or, to see the window on a virtual display: xvfb-run -a build/release/quillon"
  home="${QUILLON_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quillon-videos}"
  mkdir -p "$home"
  [ -e "$home/MASTER.DBF" ] || build/release/quillon-cli create "$home/MASTER.DBF"
  build/release/quillon-cli info "$home/MASTER.DBF"
  exit 0
fi
exec build/release/quillon "$@"
