#!/usr/bin/env bash
# Checks that every C++ source follows the repository's .clang-format: one check, which fails
# when any file drifts. Prints each such file (fix with clang-format -i) and ends with
# "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
checked=0
drifting=0
while IFS= read -r -d '' file; do
    if clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        checked=$((checked + 1))
    else
        echo "FAIL: clang-format $file"
        checked=$((checked + 1))
        drifting=$((drifting + 1))
    fi
done < <(find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
echo "clang-format: $checked files checked, $drifting drifting"
if [ "$drifting" -eq 0 ]; then
    echo "1 passed, 0 failed"
else
    echo "0 passed, 1 failed"
    exit 1
fi
