#!/usr/bin/env bash
# Checks the formatting, builds the release build warning-free, replays the fuzz corpora, then builds
# the sanitizer test build (ASan + UBSan, warnings as errors) and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Builds in different clones share the compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
bash scripts/check-format.sh
cmake --preset release >/dev/null
cmake --build --preset release
bash scripts/fuzz-replay.sh
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize
