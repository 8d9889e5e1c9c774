#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test (no display
# needed). With --sanitize, builds into build-sanitize under AddressSanitizer and
# UndefinedBehaviorSanitizer instead and runs every test there: the first fault found fails its
# test with the sanitizer's report.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-dependencies.sh
if [ "${1:-}" = "--sanitize" ]; then
    generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    # Debian's fortified functions stay out: the sanitizers check those calls themselves.
    cmake -S . -B build-sanitize "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORX_SANITIZE=ON -DORX_HARDENING=OFF -DORX_BUILD_BENCHMARKS=OFF
    cmake --build build-sanitize --parallel "$(nproc)"
    cd build-sanitize
    # Qt and fontconfig keep their caches until the process ends, so leaks are not counted. The
    # due-list tests run the program under faketime, whose library is preloaded before ASan's.
    export ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 1800
    exit
fi
scripts/check-format.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
