#!/usr/bin/env bash
# Takes the documentation's pictures of the Windows program under Wine on a virtual X server:
# docs/screenshot-windows.png (the main window after it probed the bundled sample) and
# docs/about-windows.png (the About box). The program copies its own windows
# (SONAREL_SCREENSHOT and SONAREL_ABOUT_SCREENSHOT) and closes itself.
#
# Usage: scripts/screenshot-windows.sh [build-dir]   (default: build-win, made by
# scripts/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
program="$root/${1:-build-win}/bin/sonarel.exe"
if [ ! -f "$program" ]; then
    echo "no $program: build it first (scripts/build-windows.sh ${1:-build-win})" >&2
    exit 1
fi

# A private Wine folder with a short, stable music folder, since its name shows in the window.
# Wine draws the window frames itself (Decorated=N): there is no window manager to draw them.
work=/tmp/sonarel-screenshot-windows
rm -rf "$work"
mkdir -p "$work/home"
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" HOME="$work/home" WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d
wineboot --init >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
music="$WINEPREFIX/drive_c/Music"
mkdir -p "$music" docs
cp samples/sample.mp3 "$music/"

rm -f docs/screenshot-windows.png docs/about-windows.png
# The first run in a new Wine folder has been seen to end without its pictures: a second try.
for attempt in 1 2; do
    SONAREL_SCREENSHOT="Z:${root//\//\\}\\docs\\screenshot-windows.png" \
        SONAREL_ABOUT_SCREENSHOT="Z:${root//\//\\}\\docs\\about-windows.png" \
        xvfb-run -a -s "-screen 0 1024x768x24" wine "$program" 'C:\Music\sample.mp3' \
        '/output=C:\Music'
    if [ -s docs/screenshot-windows.png ] && [ -s docs/about-windows.png ]; then
        echo "wrote docs/screenshot-windows.png and docs/about-windows.png"
        exit 0
    fi
    echo "attempt $attempt took no pictures" >&2
done
exit 1
