#!/usr/bin/env bash
# Configures and builds Tarnwell into build/ (or $TARNWELL_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWELL_BUILD_DIR:-$root/build}
# The build lists the tests of every test program by running it.
source "$root/scripts/runtime-dir.sh"
# ccache, where installed, keeps rebuilds of several checkouts cheap. Paths
# below the checkout hash relative to the compiling folder, whatever the
# folder: build-package/ (scripts/package.sh) then finds what build/ compiled.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
    export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo} \
    "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
