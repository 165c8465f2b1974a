#!/usr/bin/env bash
# Builds the Debian package kv47310_<version>_<architecture>.deb: installs what is missing, builds
# into build/ as scripts/build.sh does (nothing is compiled again when it is up to date), and packs
# what the install rules install, under /usr. The package is written to the repository folder, or
# to KV_PACKAGE_DIR; its path is printed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$here/build}
out=${KV_PACKAGE_DIR:-$here}
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >"$build/package.log" 2>&1) || {
    cat "$build/package.log" >&2
    exit 1
}
mkdir -p "$out"
for deb in "$build"/package/*.deb; do
    mv -f "$deb" "$out/"
    echo "$out/$(basename "$deb")"
done
