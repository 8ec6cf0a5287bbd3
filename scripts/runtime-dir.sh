# Sourced (not run) by the scripts that start Tarnwell's programs (the test
# programs the build lists, the tests, the application):
#
#   source "$root/scripts/runtime-dir.sh"
#
# Where no desktop session set XDG_RUNTIME_DIR (a root shell, ssh, CI), the
# programs get a private one (mode 0700) as a session would give them, so Qt
# neither warns "QStandardPaths: XDG_RUNTIME_DIR not set" nor makes one of
# its own. It is removed when the script ends; a script that sets its own
# EXIT trap calls remove_private_runtime_dir from it.
private_runtime_dir=
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    private_runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-runtime.XXXXXX")
    chmod 700 "$private_runtime_dir"
    export XDG_RUNTIME_DIR=$private_runtime_dir
    trap remove_private_runtime_dir EXIT
fi

remove_private_runtime_dir() {
    if [ -n "$private_runtime_dir" ]; then
        rm -rf "$private_runtime_dir"
    fi
}
