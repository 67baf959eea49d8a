#!/usr/bin/env bash
# Decodes every ISO conformance stream (../shared/vectors/*.bit) with the Linux and the Windows
# build of sonarel-bench (the latter under Wine) and requires byte-identical PCM.
#
#   scripts/compare_windows_pcm.sh [LINUX_BUILD] [WINDOWS_BUILD]   (defaults: build, build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$(realpath "${1:-build}")/bin/sonarel-bench
windows=$(realpath "${2:-build-win}")/bin/sonarel-bench.exe
vectors=../shared/vectors
if [ ! -d "$vectors" ]; then
    echo "skipped: no $vectors beside the checkout"
    exit 0
fi
export WINEPREFIX=${WINEPREFIX:-$(realpath "${2:-build-win}")/wineprefix} WINEDEBUG=-all
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
streams=0
decoded=0
for stream in "$vectors"/*.bit; do
    name=$(basename "$stream" .bit)
    "$linux" --pcm "$work/$name.linux" "$stream" >/dev/null
    wine "$windows" --pcm "$work/$name.windows" "$stream" >/dev/null 2>&1
    cmp -s "$work/$name.linux" "$work/$name.windows" || {
        echo "$name: the Windows build's PCM differs from the Linux build's" >&2
        exit 1
    }
    streams=$((streams + 1))
    [ -s "$work/$name.linux" ] && decoded=$((decoded + 1))
done
echo "$streams streams ($decoded with Layer III audio): identical PCM from both builds"
