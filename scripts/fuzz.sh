#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (ASan + UBSan) and runs each for a
# fixed time from its seed corpus. What a run finds is kept in build/fuzz/findings/; turn
# each finding into a regression case of the unit tests. Ends with "N passed, N failed".
#
#   scripts/fuzz.sh              # every target, 20 s each
#   FUZZ_SECONDS=300 scripts/fuzz.sh captions
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${FUZZ_SECONDS:-20}
build=build/fuzz
passed=0
failed=0

mkdir -p "$build"
if ! CXX=clang++ cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    >"$build/configure.log" 2>&1 || ! cmake --build "$build" -j2 >"$build/build.log" 2>&1; then
    tail -30 "$build/configure.log" "$build/build.log" 2>/dev/null
    echo "FAIL: build the fuzz targets"
    echo "0 passed, 1 failed"
    exit 1
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for corpus in tests/fuzz/*/corpus; do targets+=("$(basename "$(dirname "$corpus")")"); done
fi
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    work="$build/corpus/$target"  # what the run adds to the seeds stays out of the source tree
    mkdir -p "$work"
    log="$build/$target.log"
    if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$work" "tests/fuzz/$target/corpus" >"$log" 2>&1; then
        echo "PASS: fuzz $target ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" |
            grep -o '[0-9]*$') runs in $seconds s)"
        passed=$((passed + 1))
    else
        grep -E -A12 'ERROR|property failed|runtime error|Test unit written' "$log" | head -40
        echo "FAIL: fuzz $target (log: $log)"
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
