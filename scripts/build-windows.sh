#!/usr/bin/env bash
# Cross-compiles the Windows programs with MinGW-w64 into build-win/bin/*.exe (statically
# linked: they run on a bare Windows 10 or 11), packs sonarel.exe, sonarel-cli.exe and the
# README into build-win/sonarel-VERSION-win64.zip and, with --test, runs the tests under Wine
# on a virtual X server (the dialog's tests need a display). Installs what it needs with
# apt-get.
#
#   scripts/build-windows.sh [--test] [BUILD_DIR]        (default build-win)
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=0
if [ "${1:-}" = --test ]; then
    run_tests=1
    shift
fi
dir=${1:-build-win}

packages=(cmake g++-mingw-w64-x86-64-posix mingw-w64-tools googletest wine64 wine xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DSONAREL_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"

# Only system libraries may be imported: nothing of MinGW's is shipped beside the programs.
for exe in "$dir"/bin/*.exe; do
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr '\n' ' ')
    echo "$(basename "$exe"): $imports"
    for dll in $imports; do
        case ${dll,,} in
        kernel32.dll | msvcrt.dll | user32.dll | gdi32.dll | shell32.dll | advapi32.dll | \
            winmm.dll | comdlg32.dll | comctl32.dll | ole32.dll | shlwapi.dll) ;;
        *)
            echo "$exe imports $dll, which Windows does not have" >&2
            exit 1
            ;;
        esac
    done
done

(cd "$dir" && cpack -G ZIP >/dev/null)
zip=$(ls "$dir"/sonarel-*-win64.zip)
echo "$zip: $(stat -c %s "$zip") bytes"
python3 -m zipfile -l "$zip"

if [ "$run_tests" = 1 ]; then
    # A private Wine folder in the build tree, made before the tests start. Wine plays through
    # ALSA: its default device is ALSA's null device here, so that the waveOut test has a
    # device to play to on a machine without a sound card.
    export WINEPREFIX WINEDEBUG=-all HOME
    WINEPREFIX=$(realpath "$dir")/wineprefix
    HOME=$(realpath "$dir")/wine-home
    mkdir -p "$HOME"
    echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
    # A program that crashes fails its test instead of waiting in Wine's debugger.
    export WINEDLLOVERRIDES=winedbg.exe=d
    wineboot --init >/dev/null 2>&1 || true
    (cd "$dir" && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure)
fi
