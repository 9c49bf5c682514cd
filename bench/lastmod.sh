#!/usr/bin/env bash
# Times generate --xml-sitemap with --lastmod git against --lastmod mtime on a
# git repository of 10,000 pages built over 2,000 commits of 5 to 50 files
# each, and prints whether git's dates cost at most 1 s more.
# Usage: bench/lastmod.sh
# Environment: CLI (a trailwright-cli to time instead of building one),
# BUILD_DIR, RUNS (timed runs of each, default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
bash scripts/setup.sh time python3 git
if [ -z "${CLI:-}" ]; then
  build=${BUILD_DIR:-build-bench}
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  flock /tmp/tw-build.lock cmake --build "$build" -j2 --target trailwright-cli >/dev/null
  CLI=$PWD/$build/bin/trailwright-cli
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
repo=$work/repo
git init -q -b main "$repo"

# The history as one fast-import stream: commit N creates its share of the
# 10,000 pages still missing and changes pages picked at random (fixed seed).
python3 - >"$work/history" <<'EOF'
import random, sys
random.seed(7)
files, commits = 10000, 2000
out = sys.stdout.buffer
made = 0
for n in range(commits):
    count = random.randint(5, 50)
    new = min(count, -(-(files - made) // (commits - n)))
    picked = list(range(made, made + new))
    made += new
    picked += random.sample(range(made), min(count - new, made))
    message = b"commit %d\n" % n
    out.write(b"commit refs/heads/main\ncommitter Bench <bench@example.org> %d +0000\n"
              % (1500000000 + n * 3600))
    out.write(b"data %d\n%s" % (len(message), message))
    for f in picked:
        path = b"site/index.html" if f == 0 else b"site/d%03d/p%05d.html" % (f // 100, f)
        body = b"<title>page %d</title><p>version %d</p>\n" % (f, n)
        out.write(b"M 100644 inline %s\ndata %d\n%s" % (path, len(body), body))
    out.write(b"\n")
EOF
git -C "$repo" fast-import --quiet <"$work/history"
git -C "$repo" checkout -q -f main
echo "repository: $(git -C "$repo" ls-files | wc -l) files, $(git -C "$repo" rev-list --count HEAD) commits"

# The median wall time of RUNS runs of generate with one lastmod source,
# after one untimed run that warms the caches.
median() {
  local lastmod=$1 i
  local -a times=()
  "$CLI" generate --index "$repo/site/index.html" --xml-sitemap https://example.org/ \
    --lastmod "$lastmod" --quiet
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e' -o "$work/time" "$CLI" generate --index "$repo/site/index.html" \
      --xml-sitemap https://example.org/ --lastmod "$lastmod" --quiet
    times+=("$(tail -n 1 "$work/time")")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

mtime=$(median mtime)
git_time=$(median git)
grep -q '<lastmod>2017-' "$repo/site/sitemap.xml" ||
  { echo "the sitemap holds no commit times" >&2; exit 1; }
difference=$(awk -v a="$git_time" -v b="$mtime" 'BEGIN { printf "%.2f", a - b }')
verdict=$(awk -v d="$difference" 'BEGIN { print (d <= 1.0 ? "met" : "not met") }')
echo "--lastmod mtime: $mtime s, --lastmod git: $git_time s (median of $runs)"
echo "git costs $difference s more; target at most 1 s: $verdict"
