#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds, and starts the
# wizard. Without a display it says how to run it instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja
cmake --build build -j2
if [ -x build/bin/trailwright ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/trailwright "$@"
fi
if [ ! -x build/bin/trailwright ]; then
  echo "The wizard is not part of this build yet; the command-line tool is:"
else
  echo "There is no display here. Start the wizard on a virtual display with:"
  echo "  xvfb-run -a build/bin/trailwright"
  echo "or use the command-line tool:"
fi
echo "  build/bin/trailwright-cli generate --index /path/to/site/index.html"
