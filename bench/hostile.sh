#!/usr/bin/env bash
# Times trailwright-cli on hostile sites, each beside an ordinary site of the
# same size, and prints wall time and peak memory of both:
#   fan-out    eight symbolic links at each of six levels to the next level
#              (48 links); ordinary: the same seven real folders, no links
#   one tag    a 15 MB page that is one tag of 1.5 million attributes, many
#              named alike; ordinary: 15 MB of paragraphs and links
#   foreign    a 15 MB page of 750,000 nested svg and foreignObject elements
#              and 1.9 million end tags that close none of them; ordinary as
#              above
#   dead links 20,000 dead links into a folder of 200,000 entries, each a
#              letter-case miss; ordinary: the same links to files that exist
# The sites are made once under ${BENCH_DIR:-/tmp/trailwright-bench}/hostile.
# Every figure should be about that of its ordinary twin: the cost of a site
# follows its size, not its shape.
# Usage: bench/hostile.sh    (environment: BUILD_DIR, default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh time python3
build=${BUILD_DIR:-build-bench}
if [ "$build" = build-bench ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
flock /tmp/tw-build.lock cmake --build "$build" -j2 --target trailwright-cli >/dev/null
cli=$PWD/$build/bin/trailwright-cli

root=${BENCH_DIR:-/tmp/trailwright-bench}/hostile
# done.txt is written last: without it the sites are incomplete.
if [ ! -f "$root/done.txt" ]; then
  rm -rf "$root"
  mkdir -p "$root"
  python3 - "$root" <<'EOF'
import os, sys
root = sys.argv[1]

def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)

def page(title, body=""):
    return "<html><head><title>%s</title></head><body>\n%s\n</body></html>\n" % (title, body)

# Fan-out: level folders l1..l7 at the top; l1..l6 each hold eight links
# to the next. Without the walked-once rule the walk grows 8^6-fold.
for site, links in (("fanout", True), ("fanout-plain", False)):
    base = os.path.join(root, site)
    write(os.path.join(base, "index.html"), page("Home", '<a href="l1/">l1</a>'))
    for level in range(1, 8):
        write(os.path.join(base, "l%d" % level, "index.html"), page("Level %d" % level))
        if links and level < 7:
            for k in range(8):
                os.symlink("../l%d" % (level + 1), os.path.join(base, "l%d" % level, "to%d" % k))

size = 15 * 1000 * 1000
ordinary = ""
while len(ordinary) < size:
    ordinary += '<p>Text of a paragraph <a href="index.html#top">home</a></p>\n' * 1000
write(os.path.join(root, "tag-plain", "index.html"), page("Home", ordinary[:size]))
write(os.path.join(root, "foreign-plain", "index.html"), page("Home", ordinary[:size]))

# One tag: "<a" and 1.5 million attributes, a few names repeated throughout.
parts, n = ["<a"], 2
while n < size:
    name = " a%d=x" % len(parts) if len(parts) % 2 else " href=x.html"
    parts.append(name)
    n += len(name)
write(os.path.join(root, "tag", "index.html"), page("Home", "".join(parts) + ">"))

# Foreign content: every foreignObject is an integration point, so the end
# tags close nothing and each used to search the whole stack.
pairs = size // 2 // len("<svg><foreignObject>")
body = "<svg><foreignObject>" * pairs + "</p>" * (size // 2 // 4)
write(os.path.join(root, "foreign", "index.html"), page("Home", body))

# Dead links: a folder of 200,000 entries and 20,000 links into it that miss
# each name by letter case; the ordinary site links to the names themselves.
for site, upper in (("dead", True), ("dead-plain", False)):
    base = os.path.join(root, site)
    os.makedirs(os.path.join(base, "big"))
    for i in range(200000):
        open(os.path.join(base, "big", "f%06d.txt" % i), "w").close()
    links = "".join('<a href="big/%s%06d.txt">x</a>\n' % ("F" if upper else "f", i * 10)
                    for i in range(20000))
    write(os.path.join(base, "index.html"), page("Home", links))
write(os.path.join(root, "done.txt"), "")
EOF
fi
# Warm the cache.
find "$root" -type f -print0 | xargs -0 cat >/dev/null

# Runs one command; prints its wall time and peak memory. A check that
# finds problems exits 3: its figures count all the same.
measure() {
  local figures
  figures=$(mktemp)
  /usr/bin/time -f '%e %M' -o "$figures" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$figures" | awk '{printf "%7.2f s %8.1f MB", $1, $2 / 1024}'
  rm -f "$figures"
}

printf '%-11s %-8s | %-20s | %-20s\n' site command hostile ordinary
for pair in fanout:generate fanout:check tag:check foreign:check dead:check; do
  site=${pair%%:*} command=${pair##*:}
  row=()
  for variant in "$site" "$site-plain"; do
    index=$root/$variant/index.html
    if [ "$command" = generate ]; then
      row+=("$(measure "$cli" generate --quiet --index "$index" --output "$root/$variant.map.html")")
    else
      row+=("$(measure "$cli" check --quiet --index "$index")")
    fi
  done
  printf '%-11s %-8s | %s | %s\n' "$site" "$command" "${row[0]}" "${row[1]}"
done
