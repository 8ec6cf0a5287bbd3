#!/usr/bin/env bash
# Sets up a fresh machine, builds Tarnwell and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${TARNWELL_BUILD_DIR:-$root/build}
cd "$build"
# The keychain and desktop tests need a D-Bus session with an unlocked
# keyring; the wrapper provides one and removes it afterwards.
exec "$root/scripts/with-test-session.sh" ctest --output-on-failure -j "$(nproc)" "$@"
