#!/usr/bin/env bash
# Builds (when needed) and runs one libFuzzer target for a while:
#   scripts/fuzz.sh TARGET SECONDS [more libFuzzer options]
# TARGET is one of: decoder framer wave_reader command_line path_name.
# New inputs go to build-fuzz/corpus/TARGET (the committed seeds in fuzz/corpus/TARGET are
# only read); a crashing, leaking or hanging input is written to build-fuzz/findings/TARGET/
# and the script fails. SONAREL_FUZZ_BUILD names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
    echo "usage: $0 TARGET SECONDS [libFuzzer options]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
build=${SONAREL_FUZZ_BUILD:-build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
fi
cmake --build "$build" --target "fuzz_$target" -j 2 >/dev/null

case $target in
decoder | framer) max_len=16384 ;;
wave_reader) max_len=8192 ;;
*) max_len=1024 ;;
esac

root=$(pwd)
build=$(cd "$build" && pwd)
work="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$work" "$findings"
# Bare names in the command-line target are looked up relative to the current folder.
cd "$work"
exec "$build/bin/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$@" "$work" "$root/fuzz/corpus/$target"
