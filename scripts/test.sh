#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: test.sh [build folder] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${1:-build}
shift || true
# Line tables are all a test failure or a sanitizer report needs; full debug information
# made most of every test program and of the link time.
bash scripts/build.sh "$dir" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "$@"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
