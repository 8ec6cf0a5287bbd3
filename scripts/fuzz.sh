#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and
# runs each for a while on a seed corpus of real smartctl outputs and forged
# captures. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] (default 10).
# The real outputs come from ../shared/corpus beside the checkout, or from
# $TARNWELL_CORPUS_DIR. An input that crashes a target is kept in
# build-fuzz/fuzz-artifacts/ for replaying (run the target with the file).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed; skipping the fuzz targets"
    exit 0
fi
build=${TARNWELL_FUZZ_BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWELL_FUZZ=ON -DTARNWELL_BUILD_TESTS=OFF -DTARNWELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# Seeds. The line splitter reads whole outputs: every real output beside the
# checkout and every forged example; a whole refresh reads a whole report
# (every real output, and the forged examples as smartctl reports them in a
# refresh). Every parser target reads what its own smartctl command prints,
# so its seeds are the matching section of every real output: a whole "-x"
# output would make each input ten times longer than any real one of that
# command (and the attribute step would read every line after its table as
# a row).
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
mkdir "$seeds/whole" "$seeds/refresh" "$seeds/capabilities" "$seeds/attributes" \
    "$seeds/error_log" "$seeds/selftest_log"
corpus=${TARNWELL_CORPUS_DIR:-$root/../shared/corpus}
if [ -d "$corpus" ]; then
    find "$corpus" -name '*.txt' -size -60k -exec cp {} "$seeds/whole/" \;
else
    echo "fuzz: no shared corpus beside the checkout; seeding with forged captures only"
fi

# The lines of FILE from the first one matching START up to a blank line, or
# up to a line matching STOP when one is given.
section() {
    awk -v start="$2" -v stop="${3:-}" '
        on && ((stop == "" && /^[ \t]*$/) || (stop != "" && $0 ~ stop)) { exit }
        !on && $0 ~ start { on = 1 }
        on { print }' "$1"
}
capabilities='^General SMART Values:'
attributes='^(SMART Attributes Data Structure|SMART/Health Information)'
errors='^(SMART (Extended Comprehensive )?Error Log|Error Information)'
errorsEnd='^(SMART (Extended )?Self-test|Self-test Log|SMART Selective|SCT |Device Statistics|Pending Defects|SATA Phy|General Purpose|Read SCT|Warning)'
selftests='^(SMART (Extended )?Self-test [Ll]og|Self-test Log)'
for output in "$seeds"/whole/*.txt; do
    [ -f "$output" ] || continue
    name=$(basename "$output")
    section "$output" "$capabilities" >"$seeds/capabilities/$name"
    section "$output" "$attributes" >"$seeds/attributes/$name"
    section "$output" "$errors" "$errorsEnd" >"$seeds/error_log/$name"
    section "$output" "$selftests" >"$seeds/selftest_log/$name"
    # A refresh reads one whole report, after its banner.
    tail -n +3 "$output" >"$seeds/refresh/$name"
done
find "$seeds" -type f -empty -delete
for example in "$root"/tools/twdr-forge/examples/*.json; do
    name=$(basename "$example" .json)
    "$build/tools/twdr-forge/twdr-forge" "$example" -o "$seeds/whole/$name.twdr"
    # The refresh's run as smartctl prints it, ioctl blocks and all.
    if [ -x /usr/sbin/smartctl ]; then
        /usr/sbin/smartctl -r ataioctl,2 -a - <"$seeds/whole/$name.twdr" | tail -n +3 \
            >"$seeds/refresh/$name.txt" || true
    fi
done
# The parser targets read their first byte as a mode (NVMe drive, settings):
# every seed behind a zero byte and behind a one byte gives them both kinds
# of drive from the start.
for seed in "$seeds"/capabilities/* "$seeds"/attributes/* "$seeds"/error_log/* \
    "$seeds"/selftest_log/*; do
    [ -f "$seed" ] || continue
    { printf '\000'; cat "$seed"; } >"$seed.mode0"
    { printf '\001'; cat "$seed"; } >"$seed.mode1"
    rm "$seed"
done

# The targets keep their preferences in memory and their private folders
# below $TMPDIR, on a memory file system where there is one.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    tmproot=/dev/shm
else
    tmproot=${TMPDIR:-/tmp}
fi

# A small quarantine keeps the heap, and so every leak check libFuzzer makes
# after an input that allocated more than it freed, small. Options given by
# the caller win.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}

# Every target runs one fuzzing process per core (libFuzzer's fork mode), so
# a run of N seconds uses the whole machine for N seconds per target.
processes=$(nproc)
parallel=()
[ "$processes" -gt 1 ] && parallel=(-fork="$processes")

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
status=0
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    private=$(mktemp -d "$tmproot/tarnwell-fuzz.XXXXXX")
    mkdir "$work/corpus"
    kind=${name#fuzz_}
    [ -d "$seeds/$kind" ] || kind=whole
    cp "$seeds/$kind"/* "$work/corpus/" 2>/dev/null || true
    echo "fuzz: $name for ${seconds}s"
    # A single input running longer than 20 s counts as a hang. No input is
    # longer than the longest seed (the longest real output of the command).
    if ! TMPDIR="$private" "$target" "${parallel[@]}" -max_total_time="$seconds" -timeout=20 \
        -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
        "$work/corpus" >"$work/log" 2>&1; then
        echo "fuzz: $name FAILED (inputs kept in $artifacts)"; tail -n 40 "$work/log"; status=1
    else
        # The last status line counts the executions of every process.
        runs=$(sed -n -E 's/^#([0-9]+)[: ].*/\1/p; s/^Done ([0-9]+) runs.*/\1/p' "$work/log" |
            tail -n 1)
        echo "fuzz: $name: ${runs:-0} executions in ${seconds}s ($processes processes)"
    fi
    rm -rf "$work" "$private"
done
if [ $status -eq 0 ]; then
    echo "fuzz: every target ran ${seconds}s without a finding"
else
    echo "fuzz: FAILED: a target crashed, hung or broke an invariant"
fi
exit $status
