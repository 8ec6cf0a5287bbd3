# Sourced (not run) by the scripts that start the windowed application on a
# virtual display with private folders: the screenshots and the benchmarks.
#
#   source "$root/scripts/private-desktop.sh"
#   private_desktop "$0" "$@"
#
# The first call re-runs the calling script under xvfb-run; inside, it makes
# a private home $work with fresh XDG folders (no session bus), and at exit
# ends the program whose pid is in $app_pid (when set) and removes $work.
private_desktop() {
    local script=$1
    shift
    if [ -z "${TARNWELL_PRIVATE_DESKTOP:-}" ]; then
        export TARNWELL_PRIVATE_DESKTOP=1
        # -noreset: a program started just as the last one ends is not dropped.
        exec xvfb-run -a -s "-screen 0 1366x768x24 -noreset" "$script" "$@"
    fi
    work=$(mktemp -d)
    app_pid=
    trap private_desktop_cleanup EXIT
    export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state \
        XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$work/runtime" "$work/config/Tarnwell" && chmod 700 "$work/runtime"
    unset DBUS_SESSION_BUS_ADDRESS
}

private_desktop_cleanup() {
    if [ -n "${app_pid:-}" ]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
