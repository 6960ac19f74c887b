#!/usr/bin/env bash
# Builds everything (installing what it needs) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)

# The core and the Qt backend under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

# The optimised program, its backend tests and the end-to-end tests on a virtual screen.
cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs"
ctest --preset release

# The Windows screen saver, cross-built and run under Wine.
if [ -x scripts/test-windows.sh ]; then
  scripts/install-windows-deps.sh
  scripts/test-windows.sh
fi

# The packages, made by scripts/package.sh from a clean clone, checked and left in build/packages/.
tests/packaging/check_packages.sh
