#!/usr/bin/env bash
# Times the wizard against the core on the 50,000-file synthetic site (made
# by bench/run.sh's generator if missing): the scan, the generation, Cancel,
# Check Site against the core's check (and the window's longest pause between
# repaints meanwhile), Stop Check while external links are asked (from
# loopback ports of its own), and the steps of a 100,000-node results tree. Runs
# offscreen unless a display is set. BUILD_DIR names another build folder
# than build/. Usage: bench/gui.sh [tree-nodes]
set -euo pipefail
cd "$(dirname "$0")/.."
nodes=${1:-100000}
bash scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target tw_gui_benchmark make_site >/dev/null

site=${BENCH_DIR:-/tmp/trailwright-bench}/small
if [ ! -f "$site/.complete" ]; then
  rm -rf "$site"
  "$build"/bench/make_site --files 50000 --folders 2000 --out "$site"
  touch "$site/.complete"
fi
# Warm the cache: every file read once.
find "$site" -type f -print0 | xargs -0 cat >/dev/null
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
exec "$build"/bin/tw_gui_benchmark "$site/index.html" "$nodes"
