#!/usr/bin/env bash
# The check service as an administrator gets it from cmake --install:
#  - tarnwell-check.service and .timer land in lib/systemd/system under the
#    prefix, the service running the installed tarnwell-cli (its path set
#    from the prefix given at configure time), and nothing is enabled (no
#    links to a target);
#  - systemd-analyze verify finds nothing wrong with them, on a copy whose
#    ExecStart names the built program.
#
#   units_test.sh BUILD_DIR TARNWELL_CLI INSTALL_PREFIX INSTALLED_CLI
#
# Exits 77 (skipped) when systemd-analyze is not installed.

set -u
usage="usage: units_test.sh BUILD_DIR TARNWELL_CLI INSTALL_PREFIX INSTALLED_CLI"
build=${1:?$usage}
cli=${2:?$usage}
prefix=${3:?$usage}
installed=${4:?$usage}
if ! command -v systemd-analyze >/dev/null; then
    echo "SKIP: systemd-analyze not found"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# The install rules of resources/, where the units are installed from (the
# whole tree's install would need every program built).
if ! DESTDIR=$work/root cmake --install "$build/resources" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install failed"
    exit 1
fi
units=$work/root$prefix/lib/systemd/system
for unit in tarnwell-check.service tarnwell-check.timer; do
    [[ -f $units/$unit ]] || fail "not installed: lib/systemd/system/$unit"
done
grep -qxF "ExecStart=$installed check --alert --prometheus /var/lib/prometheus/node-exporter/tarnwell.prom" \
    "$units/tarnwell-check.service" || fail "ExecStart does not run $installed"
links=$(find "$work/root" -type l -path '*systemd*')
[[ -z $links ]] || fail "installed enabled: $links"

mkdir "$work/units"
sed "s|^ExecStart=$installed |ExecStart=$cli |" "$units/tarnwell-check.service" \
    >"$work/units/tarnwell-check.service"
cp "$units/tarnwell-check.timer" "$work/units/"
# verify exits 0 on many complaints (a line it ignores, an unknown setting):
# whatever it prints is a finding.
findings=$(cd "$work/units" && systemd-analyze verify --man=no tarnwell-check.service \
    tarnwell-check.timer 2>&1)
[[ -z $findings ]] || fail "systemd-analyze verify: $findings"
grep -q "^ExecStart=$cli " "$work/units/tarnwell-check.service" || fail "the copy runs another program"

[[ $failed == 0 ]] && echo "PASS: units installed disabled and verified"
exit $failed
