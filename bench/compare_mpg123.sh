#!/usr/bin/env bash
# Compares whole conversions by sonarel-cli with `mpg123 -w` (Debian's) on three 10-minute
# pink-noise streams made with sox and LAME: 128 kbit/s 44.1 kHz stereo, 320 kbit/s
# 48 kHz stereo and 16 kbit/s 8 kHz mono. Each program converts each stream RUNS times,
# the programs taking turns, under /usr/bin/time; the table shows medians of the
# processor time (user + system), the wall time and the peak resident size, the ratio
# of processor times against mpg123 in the same run, and the real-time factor of
# sonarel-bench (decoding alone, processor time of its fastest of RUNS passes).
#
#   bench/compare_mpg123.sh [-n RUNS] [-w WORK_DIR] BIN_DIR...
#
# Each BIN_DIR holds a sonarel-cli and a sonarel-bench (for instance build/bin); giving
# two measures two builds side by side. The streams stay in WORK_DIR (default
# /tmp/sonarel-compare) for the next run. Missing sox, lame or mpg123 are installed with
# apt-get.
set -euo pipefail

runs=5
work=/tmp/sonarel-compare
while getopts "n:w:" option; do
    case $option in
    n) runs=$OPTARG ;;
    w) work=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { sed -n '2,15p' "$0" >&2; exit 2; }

bins=()
labels=()
for dir in "$@"; do
    labels+=("${dir%/}/sonarel-cli")
    for program in sonarel-cli sonarel-bench; do
        [ -x "$dir/$program" ] || { echo "missing $dir/$program" >&2; exit 1; }
    done
    bins+=("$(cd "$dir" && pwd)")
done

missing=()
for tool in sox lame mpg123; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y "${missing[@]}" >/dev/null
fi

mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config # keep the converter's settings out of the user's

# name rate channels kbit/s
streams=("s128 44100 2 128" "s320 48000 2 320" "s8k 8000 1 16")
for spec in "${streams[@]}"; do
    read -r name rate channels kbits <<<"$spec"
    if [ ! -s "$work/$name.mp3" ]; then
        sox -n -r "$rate" -c "$channels" -b 16 "$work/$name.wav" synth 600 pinknoise gain -n -6
        lame --quiet -b "$kbits" "$work/$name.wav" "$work/$name.mp3"
        rm "$work/$name.wav"
    fi
done

# Appends "cpu_seconds wall_seconds peak_kib" of one run of the command to file $1.
measure() {
    local log=$1
    shift
    rm -f "$work/out.wav" # a fresh file each time: truncating an old one costs extra
    /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%.3f %.3f %d\n", $1 + $2, $3, $4 }' "$work/time" >>"$log"
}

# The median of column $2 of file $1.
median() {
    awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Processor-time real-time factor of the fastest of the bench's passes.
bench_factor() {
    "$1/sonarel-bench" --repeat "$runs" "$2" | awk 'NR == 2 { sub("x", "", $8); print $8 }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs each, medians"
printf "%-6s %-44s %8s %8s %9s %10s %10s\n" stream program "cpu s" "wall s" "rss KiB" \
    "cpu ratio" "bench rt"
for spec in "${streams[@]}"; do
    read -r name _ <<<"$spec"
    input=$work/$name.mp3
    rm -f "$work"/log.*
    for ((run = 0; run < runs; run++)); do
        for i in "${!bins[@]}"; do
            measure "$work/log.$i" "${bins[$i]}/sonarel-cli" -nobeep -overwrite "$input" \
                "$work/out.wav"
        done
        measure "$work/log.mpg123" mpg123 -q -w "$work/out.wav" "$input"
    done
    reference=$(median "$work/log.mpg123" 1)
    for i in "${!bins[@]}"; do
        cpu=$(median "$work/log.$i" 1)
        printf "%-6s %-44s %8.3f %8.3f %9d %10.2f %9.0fx\n" "$name" "${labels[$i]}" \
            "$cpu" "$(median "$work/log.$i" 2)" "$(median "$work/log.$i" 3)" \
            "$(awk -v a="$cpu" -v b="$reference" 'BEGIN { print a / b }')" \
            "$(bench_factor "${bins[$i]}" "$input")"
    done
    printf "%-6s %-44s %8.3f %8.3f %9d %10.2f %10s\n" "$name" "mpg123 -w" "$reference" \
        "$(median "$work/log.mpg123" 2)" "$(median "$work/log.mpg123" 3)" 1 -
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
