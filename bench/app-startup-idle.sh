#!/usr/bin/env bash
# Benchmarks of the windowed application, on a virtual display (Xvfb), with
# no drives and private XDG folders:
#  - start-up: time from the start of the process to the first paint of the
#    main window (goal: under 300 ms), the median of RUNS starts;
#  - idle: CPU time the running application uses over IDLE_SECONDS between
#    check-timer ticks (goal: about zero).
#
#   bench/app-startup-idle.sh [BUILD_DIR]      RUNS=7 IDLE_SECONDS=60 by default
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${RUNS:-7}
idle=${IDLE_SECONDS:-60}

source "$root/scripts/private-desktop.sh"
private_desktop "$0" "$build"
# Debug lines on: the program logs the moment its main window is first painted.
printf '[General]\nOutputDebugMessages=true\n' >"$work/config/Tarnwell/Tarnwell.conf"
printf '#!/bin/sh\nexit 0\n' >"$work/lsblk" && chmod +x "$work/lsblk"
log=$work/state/Tarnwell/Tarnwell.log
app=("$build/app/tarnwell" --lsblk "$work/lsblk")

# The time of a log line ("2026-12-08 04:40:01.123 ...") in milliseconds.
line_ms() { date -d "$(cut -c1-23 <<<"$1")" +%s%3N; }

hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
startups=()
cpus=()
for _ in $(seq "$runs"); do
    rm -f "$log"
    start=$(date +%s%3N)
    "${app[@]}" &
    app_pid=$!
    for _ in $(seq 200); do
        grep -q 'Main window painted' "$log" 2>/dev/null && break
        sleep 0.05
    done
    cpus+=($(($(ticks) * 1000 / hz)))
    painted=$(grep -m1 'Main window painted' "$log")
    startups+=($(($(line_ms "$painted") - start)))
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=
done
sorted=($(printf '%s\n' "${startups[@]}" | sort -n))
echo "start-up to first paint, no drives: median ${sorted[$((runs / 2))]} ms" \
    "(min ${sorted[0]}, max ${sorted[$((runs - 1))]}, $runs runs)"
sorted=($(printf '%s\n' "${cpus[@]}" | sort -n))
echo "CPU time of the process by its first paint: median ${sorted[$((runs / 2))]} ms" \
    "(min ${sorted[0]}, max ${sorted[$((runs - 1))]})"

"${app[@]}" &
app_pid=$!
sleep 5 # start-up and the first scan are over
before=$(ticks)
sleep "$idle"
after=$(ticks)
rss=$(awk '/VmRSS/ {print $2}' "/proc/$app_pid/status")
echo "load average during the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "idle over ${idle} s: $(((after - before) * 1000 / hz)) ms CPU; resident memory ${rss} kB"
