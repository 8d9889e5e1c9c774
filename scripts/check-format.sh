#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
    grep -E '^[^ ].*: (error|warning):' "$report" | cut -d: -f1 | sort -u |
        sed 's/^/unformatted: /' >&2
    echo "Format them with: clang-format -i FILE (the style is in .clang-format)" >&2
    exit 1
fi
echo "formatting: ${#files[@]} files as clang-format makes them"
