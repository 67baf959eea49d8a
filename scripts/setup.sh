#!/usr/bin/env bash
# Installs what building and testing Sonarel needs on Debian 12.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    dpkg-dev file
    libgtest-dev
    qt6-base-dev libgl-dev
    libasound2-dev alsa-utils
    python3 sox lame mpg123 xvfb xauth
    clang-14 libclang-rt-14-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update
    "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
