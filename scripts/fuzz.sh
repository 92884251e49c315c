#!/usr/bin/env bash
# Runs each fuzzer for 30 s (FUZZ_SECONDS), longer than the short seeded runs in the test suite.
# New inputs go to a scratch corpus in build/fuzz/scratch; a crash leaves its input there and
# fails here. Add that input to fuzz/corpus/<target> once the fault is mended. The fuzzers need
# clang with its sanitizer runtimes (scripts/setup.sh installs them); without, this says so and
# skips.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
seconds="${FUZZ_SECONDS:-30}"

fuzz_dir=build/fuzz/targets
if [ ! -x "$fuzz_dir/reply_path_fuzzer" ]; then
    echo "== Fuzzing skipped: the fuzzers are not built (no clang, or -DTAVIN_BUILD_FUZZERS=OFF)"
    exit 0
fi
for target in data_file reply_path sim_camera; do
    fuzzer="$fuzz_dir/${target}_fuzzer"
    echo "== Fuzzing $target for $seconds s"
    scratch="build/fuzz/scratch/$target"
    mkdir -p "$scratch"
    if ! "$fuzzer" -max_total_time="$seconds" -max_len=512 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$scratch/" "$scratch" "fuzz/corpus/$target" >"$scratch.log" 2>&1; then
        cat "$scratch.log"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$scratch.log" || true
done
