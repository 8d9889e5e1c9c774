#!/usr/bin/env bash
# The install script run by a user without sudo on a system that lacks packages: it names the
# command to run as root and ends with an error instead of failing on a missing sudo.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/bin"
for tool in bash id grep; do
    ln -s "$(command -v $tool)" "$work/bin/$tool"
done
# Nothing is installed, and apt-get must not be reached.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\ntouch %s/apt-get-ran\nexit 0\n' "$work" >"$work/bin/apt-get"
chmod 0755 "$work/bin/dpkg-query" "$work/bin/apt-get"
cp "$source_dir/scripts/install-dependencies.sh" "$work/"
chmod 0755 "$work/install-dependencies.sh"
# The user below must reach the copy, and apt-get's stand-in would leave its mark here.
chmod 0777 "$work"

as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(runuser -u nobody --)
"${as_user[@]}" env -i PATH="$work/bin" HOME=/ "$work/install-dependencies.sh" \
    >"$work/out" 2>&1 </dev/null
status=$?

failures=0
fail() {
    echo "FAIL: $*" >&2
    echo "It said: $(cat "$work/out")" >&2
    failures=$((failures + 1))
}
{ [ $status -ne 0 ] && [ $status -ne 127 ]; } || fail "ended with $status"
grep -q "root" "$work/out" || fail "does not say to run it as root"
grep -q "apt-get install -y .*cmake" "$work/out" || fail "does not name the apt-get command"
[ ! -e "$work/apt-get-ran" ] || fail "ran apt-get without root"
[ $failures -eq 0 ] && echo "install script without sudo: names the command to run as root"
exit $((failures > 0))
