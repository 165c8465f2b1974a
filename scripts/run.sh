#!/usr/bin/env bash
# Installs what is missing, builds the program (the front ends and the components, not the tests,
# benchmarks or fuzz helpers), and starts it. With a display it opens the main window (the first
# start offers the Demo analyzer in the instrument selection); without one it runs a complete
# calibration and measurement of the Demo analyzer in the terminal instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
KV_BUILD_TARGETS=program "$here/scripts/build.sh"
build=${KV_BUILD_DIR:-$here/build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
    exec "$build/bin/kv47310" "$@"
fi
echo "No display: running the terminal front end with the Demo analyzer instead." >&2
exec "$build/bin/kv47310-cli" measure --instrument Demo --yes "$@"
