#!/usr/bin/env bash
# Installs the Debian 12 packages Tarnwell needs to build, run and test.
# Only missing packages are installed; apt-get runs through sudo when not root.
set -euo pipefail

# Never add dbus-x11: with it, a secret-store call outside a test session
# starts a bus with an invisible keyring prompt and waits for ever.
packages=(
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-svg-dev
    libgtest-dev libbenchmark-dev
    smartmontools python3
    # system-call tracing: the file-write tests kill a check in mid-write, the
    # benchmarks count file accesses
    strace
    # secret store (QtKeychain over the Secret Service) and the drive list file
    qtkeychain-qt6-dev libsecret-1-0 libplist++-dev libplist-dev libplist-utils
    # headless test session: D-Bus, gnome-keyring, virtual display
    gnome-keyring libsecret-tools dbus xvfb xauth
    # mail sender with TLS, and the SMTP server and certificates of the mail tests
    sendemail libio-socket-ssl-perl libnet-ssleay-perl python3-aiosmtpd openssl
    # checks of the desktop entries
    desktop-file-utils
    # printed reports read back, and the report file type as desktops see it
    poppler-utils xdg-utils shared-mime-info libglib2.0-bin
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
