#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-base-private-dev libqt6sql6-sqlite libqt6sql6-psql postgresql qt6-qpa-plugins
    libkainjow-mustache-dev libbenchmark-dev libpq-dev mdbtools-dev libmdb3 libsqlite3-dev
    poppler-utils fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
    xvfb xauth dbus-daemon faketime
    qt6-svg-dev desktop-file-utils appstream dpkg-dev file lintian git
    python3 mdbtools
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "There is no sudo here to install them. Install them as root (su -), then run this again:" >&2
        echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
