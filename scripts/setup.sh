#!/usr/bin/env bash
# Installs what Strata needs to build, test and run on Debian 12 (through sudo when not root).
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config git python3
    juce-modules-source libasound2-dev libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxcomposite-dev
    libusb-1.0-0-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    clang-14 libclang-rt-14-dev mingw-w64
    xvfb xauth xdotool x11-utils imagemagick librsvg2-bin desktop-file-utils
    fonts-wqy-microhei sox lame espeak-ng umockdev libumockdev-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
