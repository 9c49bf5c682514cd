#!/usr/bin/env bash
# Runs clang-tidy (Debian's clang-tidy) with the checks of .clang-tidy over
# every source file of src/, using the normal build's compile commands.
# About two minutes on two cores. Prints the findings; exits non-zero when
# there are any.
# Usage: tools/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/setup.sh clang-tidy
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -G Ninja >/dev/null
# Generated sources (moc) are part of the compile commands.
cmake --build "$build" -j2 >/dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$build" -j 2 -quiet "$PWD/src/" >"$log" 2>&1 || true
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error):' | sort -u || true)
if [ -n "$findings" ]; then
    echo "$findings"
    echo "$(echo "$findings" | wc -l) findings"
    exit 1
fi
echo "no findings"
