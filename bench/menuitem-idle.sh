#!/usr/bin/env bash
# The tray monitor at rest: starts tarnwell-menu-item with eight replayed
# drives (forged captures through the real smartctl) under a virtual display
# with trayer as its tray, waits for its first update, then reports its
# resident memory, and its CPU time and voluntary context switches (wake-ups,
# summed over all its threads) over 60 idle seconds.
#   bench/menuitem-idle.sh [SECONDS]
# Runs itself inside scripts/with-test-session.sh when no test session is set up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${TARNWELL_SESSION_DIR:-}" ]; then
    exec "$root/scripts/with-test-session.sh" "$0" "$@"
fi
idle=${1:-60}
build=${TARNWELL_BUILD_DIR:-$root/build}
monitor="$build/menuitem/tarnwell-menu-item"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

: >"$work/lsblk.txt"
for n in 0 1 2 3 4 5 6 7; do
    disk=sd$(printf "\\x$(printf %x $((97 + n)))")
    health=passed
    [ "$n" = 5 ] && health=failing
    "$build/tools/twdr-forge/twdr-forge" - -o "$work/$disk.twdr" <<JSON
{"identity": {"model": "BENCH DISK $n", "serial": "BENCH000$n"}, "health": "$health"}
JSON
    printf 'NAME="%s" TYPE="disk" PKNAME="" MOUNTPOINT="" LABEL="" PATH="/dev/%s"\n' \
        "$disk" "$disk" >>"$work/lsblk.txt"
    printf 'NAME="%s1" TYPE="part" PKNAME="%s" MOUNTPOINT="/media/v%s" LABEL="Volume %s" PATH="/dev/%s1"\n' \
        "$disk" "$disk" "$n" "$n" "$disk" >>"$work/lsblk.txt"
done
printf '#!/bin/sh\nexec cat "%s/lsblk.txt"\n' "$work" >"$work/lsblk"
printf '#!/bin/sh\nFAKE_REPLAY_DIR="%s" exec "%s/tools/fakes/fake-smartctl-replay" "$@"\n' \
    "$work" "$root" >"$work/smartctl"
chmod +x "$work/lsblk" "$work/smartctl"

trayer --edge top --align right --SetDockType true --width 10 --height 24 &
for _ in $(seq 100); do xdotool search --classname trayer >/dev/null 2>&1 && break; sleep 0.1; done

"$monitor" --smartctl "$work/smartctl" --lsblk "$work/lsblk" &
pid=$!
updated=0
for _ in $(seq 600); do
    if gdbus call --session -d org.tarnwell.TarnwellMenuItem -o /org/tarnwell/TarnwellMenuItem \
        -m org.freedesktop.DBus.Properties.Get org.tarnwell.TarnwellMenuItem MenuTitles \
        2>/dev/null | grep -q 'Last Updated'; then
        updated=1
        break
    fi
    sleep 0.2
done
[ "$updated" = 1 ] || { echo "the monitor did not finish its first update" >&2; exit 1; }
# The mail-less, LED-less update is over; let its last replies settle.
sleep 2

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# One line per thread: its id and its voluntary context switches. Threads
# that end in between (idle pool threads expire) are left out of the sum.
wakeups() {
    for task in /proc/"$pid"/task/*; do
        printf '%s %s\n' "${task##*/}" "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null)"
    done
}
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
threads=$(ls "/proc/$pid/task" | wc -l)
cpu0=$(cpu)
wakeups >"$work/wake0"
sleep "$idle"
cpu1=$(cpu)
wakeups >"$work/wake1"
switches=$(awk 'NR == FNR {before[$1] = $2; next} ($1 in before) && $2 != "" {s += $2 - before[$1]} END {print s + 0}' "$work/wake0" "$work/wake1")
ended=$(awk 'NR == FNR {after[$1] = 1; next} !($1 in after) {n++} END {print n + 0}' "$work/wake1" "$work/wake0")

printf 'drives: 8 (one failing), first update done\n'
printf 'resident memory after the first update: %d KiB (%.1f MiB), %d threads\n' "$rss" \
    "$(awk -v kib="$rss" 'BEGIN {print kib / 1024}')" "$threads"
printf 'CPU time over %d idle seconds: %d ms\n' "$idle" $(((cpu1 - cpu0) * 1000 / ticks))
printf 'voluntary context switches over %d idle seconds: %d (threads that ended meanwhile: %d)\n' \
    "$idle" "$switches" "$ended"
kill "$pid"
