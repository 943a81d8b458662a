#!/usr/bin/env bash
# Speed of export and import through quillon-cli on a generated catalogue:
#   bench/transfer.sh QUILLON_CLI [RECORDS] [IMPORT_RECORDS]
# ASCII export of all forty fields, dBase export of all fields, ASCII import and dBase import
# of IMPORT_RECORDS records (default 100000), and beside them python3-dbfread reading the same
# catalogue and cat of it. Prints seconds per step.
set -euo pipefail
cli=${1:?usage: transfer.sh QUILLON_CLI [RECORDS] [IMPORT_RECORDS]}
records=${2:-1000000}
imports=${3:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLON_HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME/quillon-videos"

seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }

"$cli" generate "$work/BIG.DBF" --records "$records" >/dev/null
"$cli" generate "$work/SMALL.DBF" --records "$imports" --seed 2 >/dev/null
echo "records: $records, import records: $imports"
echo "cat of the table:            $(seconds cat "$work/BIG.DBF")"
echo "dbfread of the table:        $(seconds /usr/bin/python3 -c 'import sys
from dbfread import DBF
n = 0
for r in DBF(sys.argv[1]): n += 1
print(n)' "$work/BIG.DBF")"
echo "ASCII export, all fields:    $(seconds "$cli" export "$work/BIG.DBF" "$work/big.txt")"
echo "dBase export, all fields:    $(seconds "$cli" export "$work/BIG.DBF" "$work/BIGOUT.DBF")"
"$cli" export "$work/SMALL.DBF" "$work/small.txt" --header >/dev/null
"$cli" export "$work/SMALL.DBF" "$work/SMALLOUT.DBF" >/dev/null
"$cli" create "$work/IN1.DBF"
"$cli" create "$work/IN2.DBF"
echo "ASCII import ($imports lines): $(seconds "$cli" import "$work/IN1.DBF" "$work/small.txt" --skip-first)"
echo "dBase import ($imports records): $(seconds "$cli" import "$work/IN2.DBF" "$work/SMALLOUT.DBF")"
