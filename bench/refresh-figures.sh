#!/usr/bin/env bash
# Figures of a refresh as a user meets it, measured on the built programs
# (build in Release for figures: cmake -DCMAKE_BUILD_TYPE=Release).
# Usage: bench/refresh-figures.sh [BUILD_DIR] (default build/)
#  1. tarnwell-cli check of 16 forged drives behind a smartctl stand-in that
#     takes 100 ms of device latency for every command (goal: under 1.0 s),
#     and the smartctl runs per drive and refresh it made (goal: 1).
#  2. One check of one drive whose remembered counts did not change, traced
#     with strace: how often the preferences file is opened and written, and
#     the flushes to disk (goal: opened at most once, written never).
#  3. The engine's own CPU time beside smartctl's in a refresh
#     (tarnwell-bench RefreshReplayedDrive; goal: under 2%).
#  4. The CPU time of a refresh against one "smartctl -x" of the same drive
#     (tarnwell-bench RefreshAgainstSmartctlX, median of 21 pairs; goal: at
#     most 1.3 times).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/cli/tarnwell-cli
forge=$build/tools/twdr-forge/twdr-forge
smartctl=${SMARTCTL:-/usr/sbin/smartctl}
for program in "$cli" "$forge" "$smartctl"; do
    [ -x "$program" ] || { echo "refresh-figures: $program is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_DATA_HOME=$work/data

# 1. Sixteen drives behind 100 ms of latency.
captures=()
for index in $(seq -w 1 16); do
    sed "s/\"serial\": \"ZL2FRG0A\"/\"serial\": \"LATENCY$index\"/" \
        "$root/tools/twdr-forge/examples/healthy.json" >"$work/drive$index.json"
    "$forge" "$work/drive$index.json" -o "$work/drive$index.twdr" >/dev/null
    captures+=("$work/drive$index.twdr")
done
export FAKE_SMARTCTL=$smartctl FAKE_LATENCY=0.1
best=
for attempt in 1 2 3; do
    export FAKE_RECORD=$work/calls-$attempt.txt
    start=$EPOCHREALTIME
    "$cli" check --smartctl "$root/tools/fakes/fake-smartctl-latency" "${captures[@]}" >"$work/check.txt"
    end=$EPOCHREALTIME
    wall=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }')
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
        best=$wall
    fi
done
unset FAKE_RECORD
echo "check of 16 drives behind 100 ms latency: $best s wall (best of 3; $(head -n 1 "$work/check.txt"))"
calls=$(cat "$work"/calls-*.txt | wc -l)
echo "smartctl runs per drive and refresh: $(awk -v c="$calls" 'BEGIN { printf "%.2f", c / 48 }') ($calls runs in 3 checks of 16 drives)"

# 2. The preferences file in a steady check of one drive: a disk (/dev/sda)
# that answers with the sample capture, replayed through the real smartctl
# (a capture file itself is a saved report, which never writes what it
# remembers). Without the history of checks, whose writes HistoryWrite16Drives
# measures: the flushes counted are then the refresh's own.
mkdir -p "$work/replay"
cp "$root/resources/samples/healthy.twdr" "$work/replay/sda.twdr"
export FAKE_REPLAY_DIR=$work/replay
disk=(--no-history --smartctl "$root/tools/fakes/fake-smartctl-replay" /dev/sda)
rm -rf "$work/config"
"$cli" check "${disk[@]}" >/dev/null # remembers the drive's counts
prefs=$XDG_CONFIG_HOME/Tarnwell/Tarnwell.conf
for run in first steady; do
    [ "$run" = first ] && rm -f "$prefs"
    strace -f -qq -o "$work/trace" -e trace=openat,rename,renameat,renameat2,linkat,fdatasync,fsync \
        -y "$cli" check "${disk[@]}" >/dev/null
    opened=$(grep -c "^[0-9]* *openat(.*\"$prefs\"" "$work/trace" || true)
    # A write puts a new file under the name: a link, or a rename of a temporary file.
    written=$(grep -cE "(linkat|rename(at2?)?)\(.*\"$prefs\"(, [A-Z_]+)?\) = 0$" "$work/trace" || true)
    synced=$(grep -cE "f(data)?sync\(" "$work/trace" || true)
    echo "preferences in a $run check of one drive: opened $opened times, written $written times, $synced flushes to disk in all"
done

# 3. The engine's share of a refresh; 4. a refresh against one "smartctl -x".
if [ -x "$build/bench/tarnwell-bench" ]; then
    "$build/bench/tarnwell-bench" --benchmark_filter='RefreshReplayedDrive|RefreshAgainstSmartctlX' \
        2>/dev/null | grep -E '^Refresh' | sed 's/^/refresh of a replayed drive: /'
else
    echo "refresh of a replayed drive: $build/bench/tarnwell-bench is not built"
fi
