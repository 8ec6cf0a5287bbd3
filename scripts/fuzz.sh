#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and
# runs each for a while on a seed corpus of real smartctl outputs and forged
# captures. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] (default 10).
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
corpus="$root/../shared/corpus"
if [ -d "$corpus" ]; then
    find "$corpus" -name '*.txt' -size -60k -exec cp {} "$seeds/" \;
else
    echo "fuzz: no shared corpus beside the checkout; seeding with forged captures only"
fi
for example in "$root"/tools/twdr-forge/examples/*.json; do
    "$build/tools/twdr-forge/twdr-forge" "$example" -o "$seeds/$(basename "$example" .json).twdr"
done

status=0
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    cp "$seeds"/* "$work/"
    echo "fuzz: $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -close_fd_mask=2 -max_len=65536 \
        -print_final_stats=1 "$work" >"$work.log" 2>&1; then
        echo "fuzz: $name FAILED"; tail -n 40 "$work.log"; status=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$work.log" | sed "s/^/fuzz: $name: /"
    fi
    rm -rf "$work" "$work.log"
done
exit $status
