#!/usr/bin/env bash
# Sets up a Debian or Ubuntu machine, builds with warnings as errors and runs every test: the
# whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the main build's suite,
# last so that CTest's summary is the last thing printed. The longer jobs (fuzzing, the Windows
# build, the Debian package) have scripts of their own; .ci/run runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh -DTAVIN_WERROR=ON
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== Sanitizer build (build-asan)"
# Line tables only (-g1): enough for the sanitizers' stack traces, and a quicker build.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIN_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DTAVIN_SANITIZE=address,undefined -DTAVIN_BUILD_FUZZERS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# A leak fails its test. The committed suppression list is for allocations that libraries
# outside the project make once and never free; the suite runs clean without any today.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300

echo "== Test suite (build)"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 120
