#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql postgresql qt6-qpa-plugins
    libkainjow-mustache-dev libbenchmark-dev
    poppler-utils fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
    xvfb xauth dbus-daemon
    qt6-svg-dev desktop-file-utils appstream dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
