#!/usr/bin/env bash
# Builds the Debian package of a build folder (cpack -G DEB), checks what it holds and what it
# depends on, installs it and converts the bundled sample with the installed sonarel-cli.
#
#   scripts/test_package.sh [BUILD_DIR]     (default: build; the programs must be built)
#
# Where the package is installed: with SONAREL_PACKAGE_INSTALL=system (the default when CI is
# set and the script runs as root, as on the CI machine) `apt-get install ./sonarel_*.deb`
# installs it, dependencies and all, and it is removed again at the end; otherwise apt-get
# only checks that it would install (--simulate), and the package is unpacked into a
# throwaway root whose programs run on this machine's libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd)
for program in sonarel sonarel-cli; do
    [ -x "$build/bin/$program" ] || { echo "missing $build/bin/$program: build first" >&2; exit 1; }
done
mode=${SONAREL_PACKAGE_INSTALL:-}
if [ -z "$mode" ]; then
    mode=unpack
    if [ -n "${CI:-}" ] && [ "$(id -u)" -eq 0 ]; then
        mode=system
    fi
fi

fail() {
    echo "package test: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
version=$(sed -n 's/^project(Sonarel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package=$(ls "$work"/out/sonarel_"$version"_*.deb 2>/dev/null | head -1)
[ -n "$package" ] || fail "no sonarel_${version}_*.deb in $(ls "$work/out")"
echo "built $(basename "$package")"

# What it holds and what it needs.
contents=$(dpkg-deb -c "$package")
for file in usr/bin/sonarel usr/bin/sonarel-cli usr/share/applications/sonarel.desktop \
    usr/share/icons/hicolor/48x48/apps/sonarel.png usr/share/icons/hicolor/256x256/apps/sonarel.png; do
    grep -q "\./$file\$" <<<"$contents" || fail "$file is missing"
done
depends=$(dpkg-deb -f "$package" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libasound2 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library"
done
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "version is not $version"

# Installed, the console program converts the sample.
if [ "$mode" = system ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y "$package" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
    trap 'apt-get remove -y sonarel >/dev/null 2>&1; rm -rf "$work"' EXIT
    cli=/usr/bin/sonarel-cli
else
    apt-get install --simulate "$package" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get would not install it"; }
    dpkg -x "$package" "$work/root"
    cli=$work/root/usr/bin/sonarel-cli
    if ldd "$cli" "$work/root/usr/bin/sonarel" | grep -q "not found"; then
        fail "a library of the unpacked programs is missing"
    fi
fi
[ "$("$cli" -version)" = "sonarel-cli $version" ] || fail "the installed sonarel-cli is not $version"
XDG_CONFIG_HOME=$work/config "$cli" -nobeep "$root/samples/sample.mp3" "$work/sample.wav" >/dev/null
python3 - "$work/sample.wav" <<'PY' || fail "the installed sonarel-cli wrote no valid WAVE file"
import sys, wave
with wave.open(sys.argv[1], 'rb') as w:
    frames = w.getnframes()
    assert w.getframerate() == 44100 and w.getnchannels() == 2 and w.getsampwidth() == 2, w.getparams()
    assert frames > 0 and len(w.readframes(frames)) == frames * 4
    print(f"sample converted: {frames} frames of 44100 Hz stereo")
PY
echo "package test passed ($mode install)"
