#!/usr/bin/env bash
# Configures and builds into build/ (KV_BUILD_DIR): everything, or only the targets named in
# KV_BUILD_TARGETS (for example "program": the front ends and the components). Arguments are
# passed to the configure step. ccache is used when it is installed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$here/build}
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Optimised, with line tables for backtraces and the debugger's breakpoints (full debug
# information makes the build a third slower; configure with -DCMAKE_BUILD_TYPE=Debug for it).
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    "${launcher[@]}" "$@" >/dev/null
targets=()
for t in ${KV_BUILD_TARGETS:-}; do
    targets+=(--target "$t")
done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
