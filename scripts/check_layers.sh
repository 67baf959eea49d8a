#!/usr/bin/env bash
# Checks that each folder of src/ includes only the folders below it:
#   platform -> paths, mp3 -> io -> output -> app -> cli, controls, gui, win32_controls, win32
# Prints every include that breaks the order and exits 1 if there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed() {
    case $1 in
    paths) echo "paths platform" ;;
    platform) echo "platform" ;;
    mp3) echo "mp3" ;;
    io) echo "io paths platform" ;;
    output) echo "output io paths platform" ;;
    app) echo "app output io mp3 paths platform" ;;
    cli) echo "cli app output io mp3 paths platform" ;;
    controls) echo "controls" ;;
    gui) echo "gui controls app output io mp3 paths platform" ;;
    win32_controls) echo "win32_controls" ;;
    win32) echo "win32 win32_controls app output io mp3 paths platform" ;;
    *) echo "" ;;
    esac
}

status=0
for folder in */; do
    folder=${folder%/}
    ok=" $(allowed "$folder") "
    while IFS=: read -r file line used; do
        if [[ $ok != *" $used "* ]]; then
            echo "src/$file:$line includes $used/, which $folder/ may not use"
            status=1
        fi
    done < <(grep -Hn -o '^#include "[a-z0-9_]*/' "$folder"/*.h "$folder"/*.cpp "$folder"/*/*.h "$folder"/*/*.cpp 2>/dev/null |
        sed -E 's|^([^:]*):([0-9]*):#include "([a-z0-9_]*)/|\1:\2:\3|')
done
exit $status
