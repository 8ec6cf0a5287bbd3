#!/usr/bin/env bash
# Installs the Debian 12 packages Tarnwell needs to build, run and test.
# Only missing packages are installed. As root apt-get runs directly; as
# another user through sudo when it is installed; otherwise the script says
# what to run and fails. Each step prints one line; apt's own output goes to
# a log file, which is kept and named when a step fails.
set -euo pipefail

# Never add dbus-x11: with it, a secret-store call outside a test session
# starts a bus with an invisible keyring prompt and waits for ever.
packages=(
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
    # compiler cache: the package build (build-package/) reuses what build/ compiled
    ccache
    qt6-base-dev qt6-svg-dev
    # the translations: lupdate and lrelease with their CMake module, and Qt's
    # own French texts (the buttons of standard dialogs) that the tests read
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    libgtest-dev libbenchmark-dev
    smartmontools python3
    # locale sources for localedef (the locale tests build their own locales;
    # nothing is generated system-wide)
    locales
    # system-call tracing: the file-write tests kill a check in mid-write, the
    # benchmarks count file accesses
    strace
    # secret store (QtKeychain over the Secret Service) and the drive list file
    qtkeychain-qt6-dev libsecret-1-0 libplist++-dev libplist-dev libplist-utils
    # headless test session: D-Bus, gnome-keyring, virtual display
    gnome-keyring libsecret-tools dbus xvfb xauth
    # reading disks as a normal user: pkexec and polkit (the real pkexec test
    # starts its own polkitd on a private system bus)
    polkitd pkexec
    # a tray host for the tray monitor under the virtual display, and clicks on it
    trayer xdotool
    # mail sender with TLS, and the SMTP server and certificates of the mail tests
    sendemail libio-socket-ssl-perl libnet-ssleay-perl python3-aiosmtpd openssl
    # checks of the desktop entries
    desktop-file-utils
    # printed reports read back, and the report file type as desktops see it
    poppler-utils xdg-utils shared-mime-info libglib2.0-bin
    # the Prometheus metrics read back by a real parser
    python3-prometheus-client
    # the history of checks: Qt SQL's SQLite driver, and Qt Charts for its
    # window (its CMake files need Qt OpenGL's, which it does not pull in)
    libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev
    # the Debian package (scripts/package.sh) and its checks: lintian, the
    # AppStream validator, and mmdebstrap for a Debian 12 root to install it in
    debhelper lintian appstream mmdebstrap
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} Debian packages are installed"
    exit 0
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}
if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: these Debian packages are missing: ${missing[*]}" >&2
    echo "install-deps: sudo is not installed and this is not root. Run this script as root" >&2
    echo "  (su -c '$0'), or have them installed with:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
fi

log=$(mktemp "${TMPDIR:-/tmp}/tarnwell-install-deps.XXXXXX.log")
# Runs one step with its output in the log: "install-deps: WHAT ... done",
# or the log's errors, its name and the step's exit status.
step() {
    local what=$1
    shift
    printf 'install-deps: %s ... ' "$what"
    local status=0
    "$@" >>"$log" 2>&1 </dev/null || status=$?
    if [ $status -ne 0 ]; then
        echo "FAILED"
        grep -E '^(E|W): ' "$log" | tail -n 10 | sed 's/^/  /' >&2 || true
        echo "install-deps: $what failed (exit status $status); apt's whole output is in $log" >&2
        exit $status
    fi
    echo "done"
}
step "updating the package lists" as_root apt-get update -q
step "installing ${missing[*]}" as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
rm -f "$log"
