#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its stored corpus once (no new fuzzing),
# so an input that once crashed the engine keeps being tried.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz --target mdx_fuzz dbf_fuzz
for target in mdx dbf; do
  mapfile -t inputs < <(find "tests/fuzz/corpus/$target" -type f | sort)
  build/fuzz/${target}_fuzz -timeout=20 "${inputs[@]}" >/tmp/quillon-fuzz-$target.log 2>&1 || {
    tail -n 30 /tmp/quillon-fuzz-$target.log
    echo "The $target fuzz target failed on its corpus."
    exit 1
  }
  echo "Fuzz replay: ${target}_fuzz ran ${#inputs[@]} stored inputs cleanly."
done
