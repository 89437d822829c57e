#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files=$(git ls-files '*.cpp' '*.h')
if [ -z "$files" ]; then
    exit 0
fi
bad=0
for file in $files; do
    if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
        echo "format: $file differs from clang-format's layout"
        bad=1
    fi
done
exit $bad
