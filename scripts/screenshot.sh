#!/usr/bin/env bash
# Takes the documentation's pictures of the desktop program on a virtual X server:
# docs/screenshot.png (the main window after it probed the bundled sample) and docs/about.png
# (the About box). The program grabs its own windows (SONAREL_SCREENSHOT and
# SONAREL_ABOUT_SCREENSHOT) and closes itself.
#
# Usage: scripts/screenshot.sh [build-dir]   (default: build; needs xvfb-run)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program="$root/${1:-build}/bin/sonarel"
if [ ! -x "$program" ]; then
    echo "no $program: build it first (scripts/build.sh ${1:-build})" >&2
    exit 1
fi

# A short, stable folder, since its name shows in the window; settings kept apart from the
# user's own.
work=/tmp/sonarel-screenshot
rm -rf "$work"
mkdir -p "$work/Music" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
trap 'rm -rf "$work"' EXIT
cp samples/sample.mp3 "$work/Music/"
mkdir -p docs

cd "$work/Music"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    SONAREL_SCREENSHOT="$root/docs/screenshot.png" \
    SONAREL_ABOUT_SCREENSHOT="$root/docs/about.png" \
    xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$work/Music/sample.mp3"
echo "wrote docs/screenshot.png and docs/about.png"
