#!/usr/bin/env bash
# Sets up a fresh machine, builds Tarnwell and runs its main job.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${TARNWELL_BUILD_DIR:-$root/build}
exec "$build/cli/tarnwell-cli" report "$root/resources/samples/healthy.twdr" "$@"
