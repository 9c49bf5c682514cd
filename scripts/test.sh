#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DTW_WERROR=ON
cmake --build build -j2
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
