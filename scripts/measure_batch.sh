#!/usr/bin/env bash
# Measures a batch conversion on all processors against one at a time: 40 one-minute 128 kbit/s
# stereo MP3 files (made with sox and LAME, once, in WORK/in) converted with -jobs 1 and -jobs 2
# in turn, RUNS times each; prints every wall time, the best of each and their ratio, and the
# load average before and after. As a check of what the machine offers at the moment, the same
# files are also converted by one sonarel-cli process per file, one and two processes at a time
# (xargs -P): a batch cannot gain more than that on a machine that others load.
#
#   scripts/measure_batch.sh [BUILD_DIR] [RUNS] [WORK]     (defaults: build, 3, /tmp/batch)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-3}
work=${3:-/tmp/batch}
cli=$build/bin/sonarel-cli
[ -x "$cli" ] || { echo "missing $cli: build first" >&2; exit 1; }

mkdir -p "$work/in"
for i in $(seq -w 1 40); do
    [ -s "$work/in/song$i.mp3" ] && continue
    f1=$((100 + 10#$i * 37))
    f2=$((300 + 10#$i * 53))
    sox -n -r 44100 -c 2 -b 16 "$work/t.wav" synth 60 sine $f1-$((f1 * 3)) \
        sine $f2-$((f2 * 2)) synth 60 pinknoise mix vol 0.5 2>/dev/null
    lame --quiet -b 128 "$work/t.wav" "$work/in/song$i.mp3"
    rm "$work/t.wav"
done
export XDG_CONFIG_HOME=$work/config # keep the converter's settings out of the user's

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= runs; r++)); do
    for jobs in 1 2; do
        rm -rf "$work/out$jobs"
        start=$(date +%s.%N)
        "$cli" -nobeep -jobs "$jobs" "$work/in" -output="$work/out$jobs/" >/dev/null
        end=$(date +%s.%N)
        echo "run $r -jobs $jobs: $(echo "$end - $start" | bc) s"
    done
    for procs in 1 2; do
        rm -rf "$work/proc$procs" && mkdir -p "$work/proc$procs"
        start=$(date +%s.%N)
        ls "$work"/in/*.mp3 | xargs -P "$procs" -I{} "$cli" -nobeep {} "$work/proc$procs" >/dev/null
        end=$(date +%s.%N)
        echo "run $r processes $procs: $(echo "$end - $start" | bc) s"
    done
    cmp -s <(cd "$work/out1" && cat *.wav | md5sum) <(cd "$work/out2" && cat *.wav | md5sum) ||
        { echo "outputs differ" >&2; exit 1; }
done | tee "$work/times"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
best1=$(grep -- '-jobs 1:' "$work/times" | awk '{print $5}' | sort -n | head -1)
best2=$(grep -- '-jobs 2:' "$work/times" | awk '{print $5}' | sort -n | head -1)
echo "best -jobs 1: $best1 s, best -jobs 2: $best2 s, speed-up $(echo "scale=2; $best1 / $best2" | bc)x"
proc1=$(grep -- 'processes 1:' "$work/times" | awk '{print $5}' | sort -n | head -1)
proc2=$(grep -- 'processes 2:' "$work/times" | awk '{print $5}' | sort -n | head -1)
echo "check, one process per file: best 1 at a time $proc1 s, 2 at a time $proc2 s," \
    "speed-up $(echo "scale=2; $proc1 / $proc2" | bc)x"
