#!/usr/bin/env bash
# Builds the Debian package build/tarnwell_VERSION_ARCH.deb with debhelper
# (debian/). The programs are built in build-package/, configured for /usr,
# since the smartctl helper's path is compiled in from the install prefix;
# with the compiler flags of build/, ccache gives back every object that
# build/ compiled. Needs the packages of scripts/install-deps.sh; neither
# root nor fakeroot (Rules-Requires-Root: no).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
if ! dpkg-checkbuilddeps; then
    echo "package: FAILED: build dependencies are missing (scripts/install-deps.sh installs them)"
    exit 1
fi
start=$SECONDS
mkdir -p build
rm -f build/tarnwell_*.deb
# What an earlier run left in debian/; build-package/ itself is kept, so a
# rebuild is incremental.
rm -rf debian/.debhelper debian/tarnwell debian/files debian/*.substvars \
    debian/debhelper-build-stamp debian/*.debhelper.log
export DEB_BUILD_OPTIONS="noautodbgsym nocheck ${DEB_BUILD_OPTIONS:-}"
export DEB_RULES_REQUIRES_ROOT=no
export TARNWELL_DEB_DESTDIR=$root/build
if command -v ccache >/dev/null 2>&1; then
    # debhelper gives the build a HOME of its own: ccache keeps the user's
    # cache and settings. Paths below the checkout hash relative to the
    # compiling folder, so the objects of build/ and build-package/ are the
    # same to ccache.
    export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    config=${CCACHE_CONFIGPATH:-${XDG_CONFIG_HOME:-$HOME/.config}/ccache/ccache.conf}
    [ -f "$config" ] && export CCACHE_CONFIGPATH=$config
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
    export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
debian/rules binary >build/package.log 2>&1 || {
    status=$?
    tail -n 40 build/package.log
    echo "package: FAILED: debian/rules binary (exit status $status; build/package.log)"
    exit $status
}
deb=$(ls build/tarnwell_*.deb)
echo "package: $deb, $(du -k "$deb" | cut -f1) KiB, built in $((SECONDS - start)) s"
