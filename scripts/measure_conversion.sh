#!/usr/bin/env bash
# Measures what a whole conversion costs: converts a 10-minute 128 kbit/s stereo MP3 (made
# here with sox and LAME, in a temporary folder) with sonarel-cli, and decodes the same file
# with sonarel-bench alone. Reports the converter's peak resident size and the processor
# time of both (the best of several runs).
#
#   scripts/measure_conversion.sh [BUILD_DIR] [RUNS]     (defaults: build, 3)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-3}
cli=$build/bin/sonarel-cli
bench=$build/bin/sonarel-bench
for program in "$cli" "$bench"; do
    [ -x "$program" ] || { echo "missing $program: build first" >&2; exit 1; }
done
for tool in sox lame /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config # keep the converter's settings out of the user's

# Ten minutes of two slow sweeps with pink noise mixed in, one per channel.
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" \
    synth 600 sine 200-2000 sine 440-880 synth 600 pinknoise mix vol 0.5 2>/dev/null
lame --quiet -b 128 "$work/in.wav" "$work/in.mp3"
rm "$work/in.wav"
echo "input: $(stat -c %s "$work/in.mp3") bytes, 10 minutes, 128 kbit/s stereo"

# Prints "cpu_seconds wall_seconds peak_kib" of one run of the command.
measure() {
    /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%.3f %.3f %d\n", $1 + $2, $3, $4 }' "$work/time"
}

best() { sort -n | head -1; }

for ((i = 0; i < runs; i++)); do
    rm -f "$work/out.wav" # a fresh file each time: truncating an old one costs extra
    measure "$cli" -nobeep "$work/in.mp3" "$work/out.wav" >>"$work/cli"
    measure "$bench" "$work/in.mp3" >>"$work/bench"
done

read -r cli_cpu cli_wall _ < <(best <"$work/cli")
read -r bench_cpu bench_wall _ < <(best <"$work/bench")
cli_peak=$(awk '{ print $3 }' "$work/cli" | sort -n | tail -1)
echo "output: $(stat -c %s "$work/out.wav") bytes"
echo "sonarel-cli:   cpu ${cli_cpu} s, wall ${cli_wall} s, peak RSS ${cli_peak} KiB (limit 8192)"
echo "sonarel-bench: cpu ${bench_cpu} s, wall ${bench_wall} s"
awk -v c="$cli_cpu" -v b="$bench_cpu" -v p="$cli_peak" 'BEGIN {
    extra = (c / b - 1) * 100
    printf "conversion costs %.1f%% more processor time than decoding alone (limit 10%%)\n", extra
    if (p > 8192 || extra > 10) { exit 1 }
}'
