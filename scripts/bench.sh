#!/usr/bin/env bash
# Installs what is missing, builds Release into build-bench and runs the benchmarks against
# lame and ffmpeg, printing one set of tables:
#   bench.sh [--soak [--soak-minutes N] [--soak-format mp3|wav|wma]] [korvanta-bench options]
# korvanta-bench options: --runs N (default 3), --minutes N (10), --long-minutes N (60),
# --startup-runs N (21), --work DIR.
# --soak adds the soak: an auto-split recording (every 60 s, 30 minutes unless told
# otherwise) in real time through the main window on the virtual sound card.
set -euo pipefail
cd "$(dirname "$0")/.."

soak=0
soak_args=()
args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --soak) soak=1 ;;
        --soak-minutes) soak_args+=(--minutes "$2"); shift ;;
        --soak-format) soak_args+=(--format "$2"); shift ;;
        *) args+=("$1") ;;
    esac
    shift
done

bash scripts/install-deps.sh
dir=build-bench
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DKORVANTA_BENCH=ON -DKORVANTA_SANITIZE=OFF >/dev/null
targets=(korvanta-bench korvanta-minimal-window korvanta-minimal-window-libs korvanta-recorder)
[ "$soak" = 1 ] && targets+=(korvanta-bench-soak)
# Build output goes to stderr, so that stdout holds the tables alone.
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}" 1>&2

status=0
"$dir/korvanta-bench" "${args[@]}" || status=1
if [ "$soak" = 1 ]; then
    echo
    "$dir/korvanta-bench-soak" "${soak_args[@]}" || status=1
fi
exit $status
