#!/usr/bin/env bash
# Times trailwright-cli check against other offline link checkers on one
# site: LinkChecker, linklint, html-proofer and check-html-links. Prints the
# wall time, peak memory, dead links and missing anchors each reports, each
# peer's time against ours, the page parser against gumbo and libxml2
# (parser_bench), check with every kind of finding against check --only the
# link kinds (time, peak memory, their ratio), and whether the targets are met.
# Usage: bench/check.sh [--index PAGE] [--linux-doc] [FOLDER]
#   no folder: a 50,000-page linked site (make_site --linked; BENCH_PAGES to
#   change) under ${BENCH_DIR:-/tmp/trailwright-bench}, generated once;
#   FOLDER: any site, its index page FOLDER/index.html unless --index says;
#   --linux-doc: Debian's linux-doc-6.1 HTML tree (installed with apt).
# Environment: PEER_TIMEOUT (seconds per peer, default 600), PEERS (a subset
# of "check-html-links linklint html-proofer linkchecker"; empty: none),
# BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: bench/check.sh [--index PAGE] [--linux-doc] [FOLDER]" >&2
  exit 2
}
folder="" index="" linux_doc=0
while [ $# -gt 0 ]; do
  case $1 in
    --index) [ $# -ge 2 ] || usage; index=$2; shift 2 ;;
    --linux-doc) linux_doc=1; shift ;;
    -h|--help) usage ;;
    -*) usage ;;
    *) folder=$1; shift ;;
  esac
done
limit=${PEER_TIMEOUT:-600}
# PEERS="" runs no peer.
peers=${PEERS-check-html-links linklint html-proofer linkchecker}
build=${BUILD_DIR:-build-bench}
pages=${BENCH_PAGES:-50000}

extra=(time python3)
# The peers and the parsers compared are installed only when asked for.
if [ -n "$peers" ]; then
  extra+=(libxml2-dev libgumbo-dev linkchecker linklint ruby-html-proofer)
  command -v npm >/dev/null || extra+=(npm)
fi
[ "$linux_doc" = 0 ] || extra+=(linux-doc-6.1)
bash scripts/setup.sh "${extra[@]}"

# Release, in a build folder of its own; builds are serialized with the
# other users of the machine.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(trailwright-cli make_site)
[ -z "$peers" ] || targets+=(parser_bench)
flock /tmp/tw-build.lock cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
cli=$PWD/$build/bin/trailwright-cli
parser_bench=$PWD/$build/bench/parser_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# LinkChecker drops to user nobody when started as root: it must read these.
chmod 755 "$work"

synthetic=0
if [ "$linux_doc" = 1 ]; then
  # The shortest path to an index.html: the tree's top.
  index=$(find /usr/share/doc/linux-doc-6.1 -name index.html -printf '%d %p\n' 2>/dev/null |
    sort -n | head -n 1 | cut -d' ' -f2-)
  [ -n "$index" ] || { echo "no index.html under /usr/share/doc/linux-doc-6.1" >&2; exit 1; }
  folder=$(dirname "$index")
elif [ -z "$folder" ]; then
  root=${BENCH_DIR:-/tmp/trailwright-bench}
  folder=$root/linked-$pages
  # seeded.txt is written last: without it the tree is incomplete.
  if [ ! -f "$folder/seeded.txt" ]; then
    rm -rf "$folder"
    mkdir -p "$root"
    "$build/bench/make_site" --linked --files "$pages" --out "$folder" >/dev/null
  fi
  synthetic=1
fi
folder=$(cd "$folder" && pwd)
index=${index:-$folder/index.html}
index=$(cd "$(dirname "$index")" && pwd)/$(basename "$index")
[ -f "$index" ] || { echo "no index page $index" >&2; exit 1; }

page_count=$(find "$folder" -type f \( -name '*.html' -o -name '*.htm' \) | wc -l)
page_mb=$(find "$folder" -type f \( -name '*.html' -o -name '*.htm' \) -printf '%s\n' |
  awk '{s += $1} END {printf "%.1f", s / 1e6}')
# Warm the cache: every file read once.
find "$folder" -type f -print0 | xargs -0 cat >/dev/null

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -r)"
echo "site: $folder ($page_count pages, $page_mb MB of pages), index $(basename "$index")"
if [ -f "$folder/seeded.txt" ]; then
  # key=value lines; read, not sourced.
  seeded() { sed -n "s/^$1=\([0-9]*\)\$/\1/p" "$folder/seeded.txt"; }
  echo "seeded by make_site: $(seeded dead_links) dead links ($(seeded dead_a_href) a href, $(seeded dead_img_src) img src, $(seeded dead_css_url) CSS url()), $(seeded missing_anchors) missing anchors ($(seeded missing_anchors_other_page) to other pages, $(seeded missing_anchors_same_page) on the same page)"
fi
echo "peers time out after $limit s; warm cache; peak resident set from /usr/bin/time"
echo

# Runs a command under /usr/bin/time and timeout with its output in
# $work/NAME.out; sets run_s, run_kb and run_rc (124: timed out).
timed() {
  local name=$1
  shift
  run_rc=0
  /usr/bin/time -f '%e %M' -o "$work/$name.time" timeout -k 10 "$limit" "$@" \
    >"$work/$name.out" 2>&1 || run_rc=$?
  read -r run_s run_kb < <(grep -E '^[0-9.]+ [0-9]+$' "$work/$name.time" | tail -n 1 || echo "0 0")
}

# One row: name, seconds, KB, dead, anchors, note.
rows=()
row() { rows+=("$1|$2|$3|$4|$5|$6"); }

# Ours: --format json where the check has it, --json otherwise; three runs,
# the median time and the largest peak.
format=(--format json)
"$cli" check --index "$index" --quiet "${format[@]}" >"$work/ours.json" 2>/dev/null || true
if ! python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$work/ours.json" 2>/dev/null; then
  format=(--json)
fi
ours_times=() ours_kb=0
for _ in 1 2 3; do
  /usr/bin/time -f '%e %M' -o "$work/ours.time" "$cli" check --index "$index" --quiet \
    "${format[@]}" >"$work/ours.json" 2>"$work/ours.err" || {
    rc=$?
    if [ "$rc" != 3 ]; then
      echo "trailwright-cli check failed (exit $rc):" >&2
      cat "$work/ours.err" >&2
      exit 1
    fi
  }
  read -r s kb < <(grep -E '^[0-9.]+ [0-9]+$' "$work/ours.time" | tail -n 1)
  ours_times+=("$s")
  if [ "$kb" -gt "$ours_kb" ]; then ours_kb=$kb; fi
done
ours_s=$(printf '%s\n' "${ours_times[@]}" | sort -g | sed -n 2p)
read -r ours_dead ours_anchors < <(python3 - "$work/ours.json" <<'EOF'
import json, sys
report = json.load(open(sys.argv[1]))
anchors = sum(1 for d in report["deadLinks"] if d["reason"] == "missingAnchor")
print(len(report["deadLinks"]) - anchors, anchors)
EOF
)
row "trailwright-cli" "$ours_s" "$ours_kb" "$ours_dead" "$ours_anchors" "median of 3 (${ours_times[*]} s)"

# The page-quality findings come from the same read: every kind against
# only the kinds the check had before them, seven runs each, alternating;
# wall time, and processor time (user plus system), steadier than wall time
# on a machine others load.
legacy=()
for id in deadLink missingAnchor folderLinkWithoutDefaultPage orphanPage missingTitle emptyTitle \
  duplicateTitle folderWithoutDefaultPage notFullyChecked unreadableFolder externalDeadLink \
  movedPermanently; do
  legacy+=(--only "$id")
done
declare -A wall cpu peak
for _ in 1 2 3 4 5 6 7; do
  for which in all legacy; do
    args=()
    [ "$which" = legacy ] && args=("${legacy[@]}")
    /usr/bin/time -f '%e %U %S %M' -o "$work/$which.time" "$cli" check --index "$index" --quiet \
      "${format[@]}" "${args[@]}" >"$work/$which.json" 2>/dev/null || true
    read -r s u y kb < <(grep -E '^[0-9.]+ [0-9.]+ [0-9.]+ [0-9]+$' "$work/$which.time" | tail -n 1)
    wall[$which]+="$s "
    cpu[$which]+="$(awk -v u="$u" -v y="$y" 'BEGIN {printf "%.2f", u + y}') "
    if [ "$kb" -gt "${peak[$which]:-0}" ]; then peak[$which]=$kb; fi
  done
done
median() { printf '%s\n' $1 | sort -g | sed -n 4p; }
all_s=$(median "${wall[all]}") legacy_s=$(median "${wall[legacy]}")
all_cpu=$(median "${cpu[all]}") legacy_cpu=$(median "${cpu[legacy]}")
all_kb=${peak[all]} legacy_kb=${peak[legacy]}
quality_count=$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1])).get("pageQuality", [])))' "$work/all.json" 2>/dev/null || echo "?")

run_peer() {
  case $1 in
    check-html-links)
      # Into a temporary folder: it is a peer to measure, not a part of the project.
      if ! npm install --prefix "$work/npm" --no-audit --no-fund --silent check-html-links \
        >"$work/npm.log" 2>&1; then
        row "$1" "" "" "" "" "failed to install: $(tail -n 1 "$work/npm.log")"
        return
      fi
      timed chl "$work/npm/node_modules/.bin/check-html-links" "$folder"
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "$run_kb" "" "" "did not finish in $limit s"
      elif grep -q -E 'Checking links duration|All tested links are valid' "$work/chl.out"; then
        # A numbered entry per missing target ("missing file X", "missing
        # reference target X", "missing id=..."), then up to three "from"
        # lines and "... N more references to this target": links counted.
        # A "missing reference target" that exists is a page whose fragment
        # it did not find: a missing anchor. Its paths are relative to the
        # working folder, which is this one.
        read -r d a t < <(awk '
          /^ +[0-9]+\. missing id=/ {k = "a"; t++; next}
          /^ +[0-9]+\. missing reference target / {
            p = $0; sub(/^ +[0-9]+\. missing reference target /, "", p)
            k = system("test -f \"" p "\"") == 0 ? "a" : "d"; t++; next }
          /^ +[0-9]+\. missing file/ {k = "d"; t++; next}
          /^ +[0-9]+\. / {k = ""; next}
          k != "" && /^ +from / {n[k]++}
          k != "" && /^ +\.\.\. [0-9]+ more references/ {n[k] += $2}
          END {print n["d"] + 0, n["a"] + 0, t + 0}' "$work/chl.out")
        row "$1" "$run_s" "$run_kb" "$d" "$a" "links; $t missing targets"
      else
        row "$1" "" "" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/chl.out")"
      fi
      ;;
    linklint)
      mkdir -p "$work/linklint"
      # It checks 500 pages unless told otherwise.
      timed linklint linklint -quiet -limit 100000000 -root "$folder" -doc "$work/linklint" /@
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "$run_kb" "" "" "did not finish in $limit s"
      elif grep -q 'Linklint found' "$work/linklint.out"; then
        # "ERROR   3 missing html files", "ERROR  12 missing named anchors".
        row "$1" "$run_s" "$run_kb" \
          "$(awk '/^ERROR +[0-9]+ missing/ && !/anchor/ {s += $2} END {print s + 0}' "$work/linklint.out")" \
          "$(awk '/^ERROR +[0-9]+ missing named anchor/ {s += $2} END {print s + 0}' "$work/linklint.out")" \
          "anchors: a name only, no ids; $(grep -o -E 'checked [0-9]+ html files' "$work/linklint.out" | head -n 1)"
      else
        row "$1" "" "" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/linklint.out")"
      fi
      ;;
    html-proofer)
      # Its cache folder lands in the working folder.
      mkdir -p "$work/proofer"
      # shellcheck disable=SC2016 # expanded by the inner shell
      timed proofer bash -c 'cd "$1" && shift && exec "$@"' _ "$work/proofer" \
        htmlproofer "$folder" --disable-external --allow-hash-href --log-level :warn
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "$run_kb" "" "" "did not finish in $limit s"
      elif grep -q -E 'HTML-Proofer (found [0-9]+ failure|finished successfully)' "$work/proofer.out"; then
        # Failures: "  *  internally linking to X, which does not exist",
        # "  *  internal image X does not exist", "  *  linking to internal hash #X that does not exist".
        # It may list the same failure of a page twice: counted once.
        read -r d a o < <(awk '/^- / {page = $0} /^  \*  / && !seen[page, $0]++ {
            if (/hash/ && /does not exist/) a++; else if (/does not exist/) d++; else o++ }
          END {print d + 0, a + 0, o + 0}' "$work/proofer.out")
        row "$1" "$run_s" "$run_kb" "$d" "$a" "other failures: $o"
      else
        row "$1" "" "" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/proofer.out")"
      fi
      ;;
    linkchecker)
      # Anchors are checked by a plugin that its configuration turns on.
      printf '[AnchorCheck]\n' >"$work/linkcheckerrc"
      chmod 644 "$work/linkcheckerrc"
      timed linkchecker linkchecker -f "$work/linkcheckerrc" --no-status -o csv "file://$index"
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "$run_kb" "" "" "did not finish in $limit s"
      elif grep -q '^# Stopped checking' "$work/linkchecker.out"; then
        # CSV rows: valid False is a dead URL; an "Anchor `x' ... not found"
        # warning is a missing anchor. Each URL is reported once.
        read -r d a < <(python3 - "$work/linkchecker.out" <<'EOF'
import csv, sys
lines = [l for l in open(sys.argv[1], encoding="utf-8", errors="replace") if not l.startswith("#")]
dead = anchors = 0
for r in csv.DictReader(lines, delimiter=";"):
    if r.get("valid") == "False":
        dead += 1
    elif "Anchor `" in (r.get("warningstring") or "") and "not found" in r["warningstring"]:
        anchors += 1
print(dead, anchors)
EOF
)
        row "$1" "$run_s" "$run_kb" "$d" "$a" "local files only"
      else
        row "$1" "" "" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/linkchecker.out")"
      fi
      ;;
    *) row "$1" "" "" "" "" "unknown peer" ;;
  esac
}

for peer in $peers; do
  run_peer "$peer"
done

printf '%-17s %10s %10s %11s %16s %12s  %s\n' "checker" "time" "peak" "dead links" "missing anchors" "time / ours" "note"
fastest="" fastest_s=""
for r in "${rows[@]}"; do
  IFS='|' read -r name s kb dead anchors note <<<"$r"
  if [ -n "$s" ]; then
    ratio=$(awk -v a="$s" -v b="$ours_s" 'BEGIN {printf "%.1f", a / b}')
    printf '%-17s %8.2f s %7.1f MB %11s %16s %12s  %s\n' "$name" "$s" \
      "$(awk -v k="$kb" 'BEGIN {print k / 1024}')" "${dead:-n/a}" "${anchors:-n/a}" "$ratio" "$note"
    if [ "$name" != trailwright-cli ] &&
      { [ -z "$fastest_s" ] || awk -v a="$s" -v b="$fastest_s" 'BEGIN {exit !(a < b)}'; }; then
      fastest=$name fastest_s=$s
    fi
  else
    peak=""
    [ -n "$kb" ] && [ "$kb" != 0 ] && peak=$(awk -v k="$kb" 'BEGIN {printf "%.1f MB", k / 1024}')
    ratio=""
    case $note in "did not finish"*) ratio=$(awk -v a="$limit" -v b="$ours_s" 'BEGIN {printf "> %.1f", a / b}') ;; esac
    printf '%-17s %10s %10s %11s %16s %12s  %s\n' "$name" "-" "${peak:--}" "-" "-" "$ratio" "$note"
  fi
done
echo

if [ -n "$peers" ]; then
  echo "page parsers on the same pages (parser_bench):"
  "$parser_bench" --repeat 3 "$folder" | sed 's/^/  /'
  echo "page parsers on tricky pages (parser_bench --cases):"
  "$parser_bench" --cases | sed 's/^/  /'
  echo
fi

verdict() { awk -v v="$1" -v t="$2" 'BEGIN {print (v <= t) ? "met" : "missed"}'; }
if [ -z "$peers" ]; then
  echo "no peers run (PEERS is empty)"
elif [ -n "$fastest" ]; then
  awk -v a="$fastest_s" -v b="$ours_s" -v n="$fastest" 'BEGIN {
    r = a / b; printf "target: at least 10 times faster than the fastest peer that finished (%s, %.2f s): %.1f times %s\n", n, a, r, (r >= 10 ? "met" : "missed") }'
else
  awk -v a="$limit" -v b="$ours_s" 'BEGIN {
    r = a / b; printf "target: at least 10 times faster than the fastest peer: none finished in %d s, so more than %.1f times %s\n", a, r, (r >= 10 ? "met" : "missed") }'
fi
echo "every kind: $all_s s wall, $all_cpu s processor, $(awk -v k="$all_kb" 'BEGIN {printf "%.1f MB", k / 1024}') ($quality_count page-quality findings); runs ${wall[all]}s"
echo "--only the link kinds: $legacy_s s wall, $legacy_cpu s processor, $(awk -v k="$legacy_kb" 'BEGIN {printf "%.1f MB", k / 1024}'); runs ${wall[legacy]}s"
awk -v a="$all_s" -v b="$legacy_s" -v c="$all_cpu" -v d="$legacy_cpu" 'BEGIN {
  printf "target: every kind at most 1.2 times the link kinds'"'"' time: %.2f wall, %.2f processor %s\n", a / b, c / d, (c / d <= 1.2 ? "met" : "missed") }'
awk -v a="$all_kb" -v b="$legacy_kb" 'BEGIN {
  r = a / b; printf "target: every kind at most 10%% more memory: %+.1f%% %s\n", (r - 1) * 100, (r <= 1.1 ? "met" : "missed") }'
ours_mb=$(awk -v k="$ours_kb" 'BEGIN {printf "%.1f", k / 1024}')
if [ "$linux_doc" = 1 ]; then
  echo "target: peak memory at most 100 MB on the linux-doc tree: $ours_mb MB $(verdict "$ours_mb" 100)"
else
  echo "peak memory: $ours_mb MB (the 100 MB target is for the linux-doc tree)"
fi
if [ "$synthetic" = 1 ] && [ "$pages" = 50000 ]; then
  echo "target: 50,000-page site in at most 10 s: $ours_s s $(verdict "$ours_s" 10)"
  echo "target: 50,000-page site in at most 500 MB: $ours_mb MB $(verdict "$ours_mb" 500)"
fi
