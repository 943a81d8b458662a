#!/usr/bin/env bash
# Builds the optimised programs and runs the benchmark over generated catalogues of 100k and 1M
# records (made once under /tmp/quillon-bench, reused by later runs; --fresh makes them again).
# Extra arguments go to quillon-bench (see quillon-bench --help).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target quillon-cli quillon-bench
exec build/release/quillon-bench --cli build/release/quillon-cli "$@"
