#!/usr/bin/env bash
# The site map of Debian's linux-doc-6.1 HTML tree in the classic list, the
# classic paragraph and the modern layout, each through the Nu Html Checker
# and axe-core in headless Chromium (tests/browser/check-pages.sh): prints
# the checker's error count and the audit's violation kinds with their node
# counts at 1280 and 320 pixels wide, light and dark, for each page.
# The modern page is written with the options a webmaster of that tree would
# pick; it is the one expected to have none.
# Usage: bench/modern.sh
# Environment: BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

bash scripts/setup.sh linux-doc-6.1
cmake -S . -B "$build" -G Ninja >/dev/null
flock /tmp/tw-build.lock cmake --build "$build" -j2 --target trailwright-cli >/dev/null
cli=$PWD/$build/bin/trailwright-cli

# The shortest path to an index.html: the tree's top (as bench/check.sh);
# awk reads to the end, so no part of the pipe dies of SIGPIPE.
index=$(find /usr/share/doc/linux-doc-6.1 -name index.html -printf '%d %p\n' 2>/dev/null |
  sort -n | awk 'NR == 1 {sub(/^[0-9]+ /, ""); print}')
[ -n "$index" ] || { echo "no index.html under /usr/share/doc/linux-doc-6.1" >&2; exit 1; }
pages=$(find "$(dirname "$index")" -type f \( -name '*.html' -o -name '*.htm' \) | wc -l)

work=$(mktemp -d /tmp/tw-bench-modern-XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "site: $(dirname "$index") ($pages pages)"

# A page outside the site: its links lead back into the tree; the checkers
# read the page, not the pages it links.
layouts=(
  'classic-list --format list'
  'classic-paragraph --format paragraph'
  'modern --format modern --trim-titles auto --folder-titles --collapsible --filter-box'
)
for row in "${layouts[@]}"; do
  read -r -a words <<<"$row"
  name=${words[0]}
  "$cli" generate --quiet --index "$index" "${words[@]:1}" --output "$work/$name.html" 2>/dev/null
  links=$(grep -o '<a ' "$work/$name.html" | wc -l)
  echo
  echo "== $name (${words[*]:1}): $(stat -c %s "$work/$name.html") bytes, $links links"
  bash tests/browser/check-pages.sh --report-only "$work/$name.html" >"$work/$name.out" 2>&1 || {
    cat "$work/$name.out" >&2
    exit 1
  }
  grep -E '^vnu:' "$work/$name.out"
  # Per width and scheme: the kinds, with impact and node count.
  grep -E 'px (light|dark):|^  [a-z-]+ \(' "$work/$name.out" | sed -e "s|^$work/||" -e 's/, e\.g\..*//'
done
