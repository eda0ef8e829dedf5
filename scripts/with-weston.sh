#!/usr/bin/env bash
# Runs a command as a native Wayland client of a private, headless compositor:
#     with-weston.sh COMMAND [ARGS...]
#
# Weston runs with its headless backend and the pixman (CPU) renderer, so no display, GPU or
# seat is needed, in a fresh runtime directory with a socket of its own; the user's session
# and configuration are never touched. The command sees QT_QPA_PLATFORM=wayland,
# WAYLAND_DISPLAY and XDG_RUNTIME_DIR pointing at it, and no DISPLAY, so Qt cannot fall back
# to X11 unnoticed. The compositor is stopped by its PID when the command ends, however it
# ends, and the exit code is the command's. Without weston or Qt's wayland plugin the
# command is not run and the exit code is 77, which ctest reports as skipped; with
# KORVANTA_REQUIRE_SERVERS=1 (as in CI) it is 1, a failure.
set -uo pipefail

missing() {
    if [ "${KORVANTA_REQUIRE_SERVERS:-0}" = 1 ]; then
        echo "FAILED: $* (KORVANTA_REQUIRE_SERVERS=1: the compositor must be there)"
        exit 1
    fi
    echo "skipped: $*"
    exit 77
}

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
command -v weston >/dev/null 2>&1 || missing "no weston (the weston program is not installed)"
# Qt's wayland platform plugin; without it the command would die at start-up.
plugin_found=0
for dir in $(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null) /usr/lib/*/qt6/plugins; do
    if ls "$dir"/platforms/libqwayland-*.so >/dev/null 2>&1; then
        plugin_found=1
        break
    fi
done
[ "$plugin_found" = 1 ] || missing "no Qt wayland platform plugin (qt6-wayland is not installed)"

runtime=$(mktemp -d "${TMPDIR:-/tmp}/korvanta-weston.XXXXXX")
chmod 700 "$runtime"
socket=korvanta-test
weston_pid=

cleanup() {
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null
        wait "$weston_pid" 2>/dev/null  # in this shell, or a zombie is left
    fi
    rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Root may run weston (CI runs as root); it only needs a runtime directory of mode 0700,
# which /run/user does not provide there, hence the private one.
XDG_RUNTIME_DIR=$runtime env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET \
    weston --backend=headless-backend.so --use-pixman --no-config --idle-time=0 \
    --width=1280 --height=1024 --socket="$socket" --log="$runtime/weston.log" \
    </dev/null >/dev/null 2>&1 &
weston_pid=$!

# Up when the socket exists; a weston that exits first has said why in its log.
for _ in $(seq 200); do
    [ -S "$runtime/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -S "$runtime/$socket" ] || ! kill -0 "$weston_pid" 2>/dev/null; then
    echo "The test compositor did not start:" >&2
    tail -n 20 "$runtime/weston.log" >&2
    exit 1
fi

export XDG_RUNTIME_DIR=$runtime
export WAYLAND_DISPLAY=$socket
export QT_QPA_PLATFORM=wayland
# The headless compositor has no seat. Qt's own text-input support then dereferences the
# missing input device when a test clicks into a line edit; a real session always has one.
export QT_IM_MODULE=none
unset DISPLAY
"$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- the last lines of the compositor's log:"
    tail -n 15 "$runtime/weston.log"
fi
exit $status
