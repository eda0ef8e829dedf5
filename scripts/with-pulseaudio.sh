#!/usr/bin/env bash
# Runs a command against a private, headless PulseAudio server:
#     with-pulseaudio.sh COMMAND [ARGS...]
#
# The server lives in a fresh runtime directory, so the user's own sound setup is never
# touched. It has one output, the null sink "korvanta_test" (described as "KorvantaTest"),
# whose monitor is its input; the command may load more modules with pactl. The command
# sees PULSE_SERVER pointing at the server and KORVANTA_TEST_PULSE_PID (to simulate a crash).
# The server is stopped by its PID when the command ends, however it ends, and the exit
# code is the command's. Without the pulseaudio program the command is not run and the
# exit code is 77, which ctest reports as skipped.
set -uo pipefail

if ! command -v pulseaudio >/dev/null 2>&1; then
    echo "skipped: no PulseAudio (the pulseaudio program is not installed)"
    exit 77
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvanta-pulse.XXXXXX")
chmod 700 "$runtime"
server_pid=""

cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null  # in this shell, or a zombie is left
    fi
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

export XDG_RUNTIME_DIR=$runtime
export PULSE_SERVER=unix:$runtime/pulse/native
export PULSE_COOKIE=$runtime/cookie
unset PULSE_SINK PULSE_SOURCE

# HOME only for the server, so that its state files land in the runtime directory too.
HOME=$runtime PULSE_STATE_PATH=$runtime/state pulseaudio -n --daemonize=no --use-pid-file=no \
    --exit-idle-time=-1 --disallow-exit \
    --load="module-native-protocol-unix auth-cookie=$runtime/cookie" \
    --load="module-null-sink sink_name=korvanta_test sink_properties=device.description=KorvantaTest" \
    --log-target=stderr >"$runtime/server.log" 2>&1 &
server_pid=$!

for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    if ! kill -0 "$server_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "The test sound server did not start:" >&2
    cat "$runtime/server.log" >&2
    exit 1
fi

export KORVANTA_TEST_PULSE_PID=$server_pid
"$@"
exit $?
