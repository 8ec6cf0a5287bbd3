#!/usr/bin/env bash
# Sets up a fresh machine, builds Tarnwell and runs every test, then:
#  - builds the engine tests with AddressSanitizer and UndefinedBehaviorSanitizer
#    into build-asan/ (or $TARNWELL_ASAN_BUILD_DIR) and runs them there;
#  - runs every fuzz target briefly (scripts/fuzz.sh, $TARNWELL_FUZZ_SECONDS
#    seconds per target, 10 by default); skipped with a message without clang.
# Arguments are passed to the main ctest run. The script fails as soon as a
# stage fails, with a line saying which.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${TARNWELL_BUILD_DIR:-$root/build}
cd "$build"
# The keychain and desktop tests need a D-Bus session with an unlocked
# keyring; the wrapper provides one and removes it afterwards.
status=0
"$root/scripts/with-test-session.sh" ctest --output-on-failure -j "$(nproc)" "$@" || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: the test suite (exit status $status)"
    exit $status
fi

stage_start=$SECONDS
echo "test: engine tests under AddressSanitizer + UndefinedBehaviorSanitizer"
asan=${TARNWELL_ASAN_BUILD_DIR:-$root/build-asan}
# Leaks are reported too; an error of either sanitizer ends the program and
# fails its test. The same options hold while the build lists the tests.
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
corpus_option=()
if [ -n "${TARNWELL_CORPUS_DIR:-}" ]; then
    corpus_option=(-DTARNWELL_CORPUS_DIR="$TARNWELL_CORPUS_DIR")
fi
status=0
{
    cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWELL_SANITIZE=ON \
        -DTARNWELL_BUILD_BENCH=OFF "${corpus_option[@]}" >/dev/null &&
        cmake --build "$asan" -j "$(nproc)" --target tests/engine/all
} || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: building the engine tests with the sanitizers (exit status $status)"
    exit $status
fi
(cd "$asan/tests/engine" && ctest --output-on-failure -j "$(nproc)") || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: the engine tests under the sanitizers (exit status $status)"
    exit $status
fi
unset ASAN_OPTIONS UBSAN_OPTIONS
echo "test: engine tests passed under the sanitizers ($((SECONDS - stage_start)) s)"

stage_start=$SECONDS
echo "test: fuzz targets"
"$root/scripts/fuzz.sh" "${TARNWELL_FUZZ_SECONDS:-10}" || status=$?
if [ $status -ne 0 ]; then
    echo "test: FAILED: the fuzz targets (exit status $status)"
    exit $status
fi
echo "test: fuzz stage done ($((SECONDS - stage_start)) s)"
