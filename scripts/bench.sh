#!/usr/bin/env bash
# Installs what is missing, builds Release into build-bench and runs the benchmarks against
# lame, ffmpeg and GStreamer, printing one set of tables:
#   bench.sh [--stress] [--soak [--soak-minutes N] [--soak-format mp3|wav|wma]]
#            [korvanta-bench options]
# korvanta-bench options: --runs N (default 3), --minutes N (10), --long-minutes N (60),
# --startup-runs N (21), --work DIR, --live-seconds N (60), --live-runs N (2),
# --stress-minutes N, --live-only (the live tables, and the stress run if asked for, alone),
# --startup-only (the start-up table alone, in a few seconds), --playback-only (the live
# playback table alone, in about 5 minutes).
# The live tables record and play in real time through a private headless PulseAudio server
# (scripts/with-pulseaudio.sh), the whole program against bare pipelines.
# --stress adds the stress run: 5-minute recordings on the virtual sound card and on the
# sound server beside two CPU hogs (stress-ng --cpu 2), reporting dropped frames.
# --soak adds the soak: an auto-split recording (every 60 s, 30 minutes unless told
# otherwise) in real time through the main window on the virtual sound card.
# The listening rows (unless --startup-only): the whole window shown offscreen on the "Record Sound" tab
# with the spectrum in view, stopped with the input level shown and with a 30-second
# pre-record, and recording with the pre-record off and on; once on the virtual sound card,
# once on its own headless PulseAudio with the test signal playing into the null sink.
# --listening-seconds N (20) and --listening-runs N (2) set each measurement's length and
# how many times it is made (the best counts).
set -euo pipefail
cd "$(dirname "$0")/.."

soak=0
stress=0
soak_args=()
listen_args=()
listening=1
args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --soak) soak=1 ;;
        --stress) stress=1 ;;
        --soak-minutes) soak_args+=(--minutes "$2"); shift ;;
        --soak-format) soak_args+=(--format "$2"); shift ;;
        --listening-seconds) listen_args+=(--seconds "$2"); shift ;;
        --listening-runs) listen_args+=(--runs "$2"); shift ;;
        --startup-only|--playback-only) listening=0; args+=("$1") ;;
        *) args+=("$1") ;;
    esac
    shift
done

bash scripts/install-deps.sh
dir=build-bench
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DKORVANTA_BENCH=ON -DKORVANTA_SANITIZE=OFF >/dev/null
targets=(korvanta-bench korvanta-minimal-window korvanta-recorder korvanta-bench-listening)
{ [ "$soak" = 1 ] || [ "$stress" = 1 ]; } && targets+=(korvanta-bench-soak)
[ "$stress" = 1 ] && args+=(--stress-minutes 5)
# Build output goes to stderr, so that stdout holds the tables alone.
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}" 1>&2

status=0
bash scripts/with-pulseaudio.sh "$dir/korvanta-bench" "${args[@]}" || status=1
if [ "$listening" = 1 ]; then
    echo
    echo "Listening: the window shown offscreen on the Record Sound tab, spectrum in view;"
    echo "CPU time of the whole process (targets: idle under 1 % of one core, pre-record within 10 %)"
    "$dir/korvanta-bench-listening" "${listen_args[@]}" || status=1
    KORVANTA_AUDIO=pulse bash scripts/with-pulseaudio.sh \
        "$dir/korvanta-bench-listening" "${listen_args[@]}" || status=1
fi
if [ "$soak" = 1 ]; then
    echo
    "$dir/korvanta-bench-soak" "${soak_args[@]}" || status=1
fi
exit $status
