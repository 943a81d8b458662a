# Sourced by the quillon-cli peer scripts that stop at their first failure (set -e, fail exits): a
# work folder that holds the program folder and the settings (removed at the end), settings with
# dates as mm/dd/yyyy with leading zeros, and fail to stop with a message.
set -euo pipefail
: "${QUILLON_CLI:?QUILLON_CLI must name the quillon-cli binary}"
PY=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLON_HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME/quillon-videos"
printf '[Misc]\r\nDate Format=7\r\nDate Leading Zeros=Yes\r\n' >"$XDG_CONFIG_HOME/quillon-videos/QLNVID.INI"

fail() { echo "FAIL: $*" >&2; exit 1; }
