#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds and runs every test:
# once in the normal build, once more with AddressSanitizer and
# UndefinedBehaviorSanitizer (without the browser checks, which test no code of
# ours that the first run does not), so memory faults and undefined behaviour fail
# the run too. Then clang-tidy reads the sources, and a finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DTW_WERROR=ON
cmake --build build -j2
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600)

sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTW_WERROR=ON -DTW_BROWSER_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j2
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 900)

bash tools/tidy.sh build
