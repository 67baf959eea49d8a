#!/usr/bin/env bash
# Sets up, builds and converts the bundled sample to a WAVE file.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release -DSONAREL_BUILD_TESTS=OFF

sample=samples/sample.mp3
out=build/sample.wav
build/bin/sonarel-cli -overwrite -nobeep "$sample" "$out"
echo "Converted $sample to $out"
