#!/usr/bin/env bash
# Every write of generate, a single post, sort, reindex, pack and create stopped in turn by a kill
# and by an I/O error (strace fault injection), each point judged by the data: see
# stepped_faults.py beside this script.
set -euo pipefail
: "${QUILLON_CLI:?QUILLON_CLI must name the quillon-cli binary}"
exec /usr/bin/python3 "$(dirname "$0")/stepped_faults.py"
