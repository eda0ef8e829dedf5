#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: test.sh [build folder] [extra cmake args...]
# Builds without debug information and without the benchmarks, which no test runs: a failing
# test names its file and line itself, and the debug information was most of every test
# program's size and of the link time. Extra cmake args come last and may set other flags.
# With KORVANTA_STEP_TIMES=<file>, the build's and the tests' seconds are added to that file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${1:-build}
shift || true
started=$SECONDS
bash scripts/build.sh "$dir" -DKORVANTA_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" "$@"
built=$SECONDS
status=0
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)") || status=$?
if [ -n "${KORVANTA_STEP_TIMES:-}" ]; then
    echo "build $dir: $((built - started)) s" >>"$KORVANTA_STEP_TIMES"
    echo "tests $dir: $((SECONDS - built)) s" >>"$KORVANTA_STEP_TIMES"
fi
exit "$status"
