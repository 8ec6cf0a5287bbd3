#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built (build/tarnwell_*.deb):
#  - its file list and fields (tests/package/package_contents_test.sh), lintian
#    (no error and no warning) and its AppStream file (appstreamcli);
#  - installed with apt into a minimal Debian 12 root made by mmdebstrap: an
#    ordinary user there reads a disk through the installed helper, allowed by
#    a real polkitd on that root's own system bus (a block node made with
#    mknod, a smartctl stand-in in /usr/local/sbin replaying
#    resources/samples/healthy.twdr, a polkit rule for the user, since a
#    chroot has no active session); its manual page, desktop entries and
#    report file type as the installed system sees them; and purging it
#    leaves none of its files behind.
# The second part needs root (mknod, chroot, daemons of its own), a private
# mount namespace and the Debian mirror; where mmdebstrap cannot run, it is
# skipped with the reason. The packages it downloads are kept in
# ${XDG_CACHE_HOME:-~/.cache}/tarnwell/package-check for the next run.
# Prints one line per check and closes with "N passed, N failed, N skipped".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The part that runs in a private mount namespace, as root: a Debian 12 root,
# the package installed into it with apt, and the checks there. Its mounts
# vanish with the namespace; its folder and daemons go when it ends.
daemons=()
cleanup_root() {
    local pid
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    # Anything still running inside the root was started by this check.
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$rootfs" ] && kill "${pid#/proc/}" 2>/dev/null
    done
    for mount in tmp run dev proc; do
        umount -l "$rootfs/$mount" 2>/dev/null
    done
    rm -rf --one-file-system "$work"
}
in_root() {
    chroot "$rootfs" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}
as_user() {
    chroot --userspec=4242:4242 --groups=4242 "$rootfs" /usr/bin/env -i HOME=/home/tester \
        USER=tester LOGNAME=tester PATH=/usr/local/bin:/usr/bin:/bin LC_ALL=C.UTF-8 "$@"
}
seconds_since() { awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN {printf "%.1f", now - start}'; }
check() { # NAME, then a command whose success passes
    local name=$1
    shift
    if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; fi
}

start_polkitd() {
    in_root /usr/lib/polkit-1/polkitd --no-debug >>"$work/polkitd.log" 2>&1 &
    polkitd_pid=$!
    daemons+=("$polkitd_pid")
    local tries=0
    until in_root dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.PolicyKit1 2>/dev/null |
        grep -q 'boolean true'; do
        tries=$((tries + 1))
        if [ $tries -ge 100 ]; then
            sed 's/^/  /' "$work/dbus.log" "$work/polkitd.log"
            echo "FAILED: polkitd did not appear on the root's system bus"
            return 1
        fi
        sleep 0.1
    done
}

check_installed() {
    local root=$1 deb=$2
    local cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell/package-check
    work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-package-check.XXXXXX")
    rootfs=$work/root
    trap cleanup_root EXIT
    mkdir -p "$cache"

    # The host's Debian 12 sources (its mirror, updates and security), else
    # mmdebstrap's default mirror.
    local sources=()
    if grep -qs bookworm /etc/apt/sources.list.d/debian.sources; then
        sources=(/etc/apt/sources.list.d/debian.sources)
    elif grep -qs '^deb .* bookworm' /etc/apt/sources.list; then
        sources=(/etc/apt/sources.list)
    fi
    local started
    started=$(date +%s.%N)
    if ! mmdebstrap --variant=apt --mode=root \
        --include=debian-archive-keyring,man-db,desktop-file-utils,libglib2.0-bin,shared-mime-info \
        --aptopt='Acquire::Check-Valid-Until "false"' \
        --skip=download/empty --skip=essential/unlink --skip=cleanup/apt \
        --setup-hook='mkdir -p "$1"/var/cache/apt/archives/' \
        --setup-hook="sync-in $cache /var/cache/apt/archives/" \
        bookworm "$rootfs" "${sources[@]}" >"$work/mmdebstrap.log" 2>&1; then
        tail -n 15 "$work/mmdebstrap.log" | sed 's/^/  mmdebstrap: /'
        echo "SKIPPED: installing in a Debian 12 root: mmdebstrap could not make one" \
            "(is the Debian mirror reachable?)"
        return 0
    fi
    echo "  a minimal Debian 12 root made in $(seconds_since "$started") s"

    mount -t proc proc "$rootfs/proc"
    mount -t tmpfs -o mode=755 tmpfs "$rootfs/dev"
    local node
    for node in "null 1 3" "zero 1 5" "full 1 7" "random 1 8" "urandom 1 9" "tty 5 0"; do
        set -- $node
        mknod -m 666 "$rootfs/dev/$1" c "$2" "$3"
    done
    ln -s /proc/self/fd "$rootfs/dev/fd"
    mount -t tmpfs -o mode=755 tmpfs "$rootfs/run"
    mkdir -p "$rootfs/run/dbus"
    mount -t tmpfs -o mode=1777 tmpfs "$rootfs/tmp"
    [ -e /etc/resolv.conf ] && cp -L /etc/resolv.conf "$rootfs/etc/resolv.conf"
    # No service starts from a package's scripts in the root.
    printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
    chmod 755 "$rootfs/usr/sbin/policy-rc.d"

    install -m 644 "$deb" "$rootfs/var/tmp/"
    started=$(date +%s.%N)
    if ! in_root apt-get install -y "/var/tmp/$(basename "$deb")" >"$work/install.log" 2>&1; then
        sed 's/^/  apt: /' "$work/install.log"
        echo "FAILED: apt install ./$(basename "$deb")"
        return 1
    fi
    echo "ok: apt install ./$(basename "$deb") in $(seconds_since "$started") s:" \
        "$(grep -o '[0-9]* newly installed' "$work/install.log")," \
        "$(grep -o 'Need to get .* of archives' "$work/install.log" || echo 'nothing to download')", \
        "$(grep -o '[^ ]* [^ ]* of additional disk space' "$work/install.log")"
    rm "$rootfs/var/tmp/$(basename "$deb")"
    find "$cache" -name '*.deb' -delete
    cp "$rootfs"/var/cache/apt/archives/*.deb "$cache"/ 2>/dev/null

    # An ordinary user reads a disk: pkexec asks the root's own polkitd,
    # which a rule lets the user through, and the installed helper runs the
    # stand-in as root. The stand-in records each call with its user id.
    echo 'tester:x:4242:4242:Package check:/home/tester:/bin/bash' >>"$rootfs/etc/passwd"
    echo 'tester:x:4242:' >>"$rootfs/etc/group"
    echo 'tester:*:19000:0:99999:7:::' >>"$rootfs/etc/shadow"
    install -d -o 4242 -g 4242 "$rootfs/home/tester"
    mknod -m 660 "$rootfs/dev/sda" b 7 0
    chgrp disk "$rootfs/dev/sda" 2>/dev/null
    install -D -m 644 "$root/resources/samples/healthy.twdr" \
        "$rootfs/usr/local/share/package-check/healthy.twdr"
    cat >"$rootfs/usr/local/sbin/smartctl" <<'EOF'
#!/bin/bash
# smartctl stand-in: records who asked for what, then replays the capture.
printf 'uid=%s %s\n' "$(id -u)" "$*" >>/run/smartctl-calls
exec /usr/sbin/smartctl "${@:1:$#-1}" - </usr/local/share/package-check/healthy.twdr
EOF
    chmod 755 "$rootfs/usr/local/sbin/smartctl"
    in_root dbus-daemon --system --nofork --nopidfile >"$work/dbus.log" 2>&1 &
    daemons+=($!)
    local tries=0
    until [ -S "$rootfs/run/dbus/system_bus_socket" ] || [ $tries -ge 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    start_polkitd || return 1

    # Without an active session the package's policy refuses...
    local status
    as_user tarnwell-cli check /dev/sda >"$work/out" 2>&1
    status=$?
    if [ $status = 3 ] && grep -q 'Not authorized to read this disk' "$work/out" &&
        [ ! -e "$rootfs/run/smartctl-calls" ]; then
        echo "ok: without an active session polkit refuses the user (UNKNOWN, exit status 3)"
    else
        sed 's/^/  tarnwell-cli: /' "$work/out"
        echo "FAILED: reading without an active session was not refused (exit status $status)"
    fi

    # ...and an administrator's rule lets the user read.
    mkdir -p "$rootfs/etc/polkit-1/rules.d"
    cat >"$rootfs/etc/polkit-1/rules.d/50-package-check.rules" <<'EOF'
polkit.addRule(function(action, subject) {
    if (action.id == "org.tarnwell.smartctl.read" && subject.user == "tester")
        return polkit.Result.YES;
});
EOF
    kill "$polkitd_pid"
    wait "$polkitd_pid" 2>/dev/null
    start_polkitd || return 1
    as_user tarnwell-cli check /dev/sda >"$work/out" 2>&1
    status=$?
    if [ $status = 0 ] && grep -q '^TARNWELL OK' "$work/out" && grep -q '^uid=0 .*/dev/sda$' \
        "$rootfs/run/smartctl-calls" && ! grep -qv '^uid=0 ' "$rootfs/run/smartctl-calls"; then
        echo "ok: an ordinary user read a disk through the installed helper: $(head -n 1 "$work/out")"
    else
        sed 's/^/  tarnwell-cli: /' "$work/out"
        sed 's/^/  smartctl calls: /' "$rootfs/run/smartctl-calls" 2>/dev/null
        echo "FAILED: reading a disk as an ordinary user (exit status $status)"
    fi
    # That check went into the user's history of checks (Qt SQL's SQLite
    # driver, a plugin no library links, came with the package).
    as_user tarnwell-cli history --csv /dev/sda >"$work/out" 2>&1
    status=$?
    if [ $status = 0 ] && grep -q ',/dev/sda,PASSED,' "$work/out"; then
        echo "ok: the user's check is in the history of checks"
    else
        sed 's/^/  tarnwell-cli history: /' "$work/out"
        echo "FAILED: the user's check is not in the history of checks (exit status $status)"
    fi

    # The report file type and the application for it, as GIO sees them.
    local type
    as_user tarnwell-cli capture /dev/sda -o /home/tester/sda.twdr >"$work/out" 2>&1
    type=$(as_user gio info -a standard::content-type /home/tester/sda.twdr 2>/dev/null |
        sed -n 's/^ *standard::content-type: //p')
    if [ "$type" = application/x-tarnwell-report ] &&
        as_user gio mime application/x-tarnwell-report 2>/dev/null | grep -q org.tarnwell.Tarnwell.desktop; then
        echo "ok: gio info: a captured report is $type, opened by org.tarnwell.Tarnwell.desktop"
    else
        sed 's/^/  tarnwell-cli capture: /' "$work/out"
        echo "FAILED: gio info: the captured report is \"$type\" or has no application"
    fi

    check "man -w tarnwell-cli" test "$(in_root man -w tarnwell-cli)" = /usr/share/man/man1/tarnwell-cli.1.gz
    check "man -w 8 tarnwell-smartctl-helper" \
        test "$(in_root man -w 8 tarnwell-smartctl-helper)" = /usr/share/man/man8/tarnwell-smartctl-helper.8.gz
    local entries
    entries=$(in_root desktop-file-validate /usr/share/applications/org.tarnwell.Tarnwell.desktop \
        /usr/share/applications/org.tarnwell.TarnwellMenuItem.desktop 2>&1)
    status=$?
    [ -n "$entries" ] && sed 's/^/  desktop-file-validate: /' <<<"$entries"
    check "desktop-file-validate on the installed entries" test $status = 0 -a -z "$entries"

    # Purged, it leaves nothing: no file of its name, no trace in the
    # caches that the desktop's triggers rebuilt. (man-db's index keeps
    # the names of removed pages until its daily run: not looked at.)
    rm -f "$rootfs/etc/polkit-1/rules.d/50-package-check.rules"
    if ! in_root apt-get purge -y tarnwell >"$work/purge.log" 2>&1; then
        sed 's/^/  apt: /' "$work/purge.log"
        echo "FAILED: apt purge tarnwell"
        return 1
    fi
    local left
    left=$(cd "$rootfs" && {
        find . -xdev \( -path ./home -o -path ./var/log -o -path ./var/cache/man \) -prune -o \
            -iname '*tarnwell*' -print
        grep -rla -i tarnwell usr/share/applications usr/share/mime usr/share/icons usr/share/metainfo \
            usr/share/polkit-1 etc var/lib/dpkg/info 2>/dev/null
    })
    [ -n "$left" ] && sed 's/^/  left behind: /' <<<"$left"
    check "apt purge tarnwell leaves nothing behind" test -z "$left"
}

if [ "${1:-}" = --in-namespace ]; then
    shift
    check_installed "$@"
    exit
fi

"$root/scripts/install-deps.sh" || exit 1
deb=$(ls "$root"/build/tarnwell_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    echo "package-check: FAILED: no package in build/ (scripts/package.sh builds it)"
    exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
{
    if bash "$root/tests/package/package_contents_test.sh" "$root" "$deb"; then
        echo "ok: file list and fields"
    else
        echo "FAILED: file list and fields"
    fi

    # Every warning would fail here; the information tags lintian still
    # prints are listed in the README.
    if lintian --fail-on error,warning "$deb" >"$log.lintian" 2>&1; then
        echo "ok: lintian: no error, no warning"
    else
        sed 's/^/  lintian: /' "$log.lintian"
        echo "FAILED: lintian"
    fi
    rm -f "$log.lintian"

    metainfo=$(mktemp -d)
    dpkg-deb --extract "$deb" "$metainfo"
    if appstreamcli validate --no-net \
        "$metainfo/usr/share/metainfo/org.tarnwell.Tarnwell.metainfo.xml" >"$log.as" 2>&1; then
        echo "ok: appstreamcli validate --no-net"
    else
        sed 's/^/  appstreamcli: /' "$log.as"
        echo "FAILED: appstreamcli validate --no-net"
    fi
    rm -rf "$metainfo" "$log.as"

    reason=""
    if [ "$(id -u)" != 0 ]; then
        reason="needs root (mknod, chroot, a polkitd of its own)"
    elif ! command -v mmdebstrap >/dev/null 2>&1; then
        reason="mmdebstrap is not installed"
    elif ! unshare -m --propagation private true 2>/dev/null; then
        reason="cannot make a private mount namespace (needs CAP_SYS_ADMIN)"
    fi
    if [ -n "$reason" ]; then
        echo "SKIPPED: installing in a Debian 12 root: $reason"
    else
        unshare -m --propagation private bash "$0" --in-namespace "$root" "$deb"
    fi
} 2>&1 | tee "$log"

passed=$(grep -c '^ok: ' "$log")
failed=$(grep -c '^FAILED: ' "$log")
skipped=$(grep -c '^SKIPPED: ' "$log")
echo "package-check: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
