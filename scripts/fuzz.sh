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

# Seeds: every real output beside the checkout and every forged example.
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
corpus=${TARNWELL_CORPUS_DIR:-$root/../shared/corpus}
if [ -d "$corpus" ]; then
    find "$corpus" -name '*.txt' -size -60k -exec cp {} "$seeds/" \;
else
    echo "fuzz: no shared corpus beside the checkout; seeding with forged captures only"
fi
for example in "$root"/tools/twdr-forge/examples/*.json; do
    "$build/tools/twdr-forge/twdr-forge" "$example" -o "$seeds/$(basename "$example" .json).twdr"
done
# Several targets read their first byte as a mode (NVMe drive, settings): a
# copy of every seed behind a zero byte and behind a one byte gives them both
# kinds of drive from the start.
for seed in "$seeds"/*; do
    { printf '\000'; cat "$seed"; } >"$seed.mode0"
    { printf '\001'; cat "$seed"; } >"$seed.mode1"
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

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
status=0
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    private=$(mktemp -d "$tmproot/tarnwell-fuzz.XXXXXX")
    mkdir "$work/corpus"
    cp "$seeds"/* "$work/corpus/"
    echo "fuzz: $name for ${seconds}s"
    # A single input running longer than 20 s counts as a hang.
    if ! TMPDIR="$private" "$target" -max_total_time="$seconds" -timeout=20 -close_fd_mask=2 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
        "$work/corpus" >"$work/log" 2>&1; then
        echo "fuzz: $name FAILED (inputs kept in $artifacts)"; tail -n 40 "$work/log"; status=1
    else
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done' "$work/log" |
            sed "s/^/fuzz: $name: /"
    fi
    rm -rf "$work" "$private"
done
if [ $status -eq 0 ]; then
    echo "fuzz: every target ran ${seconds}s without a finding"
else
    echo "fuzz: FAILED: a target crashed, hung or broke an invariant"
fi
exit $status
