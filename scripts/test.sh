#!/usr/bin/env bash
# Sets up, builds and runs every test: first the Release build, then again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Release build =="
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$jobs")

echo "== AddressSanitizer + UBSan build =="
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONAREL_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")
