#!/usr/bin/env bash
# Checks that every C++ source follows the repository's .clang-format. Prints each file that
# drifts (fix with clang-format -i) and ends with "N passed, N failed", counting files.
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
while IFS= read -r -d '' file; do
    if clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        echo "FAIL: clang-format $file"
        failed=$((failed + 1))
    fi
done < <(find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
