#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build, the tests and the window need, and those that
# write the manual pages, build the Debian package and check the installed files.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-serialport-dev libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libgsl-dev libhdf5-dev
    liblxi-dev libtirpc-dev rpcsvc-proto
    xvfb xauth xclip fonts-dejavu-core poppler-utils
    help2man
    dpkg-dev file
    desktop-file-utils appstream
    shared-mime-info libfile-mimeinfo-perl
)
if [ "${KV_WITH_FUZZ:-0}" = 1 ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
