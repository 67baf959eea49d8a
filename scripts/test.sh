#!/usr/bin/env bash
# Sets up, builds and runs every test: first the Release build (with the memory benchmark, and
# its Debian package, built, installed and tried by scripts/test_package.sh), then again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of each fuzz target
# (SONAREL_SKIP_FUZZ=1 skips that; SONAREL_FUZZ_SECONDS sets the time per target).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Release build =="
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Memory over 500 conversions in one process =="
scratch=$(mktemp -d)
build/bin/sonarel-memory-bench "$scratch/out.wav" tests/fixtures/mp3/*.mp3
rm -rf "$scratch"

echo "== Debian package =="
scripts/test_package.sh build

echo "== AddressSanitizer + UBSan build =="
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONAREL_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")

if [ "${SONAREL_SKIP_FUZZ:-0}" != 1 ]; then
    echo "== Fuzz targets (clang, libFuzzer + ASan + UBSan) =="
    seconds=${SONAREL_FUZZ_SECONDS:-30}
    mkdir -p build-fuzz
    for target in decoder framer wave_reader command_line path_name; do
        log=build-fuzz/$target.log
        if ! scripts/fuzz.sh "$target" "$seconds" >"$log" 2>&1; then
            tail -n 60 "$log"
            echo "fuzz target $target failed: the input is in build-fuzz/findings/$target/" >&2
            exit 1
        fi
        echo "$target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, no finding"
    done
fi

if [ "${SONAREL_SKIP_WINDOWS:-0}" != 1 ]; then
    echo "== Windows build (MinGW-w64), tests under Wine =="
    scripts/build-windows.sh --test build-win
    scripts/compare_windows_pcm.sh build build-win
fi
