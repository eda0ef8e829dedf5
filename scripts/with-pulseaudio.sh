#!/usr/bin/env bash
# Runs a command against a private, headless PulseAudio server:
#     with-pulseaudio.sh COMMAND [ARGS...]
#
# The server lives in a fresh runtime directory, so the user's own sound setup is never
# touched. It has one output, the null sink "korvanta_test" (described as "KorvantaTest"),
# whose monitor is its input; the command may load more modules with pactl. The command
# sees PULSE_SERVER pointing at the server, KORVANTA_TEST_SERVER=pulseaudio,
# KORVANTA_TEST_PULSE_PID (to simulate a crash or a hang) and KORVANTA_TEST_SERVER_START, a
# command that starts the server again after it was killed. Every server is stopped by its
# PID when the command ends, however it ends, and the exit code is the command's. Without
# the pulseaudio program the command is not run and the exit code is 77, which ctest
# reports as skipped; with KORVANTA_REQUIRE_SERVERS=1 (as in CI) it is 1, a failure.
# scripts/with-pipewire.sh does the same with PipeWire.
set -uo pipefail

script=$(readlink -f "$0")

# Starts the server and waits until it answers; appends its PID to the runtime directory's
# list. Returns non-zero, with the server's log on stderr, when it does not come up.
start_server() {
    local runtime=$XDG_RUNTIME_DIR
    # HOME only for the server, so that its state files land in the runtime directory too.
    HOME=$runtime PULSE_STATE_PATH=$runtime/state pulseaudio -n --daemonize=no \
        --use-pid-file=no --exit-idle-time=-1 --disallow-exit \
        --load="module-native-protocol-unix auth-cookie=$runtime/cookie" \
        --load="module-null-sink sink_name=korvanta_test sink_properties=device.description=KorvantaTest" \
        --log-target=stderr </dev/null >"$runtime/server.log" 2>&1 &
    local pid=$!
    echo "$pid" >>"$runtime/pids"
    echo "$pid" >"$runtime/server-pid"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    pactl info >/dev/null 2>&1 && return 0
    echo "The test sound server did not start:" >&2
    cat "$runtime/server.log" >&2
    return 1
}

if [ "${1:-}" = "--start-server" ]; then
    # Called by a test, inside a running wrapper, after it killed the server.
    [ -n "${KORVANTA_TEST_RUNTIME:-}" ] && [ "$XDG_RUNTIME_DIR" = "$KORVANTA_TEST_RUNTIME" ] ||
        { echo "--start-server only works inside $0" >&2; exit 2; }
    start_server
    exit $?
fi

if ! command -v pulseaudio >/dev/null 2>&1; then
    if [ "${KORVANTA_REQUIRE_SERVERS:-0}" = 1 ]; then
        echo "FAILED: no PulseAudio (KORVANTA_REQUIRE_SERVERS=1: the servers must be there)"
        exit 1
    fi
    echo "skipped: no PulseAudio (the pulseaudio program is not installed)"
    exit 77
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvanta-pulse.XXXXXX")
chmod 700 "$runtime"
touch "$runtime/pids"

cleanup() {
    local pid
    for pid in $(cat "$runtime/pids"); do
        kill -CONT "$pid" 2>/dev/null  # a test may have left it stopped
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null  # in this shell, or a zombie is left
    done
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

export XDG_RUNTIME_DIR=$runtime
export KORVANTA_TEST_RUNTIME=$runtime
export PULSE_SERVER=unix:$runtime/pulse/native
export PULSE_COOKIE=$runtime/cookie
unset PULSE_SINK PULSE_SOURCE

start_server || exit 1

export KORVANTA_TEST_SERVER=pulseaudio
export KORVANTA_TEST_PULSE_PID=$(cat "$runtime/server-pid")
export KORVANTA_TEST_SERVER_START="bash $script --start-server"
"$@"
exit $?
