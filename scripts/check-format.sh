#!/usr/bin/env bash
# Fails when a C++ source of the program, its tests or its benchmarks is not formatted by .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 'tools/*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/quillon-format.log; then
  grep -E 'warning|error' /tmp/quillon-format.log | sed 's/: warning: code should be clang-formatted.*//' | sort -u | head -n 20
  echo "These files are not formatted: run clang-format -i on them."
  exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format wants them."
