#!/usr/bin/env bash
# Sets up a fresh machine, builds Tarnwell and runs every test, then:
#  - builds the engine tests with AddressSanitizer and UndefinedBehaviorSanitizer
#    into build-asan/ (or $TARNWELL_ASAN_BUILD_DIR) and runs them there;
#  - runs every fuzz target briefly (scripts/fuzz.sh, $TARNWELL_FUZZ_SECONDS
#    seconds per target, 10 by default); skipped with a message without clang.
# Arguments are passed to the main ctest run. Every stage starts with a
# heading ("test: the suite", "test: the sanitizers", "test: the fuzz
# targets"); the script stops at the first stage that fails, with a line
# saying which, and ends with the count over all stages run:
# "N passed, N failed" (and ", N skipped" when tests skipped).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/runtime-dir.sh"
output=$(mktemp "${TMPDIR:-/tmp}/tarnwell-test.XXXXXX")
trap 'rm -f "$output"; remove_private_runtime_dir' EXIT

passed=0 failed=0 skipped=0
# Adds the counts of the ctest run whose output is in $output.
count_ctest() {
    local summary
    summary=$(sed -n -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+)$/\1 \2/p' \
        "$output" | tail -n 1)
    if [ -n "$summary" ]; then
        local failures=${summary% *} total=${summary#* }
        local skips
        skips=$(grep -c -E '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$output" || true)
        passed=$((passed + total - failures - skips))
        failed=$((failed + failures))
        skipped=$((skipped + skips))
    fi
}
# The last line, whatever the outcome; exits with the given status.
finish() {
    local line="$passed passed, $failed failed"
    [ $skipped -eq 0 ] || line+=", $skipped skipped"
    echo "$line"
    exit "$1"
}

stage_start=$SECONDS
echo "test: the suite"
status=0
"$root/scripts/install-deps.sh" && "$root/scripts/build.sh" || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: setting up and building (exit status $status)"
    finish $status
fi
build=${TARNWELL_BUILD_DIR:-$root/build}
cd "$build"
# The keychain and desktop tests need a D-Bus session with an unlocked
# keyring; the wrapper provides one and removes it afterwards.
"$root/scripts/with-test-session.sh" ctest --output-on-failure -j "$(nproc)" "$@" |
    tee "$output" || status=$?
count_ctest
if [ $status -ne 0 ]; then
    echo "test: FAILED: the test suite (exit status $status)"
    finish $status
fi
echo "test: the suite passed ($((SECONDS - stage_start)) s)"

stage_start=$SECONDS
echo "test: the sanitizers"
asan=${TARNWELL_ASAN_BUILD_DIR:-$root/build-asan}
# The engine tests under AddressSanitizer and UndefinedBehaviorSanitizer.
# Leaks are reported too; an error of either sanitizer ends the program and
# fails its test. The same options hold while the build lists the tests.
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
corpus_option=()
if [ -n "${TARNWELL_CORPUS_DIR:-}" ]; then
    corpus_option=(-DTARNWELL_CORPUS_DIR="$TARNWELL_CORPUS_DIR")
fi
{
    cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWELL_SANITIZE=ON \
        -DTARNWELL_BUILD_BENCH=OFF "${corpus_option[@]}" >/dev/null &&
        cmake --build "$asan" -j "$(nproc)" --target tests/engine/all
} || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: building the engine tests with the sanitizers (exit status $status)"
    finish $status
fi
(cd "$asan/tests/engine" && ctest --output-on-failure -j "$(nproc)") | tee "$output" ||
    status=$?
count_ctest
if [ $status -ne 0 ]; then
    echo "test: FAILED: the engine tests under the sanitizers (exit status $status)"
    finish $status
fi
unset ASAN_OPTIONS UBSAN_OPTIONS
echo "test: engine tests passed under the sanitizers ($((SECONDS - stage_start)) s)"

stage_start=$SECONDS
echo "test: the fuzz targets"
"$root/scripts/fuzz.sh" "${TARNWELL_FUZZ_SECONDS:-10}" | tee "$output" || status=$?
# One line per target: "fuzz: NAME: N executions ..." or "fuzz: NAME FAILED ...".
passed=$((passed + $(grep -c -E '^fuzz: fuzz_[A-Za-z0-9_]+: [0-9]+ executions' "$output" || true)))
failed=$((failed + $(grep -c -E '^fuzz: fuzz_[A-Za-z0-9_]+ FAILED' "$output" || true)))
if [ $status -ne 0 ]; then
    echo "test: FAILED: the fuzz targets (exit status $status)"
    finish $status
fi
echo "test: fuzz stage done ($((SECONDS - stage_start)) s)"
finish 0
