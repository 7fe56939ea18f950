#!/usr/bin/env bash
# Installs the Debian packages Sonora needs to build and test, but only those that are missing.
# Quiet on success; run as root (or with sudo available) on Debian 12.
set -euo pipefail

packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    clang-format
    clang
    zlib1g-dev
    libfftw3-dev
    qt6-base-dev
    qt6-translations-l10n
    qt6-svg-dev
    libqcustomplot-dev
    python3
    desktop-file-utils
    shared-mime-info
    libglib2.0-bin
    dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo_cmd=(sudo)
    else
        echo "Missing packages: ${missing[*]} (run as root or install sudo)" >&2
        exit 1
    fi
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
