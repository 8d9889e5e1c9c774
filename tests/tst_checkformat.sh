#!/usr/bin/env bash
# The format check on copies of the project: with and without git, with standard input left
# open as a terminal leaves it, with a misformatted file, and with no file at all.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Standard input as a terminal leaves it: open, and never written nor closed.
mkfifo "$work/stdin"
exec 3<>"$work/stdin"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A copy of the check and the style, holding the given C++ text (none when empty).
make_tree() {
    local tree=$work/$1
    mkdir -p "$tree/scripts" "$tree/src"
    cp "$source_dir/scripts/check-format.sh" "$tree/scripts/"
    cp "$source_dir/.clang-format" "$tree/"
    [ -z "$2" ] || printf '%s' "$2" >"$tree/src/shown.cpp"
    echo "$tree"
}

check() {
    timeout 20 "$1/scripts/check-format.sh" >"$work/out" 2>&1 <&3
}

expect() { # name, wanted exit ("pass" or "fail"), text the output must hold, tree
    check "$4"
    local status=$?
    [ $status -eq 124 ] && { fail "$1: the check waited on standard input"; return; }
    { [ "$2" = pass ] && [ $status -eq 0 ]; } || { [ "$2" = fail ] && [ $status -ne 0 ]; } ||
        fail "$1: ended with $status, wanted $2"
    grep -q -- "$3" "$work/out" || fail "$1: said \"$(cat "$work/out")\", wanted \"$3\""
}

good=$'int main()\n{\n    return 0;\n}\n'
bad=$'int main() { return    0; }\n'

expect "formatted file without git" pass "1 files" "$(make_tree formatted "$good")"
expect "misformatted file without git" fail "unformatted: src/shown.cpp" "$(make_tree bad "$bad")"
expect "no file at all" fail "no C++ file" "$(make_tree empty "")"

if command -v git >/dev/null; then
    tree=$(make_tree git "$bad")
    git -C "$tree" init -q && git -C "$tree" add -A
    expect "misformatted file in git" fail "unformatted: src/shown.cpp" "$tree"
    # A copy without git of its own, unpacked inside another work tree.
    outer=$work/outer
    mkdir -p "$outer" && git -C "$outer" init -q
    mv "$(make_tree inner "$good")" "$outer/inner"
    expect "copy inside another work tree" pass "1 files" "$outer/inner"
fi

[ $failures -eq 0 ] && echo "format check: all cases as expected"
exit $((failures > 0))
