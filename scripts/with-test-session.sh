#!/usr/bin/env bash
# Runs a command (by default the test suite's) inside a private desktop-like
# session: a fresh D-Bus session bus, an unlocked gnome-keyring answering as
# the Secret Service (org.freedesktop.secrets), fresh XDG folders so that no
# keyring or setting of the person running it is touched, and a virtual X
# display when xvfb-run is there. The keyring daemon is stopped afterwards.
#
#   scripts/with-test-session.sh COMMAND [ARGUMENT...]
#
# Without dbus-run-session or gnome-keyring-daemon the command runs as it is;
# tests that need the session then skip with a message. Tests that may write
# to a keyring look for TARNWELL_TEST_SESSION=1, which only this script sets.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

# Second stage, inside dbus-run-session: start and unlock the keyring.
if [ "${1:-}" = "--inside-session" ]; then
    shift
    keyring_log="$TARNWELL_SESSION_DIR/gnome-keyring.log"
    # The keyring password is fixed and only protects this throw-away keyring.
    printf '%s' 'tarnwell-test-keyring' |
        gnome-keyring-daemon --foreground --unlock --components=secrets >"$keyring_log" 2>&1 &
    daemon=$!
    stop_daemon() {
        kill "$daemon" 2>/dev/null || true
        wait "$daemon" 2>/dev/null || true
    }
    trap stop_daemon EXIT

    ready=0
    for _ in $(seq 1 100); do # at most about 10 seconds
        if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
            grep -q 'boolean true'; then
            ready=1
            break
        fi
        if ! kill -0 "$daemon" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [ "$ready" = 1 ]; then
        export TARNWELL_TEST_SESSION=1
    else
        echo "with-test-session: the Secret Service did not start; keychain tests will skip" >&2
        sed 's/^/  gnome-keyring: /' "$keyring_log" >&2 || true
    fi
    status=0
    "$@" || status=$?
    exit "$status"
fi

if ! command -v dbus-run-session >/dev/null 2>&1 || ! command -v gnome-keyring-daemon >/dev/null 2>&1 ||
    ! command -v dbus-send >/dev/null 2>&1; then
    echo "with-test-session: dbus-run-session, dbus-send or gnome-keyring-daemon missing;" \
        "running without a session (keychain tests will skip)" >&2
    exec "$@"
fi

session_dir=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-session.XXXXXX")
cleanup() { rm -rf "$session_dir"; }
trap cleanup EXIT
mkdir -p "$session_dir"/{runtime,data,config,cache,state}
chmod 700 "$session_dir/runtime"
export TARNWELL_SESSION_DIR="$session_dir"
export XDG_RUNTIME_DIR="$session_dir/runtime"
export XDG_DATA_HOME="$session_dir/data"
export XDG_CONFIG_HOME="$session_dir/config"
export XDG_CACHE_HOME="$session_dir/cache"
export XDG_STATE_HOME="$session_dir/state"
# The session's tools (the keyring, the bus, Python, the test programs) need a
# UTF-8 locale; a shell without one (no LANG at all, or a non-UTF-8 LC_ALL)
# gets C.UTF-8, which every Debian system has without the locales package.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
*.UTF-8 | *.utf8 | *.UTF8 | *.utf-8) ;;
*)
    unset LC_ALL LC_CTYPE
    export LANG=C.UTF-8
    ;;
esac
# A desktop setting inherited from outside must not pick another keyring.
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_KEYRING_CONTROL \
    KDE_FULL_SESSION KDE_SESSION_VERSION

self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
command=(dbus-run-session -- bash "$self" --inside-session "$@")
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1 && command -v xauth >/dev/null 2>&1; then
    # -noreset: by default the server resets when its last client leaves,
    # and drops a program that connects meanwhile ("cannot open display"):
    # between two tests, the next test's trayer.
    command=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "${command[@]}")
fi
status=0
"${command[@]}" || status=$?
exit "$status"
