#!/usr/bin/env bash
# Times trailwright-cli generate against `tree -H` on the same synthetic site,
# with a warm cache (hyperfine), and prints medians, files per second, peak
# memory, the ratio, the program pinned to one core, and the system calls
# per file of both from a separate untimed run under strace; then the modern
# layout's time against the classic list's and its peak memory, and with
# --max-links 5000 (where generate has it) the most links on a written page.
# Usage: bench/run.sh [small|large|all] [repeats]
#   small: 50,000 files in 2,000 folders; large: 1,000,000 in 20,000.
# Sites are generated once under ${BENCH_DIR:-/tmp/trailwright-bench}.
set -euo pipefail
cd "$(dirname "$0")/.."
which_sizes=${1:-small}
repeats=${2:-5}
bash scripts/setup.sh tree time hyperfine strace
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2 --target trailwright-cli make_site >/dev/null

root=${BENCH_DIR:-/tmp/trailwright-bench}
mkdir -p "$root"
cli=$PWD/build/bin/trailwright-cli
pattern='*.htm|*.html|*.txt|*.php|*.php4|*.php5'

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# Times a command with hyperfine; prints "median-seconds peak-kb" (the peak
# from one more run under /usr/bin/time).
measure() {
  local json stats median
  json=$(mktemp)
  stats=$(mktemp)
  # Its warnings about a slow first run are noise here: the cache is warm.
  hyperfine -N --style none -w 1 -r "$repeats" --export-json "$json" -- "$*" >/dev/null 2>&1
  median=$(grep -o '"median": *[0-9.e+-]*' "$json" | head -n 1 | sed 's/.*: *//')
  /usr/bin/time -f '%M' -o "$stats" "$@" >/dev/null 2>&1
  printf '%s %s\n' "$median" "$(tail -n 1 "$stats")"
  rm -f "$json" "$stats"
}

# System calls per file of a command: "total per file (the top three)".
syscalls() {
  local files=$1 out
  shift
  out=$(mktemp)
  strace -c -f -o "$out" "$@" >/dev/null 2>&1
  # Rows: % time, seconds, usecs/call, calls, [errors,] name.
  awk '$4 ~ /^[0-9]+$/ && $NF ~ /^[a-z_0-9]+$/ && $NF != "total" { print $4, $NF }' "$out" |
    sort -rn | awk -v f="$files" '{ sum += $1; if (NR <= 3) top = top (NR > 1 ? ", " : "") sprintf("%s %.2f", $2, $1 / f) }
      END { printf "%.2f per file (%s)", sum / f, top }'
  rm -f "$out"
}

run_size() {
  local name=$1 files=$2 folders=$3
  local site=$root/$name
  if [ ! -f "$site/.complete" ]; then
    rm -rf "$site"
    build/bench/make_site --files "$files" --folders "$folders" --out "$site"
    touch "$site/.complete"
  fi
  # Warm the cache: every file read once.
  find "$site" -type f -print0 | xargs -0 cat >/dev/null
  "$cli" generate --quiet --index "$site/index.html" --output "$root/$name-tw.html"
  (cd "$site" && tree -H . -P "$pattern" -o "$root/$name-tree.html")

  read -r tw_s tw_kb < <(measure "$cli" generate --quiet --index "$site/index.html" \
    --output "$root/$name-tw.html")
  read -r tr_s tr_kb < <(cd "$site" && measure tree -H . -P "$pattern" -o "$root/$name-tree.html")
  read -r one_s _ < <(measure taskset -c 0 "$cli" generate --quiet --index "$site/index.html" \
    --output "$root/$name-tw.html")
  # One core with a worker forced on, and every core with the workers off.
  read -r one_on_s _ < <(measure env TW_SCAN_WORKERS=1 taskset -c 0 "$cli" generate --quiet \
    --index "$site/index.html" --output "$root/$name-tw.html")
  read -r all_off_s _ < <(measure env TW_SCAN_WORKERS=0 "$cli" generate --quiet \
    --index "$site/index.html" --output "$root/$name-tw.html")
  awk -v n="$name" -v f="$files" -v a="$tw_s" -v ak="$tw_kb" -v b="$tr_s" -v bk="$tr_kb" 'BEGIN {
    printf "%-6s %9d files | trailwright-cli %7.3f s %10.0f files/s %8.1f MB %5.0f B/file | tree -H %7.3f s %10.0f files/s %8.1f MB | ratio %.2f\n",
      n, f, a, f / a, ak / 1024, ak * 1024 / f, b, f / b, bk / 1024, a / b }'
  awk -v n="$name" -v a="$one_s" -v o="$one_on_s" -v b="$tw_s" -v f="$all_off_s" 'BEGIN {
    printf "%-6s every core: %.3f s with title workers, %.3f s without (%.2f) | one core: %.3f s (no worker), %.3f s with one forced on\n", n, b, f, f / b, a, o }'
  printf '%-6s system calls: trailwright-cli %s | tree -H %s\n' "$name" \
    "$(syscalls "$files" "$cli" generate --quiet --index "$site/index.html" --output "$root/$name-tw.html")" \
    "$(cd "$site" && syscalls "$files" tree -H . -P "$pattern" -o "$root/$name-tree.html")"
  # Kept for the verdicts at the end.
  eval "${name}_files=$files ${name}_s=$tw_s ${name}_kb=$tw_kb ${name}_tree_s=$tr_s"
  layouts "$name" "$files" "$site"
}

# User plus system seconds of one run of a command.
cpu_seconds() {
  local stats
  stats=$(mktemp)
  /usr/bin/time -f '%U %S' -o "$stats" "$@" >/dev/null 2>&1
  tail -n 1 "$stats" | awk '{printf "%.2f", $1 + $2}'
  rm -f "$stats"
}

# The modern page against the classic list on the same site, and with paging
# (where generate has --max-links) the most links any written page holds.
layouts() {
  local name=$1 files=$2 site=$3
  read -r list_s _ < <(measure "$cli" generate --quiet --format list --index "$site/index.html" \
    --output "$root/$name-list.html")
  read -r modern_s modern_kb < <(measure "$cli" generate --quiet --format modern \
    --index "$site/index.html" --output "$root/$name-modern.html")
  # Processor time (user + system) of one more run each: on a machine that
  # others load too, a steadier ratio than the wall times'.
  local list_cpu modern_cpu
  list_cpu=$(cpu_seconds "$cli" generate --quiet --format list --index "$site/index.html" \
    --output "$root/$name-list.html")
  modern_cpu=$(cpu_seconds "$cli" generate --quiet --format modern --index "$site/index.html" \
    --output "$root/$name-modern.html")
  awk -v n="$name" -v f="$files" -v l="$list_s" -v m="$modern_s" -v k="$modern_kb" \
    -v lc="$list_cpu" -v mc="$modern_cpu" 'BEGIN {
    printf "%-6s layouts: list %.3f s | modern %.3f s, %.1f MB, %.0f B/file | modern / list %.2f | processor time: list %.2f s, modern %.2f s, ratio %.2f\n",
      n, l, m, k / 1024, k * 1024 / f, m / l, lc, mc, mc / lc }'
  local paged=""
  local help
  help=$("$cli" generate --help)
  if [[ $help == *--max-links* ]]; then
    rm -f "$root/$name-paged"*.html
    "$cli" generate --quiet --format modern --max-links 5000 --index "$site/index.html" \
      --output "$root/$name-paged.html"
    # Links inside the pages' nav elements (the list and the way back); the
    # first page's own list of pages counts too.
    local counts
    counts=$(for f in "$root/$name-paged.html" "$root/$name-paged"-*.html; do
      [ -f "$f" ] || continue
      grep -o '<nav\|</nav>\|<a ' "$f" | awk '/^<nav/ {in_nav = 1} /^<\/nav>/ {in_nav = 0}
        /^<a / && in_nav {n++} END {print n + 0}'
    done)
    paged=$(printf '%s\n' "$counts" | sort -n | tail -n 1)
    printf '%-6s --max-links 5000: %d pages, at most %d links on a page\n' "$name" \
      "$(printf '%s\n' "$counts" | wc -l)" "$paged"
  else
    printf '%-6s --max-links: not in this build of generate\n' "$name"
  fi
  eval "${name}_list_s=$list_s ${name}_modern_s=$modern_s ${name}_modern_kb=$modern_kb ${name}_paged=$paged"
}

# One line per target with its figure and whether it is met.
verdicts() {
  if [ -n "${small_s:-}" ]; then
    awk -v a="$small_s" -v b="$small_tree_s" 'BEGIN {
      r = a / b; printf "target: 50,000 files, trailwright-cli / tree -H = %.2f (at most 1.00) %s\n", r, r <= 1.0 ? "met" : "MISSED" }'
  fi
  if [ -n "${large_s:-}" ]; then
    awk -v a="$large_s" -v b="$large_tree_s" 'BEGIN {
      r = a / b; printf "target: 1,000,000 files, trailwright-cli / tree -H = %.2f (at most 1.00) %s\n", r, r <= 1.0 ? "met" : "MISSED" }'
    awk -v kb="$large_kb" -v f="$large_files" 'BEGIN {
      m = kb * 1024 / f; printf "target: 1,000,000 files, peak memory %.0f B/file (at most 600) %s\n", m, m <= 600 ? "met" : "MISSED" }'
  fi
  if [ -n "${large_modern_s:-}" ]; then
    awk -v a="$large_modern_s" -v b="$large_list_s" 'BEGIN {
      r = a / b; printf "target: 1,000,000 files, modern / list layout time = %.2f (at most 1.20) %s\n", r, r <= 1.2 ? "met" : "MISSED" }'
    awk -v kb="$large_modern_kb" -v f="$large_files" 'BEGIN {
      m = kb * 1024 / f; printf "target: 1,000,000 files, modern layout peak memory %.0f B/file (at most 600) %s\n", m, m <= 600 ? "met" : "MISSED" }'
  fi
  if [ -n "${large_paged:-}" ]; then
    awk -v p="$large_paged" 'BEGIN {
      printf "target: 1,000,000 files, --max-links 5000: at most %d links on a page (at most 5000) %s\n", p, p <= 5000 ? "met" : "MISSED" }'
  fi
  if [ -n "${small_s:-}" ] && [ -n "${large_s:-}" ]; then
    awk -v a="$small_s" -v fa="$small_files" -v b="$large_s" -v fb="$large_files" 'BEGIN {
      pa = a / fa * 1e6; pb = b / fb * 1e6; r = pb / pa
      printf "target: time per file %.2f us at 1,000,000 / %.2f us at 50,000 = %.2f (at most 1.20) %s\n", pb, pa, r, r <= 1.2 ? "met" : "MISSED" }'
  fi
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -r)"
echo "repeats: $repeats, medians of wall time (hyperfine), peak resident set"
case $which_sizes in
  small) run_size small 50000 2000 ;;
  large) run_size large 1000000 20000 ;;
  all) run_size small 50000 2000; run_size large 1000000 20000 ;;
  *) echo "usage: bench/run.sh [small|large|all] [repeats]" >&2; exit 2 ;;
esac
verdicts
