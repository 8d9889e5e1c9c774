#!/usr/bin/env bash
# Fails when a C++ file of the project differs from what clang-format makes of it, and when it
# finds no file to check. Never reads standard input.
set -euo pipefail
cd "$(dirname "$0")/.."
exec </dev/null

# The files git knows when this folder is a git work tree's root; otherwise (a copy without its
# own git, even one unpacked inside another work tree) every C++ file outside the build folders.
list_files() {
    if command -v git >/dev/null &&
        [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
        git ls-files -- '*.cpp' '*.h'
    else
        find . \( -path './build*' -o -path './.*' \) -prune -o -type f \
            \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort
    fi
}

mapfile -t files < <(list_files)
if [ ${#files[@]} -eq 0 ]; then
    echo "formatting: no C++ file found in $(pwd); nothing was checked" >&2
    exit 1
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror -- "${files[@]}" 2>"$report"; then
    grep -E '^[^ ].*: (error|warning):' "$report" | cut -d: -f1 | sort -u |
        sed 's/^/unformatted: /' >&2
    echo "Format them with: clang-format -i FILE (the style is in .clang-format)" >&2
    exit 1
fi
echo "formatting: ${#files[@]} files as clang-format makes them"
