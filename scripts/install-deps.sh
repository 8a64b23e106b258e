#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quillfen
# needs. Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgumbo-dev libxlsxwriter-dev zlib1g-dev
    libzip-dev libpugixml-dev libpoppler-cpp-dev libuchardet-dev libicu-dev
    libtesseract-dev tesseract-ocr-eng tesseract-ocr-osd
    fonts-liberation
    xvfb xauth libx11-dev
    unzip
    parallel
    desktop-file-utils appstream file bash-completion
    clang-14 libclang-rt-14-dev clang-format-14
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
