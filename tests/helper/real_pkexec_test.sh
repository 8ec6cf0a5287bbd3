#!/usr/bin/env bash
# Runs the real pkexec, as the unprivileged user nobody, against Tarnwell's
# polkit policy (naming the test build of the helper), with a polkitd of its
# own on a private system bus. Everything lives in a private mount namespace:
# the bus socket, the actions and the rules folder are mounted over the
# system's there only, so nothing of the host is changed. Where that cannot
# be set up the test is skipped (exit status 77) with the reason.
#
#   real_pkexec_test.sh HELPER STAND-IN DEVICE-FOLDER POLICY-TEMPLATE
set -uo pipefail

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*"
    for file in "$work"/out "$work"/err; do
        [ -s "$file" ] && sed "s|^|  $(basename "$file"): |" "$file"
    done
    exit 1
}

if [ "${1:-}" != --inside ]; then
    [ $# -eq 4 ] || { echo "usage: $0 HELPER STAND-IN DEVICE-FOLDER POLICY-TEMPLATE" >&2; exit 2; }
    polkitd=/usr/lib/polkit-1/polkitd
    [ "$(id -u)" = 0 ] || skip "needs root to start a private system bus and polkitd"
    for tool in unshare setpriv mount dbus-daemon dbus-send mknod; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
    [ -x "$polkitd" ] || skip "polkitd is not installed (Debian package polkitd)"
    [ -u /usr/bin/pkexec ] || skip "pkexec is not installed setuid root (Debian package pkexec)"
    getent passwd nobody >/dev/null || skip "there is no user nobody to run pkexec as"
    for folder in /run/dbus /usr/share/polkit-1/actions /etc/polkit-1/rules.d; do
        [ -d "$folder" ] || skip "$folder is missing, so nothing can be mounted over it"
    done
    said=$(unshare -m --propagation private true 2>&1) ||
        skip "cannot make a private mount namespace: ${said:-unshare failed without a message}"
    exec unshare -m --propagation private bash "$0" --inside "$@"
fi
shift
helper=$1 standin=$2 devices=$3 template=$4
polkitd=/usr/lib/polkit-1/polkitd

work=$(mktemp -d)
chmod 755 "$work" # polkitd reads the actions and rules as its own user
daemons=()
cleanup() {
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    rm -f "$disk" "$partition" "$record"
    rm -rf "$work"
}
disk=$devices/nvme$$n1
partition=$devices/nvme$$n1p1
record=$(dirname "$standin")/calls-$$
trap cleanup EXIT

mkdir -m 755 "$work/actions" "$work/rules"
sed "s|@TARNWELL_HELPER_PATH@|$helper|g" "$template" >"$work/actions/org.tarnwell.smartctl.policy"
cp /usr/share/polkit-1/actions/org.freedesktop.policykit.policy "$work/actions/" 2>/dev/null
cat >"$work/bus.conf" <<'EOF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
mount -t tmpfs tmpfs /run/dbus || fail "cannot mount a private /run/dbus"
mount --bind "$work/actions" /usr/share/polkit-1/actions || fail "cannot mount the actions"
mount --bind "$work/rules" /etc/polkit-1/rules.d || fail "cannot mount the rules folder"

dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile >"$work/bus.log" 2>&1 &
daemons+=($!)
start_polkitd() {
    "$polkitd" --no-debug >>"$work/polkitd.log" 2>&1 &
    polkitd_pid=$!
    daemons+=($polkitd_pid)
    for _ in $(seq 1 100); do
        if dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.PolicyKit1 2>/dev/null |
            grep -q 'boolean true'; then
            return 0
        fi
        sleep 0.1
    done
    sed 's/^/  polkitd: /' "$work/polkitd.log"
    fail "polkitd did not appear on the private system bus"
}
start_polkitd

said=$({ mknod "$disk" b 7 0 && mknod "$partition" b 7 1; } 2>&1) ||
    skip "cannot make block-device nodes: $said"
rm -f "$record"

# pkexec, the helper and the stand-in replace one another by exec, so the
# stand-in's parent, and the name of its record, is this shell.
as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        /usr/bin/pkexec --disable-internal-agent "$@" >"$work/out" 2>"$work/err"
    status=$?
}
expect_refused_by_pkexec() {
    [ "$status" = 127 ] || fail "$1: pkexec exit status $status, not 127"
    grep -q '^Error executing command as another user: ' "$work/err" ||
        fail "$1: pkexec did not answer as the engine expects"
    [ ! -e "$record" ] || fail "$1: smartctl ran"
    echo "ok: $1: $(head -n 1 "$work/err")"
}

# Not in an active local session (nobody has none), the policy says no.
as_nobody "$helper" --read -r ataioctl,2 -a "$disk"
expect_refused_by_pkexec "reading without an active session"

# An administrator's rule lets nobody read; the helper then runs as root.
cat >"$work/rules/50-tarnwell-test.rules" <<'EOF'
polkit.addRule(function(action, subject) {
    if (action.id == "org.tarnwell.smartctl.read" && subject.user == "nobody")
        return polkit.Result.YES;
});
EOF
chmod 644 "$work/rules/50-tarnwell-test.rules"
kill "$polkitd_pid"
wait "$polkitd_pid" 2>/dev/null
start_polkitd

as_nobody "$helper" --read -r ataioctl,2 -a "$disk"
[ "$status" = 0 ] || fail "reading with the rule: exit status $status"
grep -qx "stand-in ran: -r ataioctl,2 -a $disk" "$work/out" || fail "smartctl's output did not come through"
expected=$(printf '%s\n' -r ataioctl,2 -a "$disk" uid=0 env:LC_ALL=C env:PATH=/usr/sbin:/usr/bin:/sbin:/bin ----)
[ "$(grep -v '^alarm=' "$record")" = "$expected" ] || fail "smartctl ran as: $(tr '\n' ' ' <"$record")"
echo "ok: reading with the rule ran smartctl as root with a clean environment"
rm -f "$record"

# The rule is for reading: typed options still need an administrator.
as_nobody "$helper" --options -x "$disk"
expect_refused_by_pkexec "typed options"

# Without the action word pkexec takes its own action (administrator only).
as_nobody "$helper" -H "$disk"
expect_refused_by_pkexec "no action word"

# pkexec authorises, the helper refuses: a partition is not a whole disk.
as_nobody "$helper" --read -r ataioctl,2 -a "$partition"
[ "$status" = 68 ] || fail "partition: exit status $status, not 68"
grep -qx "tarnwell-smartctl-helper: refused: \"$partition\" is not a whole disk" "$work/err" ||
    fail "partition: the helper's refusal did not come through"
[ ! -e "$record" ] || fail "partition: smartctl ran"
echo "ok: the helper refused a partition"
