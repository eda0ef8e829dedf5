#!/usr/bin/env bash
# Runs a command against a private, headless PipeWire with its PulseAudio service:
#     with-pipewire.sh COMMAND [ARGS...]
#
# The counterpart of with-pulseaudio.sh, for the sound server most desktops run now. A
# private session bus, pipewire, wireplumber and pipewire-pulse live in a fresh runtime
# directory (their configuration and state too), so the user's own sound setup is never
# touched. The one output is the null sink "korvanta_test" (described as "KorvantaTest"),
# whose monitor is its input, and both are the defaults. The graph runs at 44100 Hz, so
# what is played at that rate comes back sample for sample; KORVANTA_PIPEWIRE_RATE=none
# leaves the rate to PipeWire (48000 Hz) instead.
#
# The command sees PULSE_SERVER pointing at pipewire-pulse, KORVANTA_TEST_SERVER=pipewire,
# KORVANTA_TEST_PULSE_PID (the PID of pipewire-pulse, to simulate a crash or a hang) and
# KORVANTA_TEST_SERVER_START, a command that starts pipewire-pulse again (with the null
# sink) after it was killed. Every process is stopped by its PID when the command ends,
# however it ends, and the exit code is the command's. Where PipeWire is not installed or
# cannot start, the script says why and exits 77, which ctest reports as skipped; with
# KORVANTA_REQUIRE_SERVERS=1 (as in CI) it exits 1 instead.
set -uo pipefail

script=$(readlink -f "$0")

# A missing or broken server is a skip (77), unless KORVANTA_REQUIRE_SERVERS=1 says the
# servers must be there (CI sets it), where it is a failure.
skip() {
    if [ "${KORVANTA_REQUIRE_SERVERS:-0}" = 1 ]; then
        echo "FAILED: $* (KORVANTA_REQUIRE_SERVERS=1: the servers must be there)"
        exit 1
    fi
    echo "skipped: $*"
    exit 77
}

# Runs a daemon in place of the calling (background) subshell, so that $! is its PID. The
# daemons stay off the user's display (PipeWire would ring its X11 bell there).
daemon() {
    exec env -u DISPLAY -u WAYLAND_DISPLAY "$@" </dev/null
}

# Whether a process is alive (a zombie, left for init to reap, is not).
alive() {
    kill -0 "$1" 2>/dev/null && ! grep -q ') Z ' "/proc/$1/stat" 2>/dev/null
}

# Starts pipewire-pulse, waits until it answers, and loads the null sink. Appends the PID
# to the runtime directory's list; returns non-zero (with the reason on stderr) on failure.
start_pulse_service() {
    daemon pipewire-pulse >>"$XDG_RUNTIME_DIR/pipewire-pulse.log" 2>&1 &
    local pid=$!
    echo "$pid" >>"$XDG_RUNTIME_DIR/pids"
    echo "$pid" >"$XDG_RUNTIME_DIR/pulse-pid"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        alive "$pid" || break
        sleep 0.05
    done
    if ! pactl info >/dev/null 2>&1; then
        echo "pipewire-pulse did not start:" >&2
        tail -n 20 "$XDG_RUNTIME_DIR/pipewire-pulse.log" >&2
        return 1
    fi
    pactl load-module module-null-sink sink_name=korvanta_test \
        sink_properties=device.description=KorvantaTest >/dev/null || return 1
    # wireplumber makes the only sink the default a moment after it appears.
    for _ in $(seq 100); do
        [ "$(pactl get-default-sink 2>/dev/null)" = korvanta_test ] &&
            [ "$(pactl get-default-source 2>/dev/null)" = korvanta_test.monitor ] && return 0
        sleep 0.05
    done
    echo "the null sink did not become the default: $(pactl get-default-sink 2>&1)" >&2
    return 1
}

if [ "${1:-}" = "--start-server" ]; then
    # Called by a test, inside a running wrapper, after it killed pipewire-pulse.
    [ -n "${KORVANTA_TEST_RUNTIME:-}" ] && [ "$XDG_RUNTIME_DIR" = "$KORVANTA_TEST_RUNTIME" ] ||
        { echo "--start-server only works inside $0" >&2; exit 2; }
    start_pulse_service
    exit $?
fi

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
for program in pipewire wireplumber pipewire-pulse dbus-daemon pactl pw-metadata; do
    command -v "$program" >/dev/null 2>&1 ||
        skip "no PipeWire test setup (the $program program is not installed)"
done

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvanta-pipewire.XXXXXX")
chmod 700 "$runtime"
touch "$runtime/pids"

cleanup() {
    local pid
    # Newest first: the PulseAudio service, then the session manager, PipeWire, the bus.
    for pid in $(tac "$runtime/pids"); do
        kill -CONT "$pid" 2>/dev/null  # a test may have left it stopped
        kill "$pid" 2>/dev/null
    done
    for pid in $(tac "$runtime/pids"); do
        for _ in $(seq 50); do
            alive "$pid" || break
            sleep 0.02
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null  # in this shell, or a zombie is left
    done
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

export XDG_RUNTIME_DIR=$runtime
export XDG_CONFIG_HOME=$runtime/config
export XDG_STATE_HOME=$runtime/state
export XDG_DATA_HOME=$runtime/data
export KORVANTA_TEST_RUNTIME=$runtime
export PULSE_SERVER=unix:$runtime/pulse/native
unset PULSE_SINK PULSE_SOURCE PULSE_COOKIE PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$runtime/bus" 2>"$runtime/dbus.log") ||
    skip "the session bus did not start: $(cat "$runtime/dbus.log")"
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
sed -n 2p <<<"$bus" >>"$runtime/pids"

daemon pipewire >"$runtime/pipewire.log" 2>&1 &
echo $! >>"$runtime/pids"
for _ in $(seq 100); do
    [ -S "$runtime/pipewire-0" ] && break
    sleep 0.05
done
if [ ! -S "$runtime/pipewire-0" ]; then
    echo "PipeWire did not start:"
    tail -n 20 "$runtime/pipewire.log"
    skip "PipeWire cannot run here"
fi
# At level 3 the session manager logs each default it chooses, which a failing test prints.
daemon WIREPLUMBER_DEBUG="${WIREPLUMBER_DEBUG:-3}" wireplumber >"$runtime/wireplumber.log" 2>&1 &
echo $! >>"$runtime/pids"

if ! start_pulse_service; then
    tail -n 20 "$runtime/wireplumber.log"
    skip "PipeWire's PulseAudio service cannot run here"
fi
if [ "${KORVANTA_PIPEWIRE_RATE:-44100}" != none ]; then
    pw-metadata -n settings 0 clock.force-rate "${KORVANTA_PIPEWIRE_RATE:-44100}" >/dev/null ||
        skip "the graph's rate cannot be set"
fi

export KORVANTA_TEST_SERVER=pipewire
export KORVANTA_TEST_PULSE_PID=$(cat "$runtime/pulse-pid")
export KORVANTA_TEST_SERVER_START="bash $script --start-server"
"$@"
status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    # What the servers said helps to tell a fault of ours from the session manager's choice.
    echo "--- the session manager's last choices of defaults, and its warnings:"
    grep -E 'default node|^[EWC] ' "$runtime/wireplumber.log" | tail -n 20
    echo "--- the last lines of pipewire-pulse's log:"
    tail -n 15 "$runtime/pipewire-pulse.log"
fi
exit $status
