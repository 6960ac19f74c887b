#!/usr/bin/env bash
# Builds everything (installing what it needs) and runs every suite: the format check, the
# unit, backend and end-to-end tests under the sanitizers and optimised, the fuzzers, and the
# Windows screen saver under Wine. Each suite's output is kept in build/logs/. Ends with one
# summary of every suite and "N passed, N failed, N skipped" for the whole run; exits non-zero
# when anything failed.
set -uo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh --fuzzing || exit 1
jobs=$(nproc)
mkdir -p build/logs

names=()
passes=()
fails=()
skips=()
# Runs one suite and takes its counts from its closing line, ctest's "... N tests failed out
# of M" or "N passed, N failed[, N skipped]"; a suite that fails without saying how counts as
# one failure.
suite() {
  local name=$1 log="build/logs/$1.log" line passed=0 failed=0 skipped=0
  shift
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+$' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    failed=$(sed -E 's/.* ([0-9]+) tests failed .*/\1/' <<<"$line")
    # ctest counts a skipped test among those that passed and lists it under "did not run".
    skipped=$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$log")
    passed=$(($(sed -E 's/.* out of ([0-9]+)$/\1/' <<<"$line") - failed - skipped))
  else
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed(, [0-9]+ skipped)?$' "$log" | tail -n 1)
    if [ -n "$line" ]; then
      passed=${line%% passed*}
      failed=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")
      [[ $line == *skipped ]] && skipped=$(sed -E 's/.* ([0-9]+) skipped$/\1/' <<<"$line")
    fi
  fi
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  names+=("$name")
  passes+=("$passed")
  fails+=("$failed")
  skips+=("$skipped")
}

# The core and the Qt backend under AddressSanitizer and UndefinedBehaviorSanitizer, with
# the long end-to-end run of the show.
asan() {
  cmake --preset asan >/dev/null && cmake --build --preset asan -j"$jobs" &&
    ctest --preset asan -j"$jobs"
}
# The optimised program, its backend tests and the end-to-end tests on a virtual screen.
release() {
  cmake --preset release >/dev/null && cmake --build --preset release -j"$jobs" &&
    ctest --preset release
}
# The Windows screen saver, cross-built and run under Wine.
windows() {
  scripts/install-windows-deps.sh && scripts/test-windows.sh
}

suite clang-format scripts/check-format.sh
suite asan asan
suite release release
suite fuzzing scripts/fuzz.sh
suite windows windows
# The packages, made by scripts/package.sh from a clean clone, checked and left in build/packages/.
suite packaging tests/packaging/check_packages.sh

total_passed=0
total_failed=0
total_skipped=0
echo
echo "Summary of every suite:"
for i in "${!names[@]}"; do
  printf '  %-14s %5d passed %5d failed %5d skipped\n' "${names[i]}" "${passes[i]}" "${fails[i]}" "${skips[i]}"
  total_passed=$((total_passed + passes[i]))
  total_failed=$((total_failed + fails[i]))
  total_skipped=$((total_skipped + skips[i]))
done
echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
[ "$total_failed" -eq 0 ]
