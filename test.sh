#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test (no display
# needed).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-dependencies.sh
scripts/check-format.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
