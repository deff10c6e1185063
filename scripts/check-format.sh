#!/usr/bin/env bash
# Fails when a C++ file of the tree does not follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h'
else
    find common reader selfservice commentator oris fontinstaller tools bench \
        \( -name '*.cpp' -o -name '*.h' \) -print0
fi | xargs -0 clang-format --dry-run --Werror
echo "Formatting follows .clang-format."
