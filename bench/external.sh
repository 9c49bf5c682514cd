#!/usr/bin/env bash
# Times trailwright-cli check --external against LinkChecker and linkinator
# on one generated site whose external links all lead to a loopback server
# (bench/loopback_server.cpp: 127.0.0.1 to 127.0.0.H, one host each, every
# answer after a set latency, a seeded share of faults). Prints for each
# checker the wall time, the requests the server counted, the most requests
# in flight to one host it saw, the URLs asked more than once, and whether
# the URLs it reports as dead are exactly the seeded ones; then a second run
# of ours with its cache, and whether the targets are met.
# Usage: bench/external.sh [--pages N] [--urls M] [--hosts H] [--latency MS]
#   defaults: 2,000 pages naming 10,000 URLs on 100 hosts, 50 ms a request.
# Environment: PEER_TIMEOUT (seconds per peer, default 600), PEERS (a subset
# of "linkchecker linkinator"), BUILD_DIR, BENCH_SEED, KEEP_WORK (set: the
# work folder with every output and the server's counts is kept).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: bench/external.sh [--pages N] [--urls M] [--hosts H] [--latency MS]" >&2
  exit 2
}
pages=2000 urls=10000 hosts=100 latency=50
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --pages) pages=$2 ;;
    --urls) urls=$2 ;;
    --hosts) hosts=$2 ;;
    --latency) latency=$2 ;;
    *) usage ;;
  esac
  [[ $2 =~ ^[0-9]+$ ]] || usage
  shift 2
done
if [ "$hosts" -lt 1 ] || [ "$hosts" -gt 254 ]; then echo "--hosts: 1 to 254" >&2; exit 2; fi
if [ "$pages" -lt 1 ] || [ "$urls" -lt 1 ]; then usage; fi
limit=${PEER_TIMEOUT:-600}
peers=${PEERS:-linkchecker linkinator}
build=${BUILD_DIR:-build-bench}
seed=${BENCH_SEED:-29}
host_limit=2
total_limit=$((2 * hosts))

extra=(time python3 curl linkchecker)
command -v npm >/dev/null || extra+=(npm)
bash scripts/setup.sh "${extra[@]}"

# Release, in a build folder of its own; builds are serialized with the
# other users of the machine.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
flock /tmp/tw-build.lock cmake --build "$build" -j2 --target trailwright-cli loopback_server >/dev/null
cli=$PWD/$build/bin/trailwright-cli
server_bin=$PWD/$build/bench/loopback_server

# Every connection goes to the loopback server itself.
for v in $(compgen -e); do
  case ${v,,} in *_proxy) unset "$v" ;; esac
done

work=$(mktemp -d)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  if [ -n "${KEEP_WORK:-}" ]; then
    echo "outputs, counts and site kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
# LinkChecker drops to user nobody when started as root: it must read these.
chmod 755 "$work"

"$server_bin" --hosts "$hosts" --latency "$latency" --port-file "$work/port" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "the loopback server did not start" >&2; exit 1; }
port=$(cat "$work/port")
# The counts since the last call, which starts them afresh.
stats() { curl -s --noproxy '*' "http://127.0.0.1:$port/__stats" >"$work/$1.stats"; }

# The site: an index page naming every page, and each page naming its share
# of the URLs, each URL named by four pages, one link in ten with a fragment
# (never sent). The kind of each URL (its fault) is in its path; the server
# answers by it, and dead.txt lists the URLs that are dead.
site=$work/site
python3 - "$site" "$pages" "$urls" "$hosts" "$port" "$seed" <<'EOF'
import os, random, sys
site, pages, urls, hosts, port, seed = sys.argv[1], *map(int, sys.argv[2:])
rng = random.Random(seed)
# Per mille of the URLs; the rest answer 200.
kinds = [("e404", 40), ("e410", 20), ("e500", 20), ("d301", 20), ("loop", 20),
         ("m301", 30), ("c302", 30), ("h405", 40)]
dead_kinds = {"e404", "e410", "e500", "d301", "loop"}
table = []
for name, share in kinds:
    table += [name] * share
table += ["ok"] * (1000 - len(table))
all_urls, dead, moved = [], [], []
for i in range(urls):
    kind = rng.choice(table)
    url = f"http://127.0.0.{1 + i % hosts}:{port}/x/{i}/{kind}"
    all_urls.append(url)
    if kind in dead_kinds:
        dead.append(url)
    elif kind == "m301":
        moved.append(url)
refs = all_urls * 4
rng.shuffle(refs)
os.makedirs(site)
per_page = [refs[p::pages] for p in range(pages)]
names = [f"p{p:05d}.html" for p in range(pages)]
with open(os.path.join(site, "index.html"), "w") as f:
    f.write("<!DOCTYPE html>\n<html lang=en><head><title>External links</title></head><body>\n")
    for n in names:
        f.write(f'<p><a href="{n}">{n}</a>\n')
    f.write("</body></html>\n")
for p, n in enumerate(names):
    with open(os.path.join(site, n), "w") as f:
        f.write(f"<!DOCTYPE html>\n<html lang=en><head><title>Page {p}</title></head><body>\n"
                '<p><a href="index.html">Home</a>\n')
        for url in per_page[p]:
            if rng.random() < 0.1:
                url += f"#s{rng.randrange(5)}"
            f.write(f'<p><a href="{url}">{url}</a>\n')
        f.write("</body></html>\n")
with open(os.path.join(site, "dead.txt"), "w") as f:
    f.write("".join(u + "\n" for u in dead))
with open(os.path.join(site, "moved.txt"), "w") as f:
    f.write("".join(u + "\n" for u in moved))
EOF
chmod -R a+rX "$site"
dead_count=$(wc -l <"$site/dead.txt")
moved_count=$(wc -l <"$site/moved.txt")

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -r)"
echo "site: $pages pages naming $urls URLs (each on four pages, one link in ten with a fragment) on $hosts hosts 127.0.0.1-127.0.0.$hosts:$port"
echo "server: $latency ms an answer; seeded: $dead_count dead URLs (404, 410, 500, 301 to a 404, redirect loop), $moved_count moved permanently (301 to a 200), and 302 chains and 405-to-HEAD-only that are good"
echo "limits: ours --host-concurrency $host_limit --max-concurrency $total_limit; LinkChecker has no per-host limit: threads=$total_limit, maxrequestspersecond=1000 (the server sends the header that allows more than 10); linkinator has no per-host limit: --concurrency $total_limit in all"
echo "peers time out after $limit s; retries off everywhere (ours --retries 0): a retry asks a URL again"
echo

# Runs a command under /usr/bin/time and timeout with its output in
# $work/NAME.out; sets run_s and run_rc (124: timed out).
timed() {
  local name=$1
  shift
  run_rc=0
  /usr/bin/time -f '%e' -o "$work/$name.time" timeout -k 10 "$limit" "$@" \
    >"$work/$name.out" 2>"$work/$name.err" || run_rc=$?
  run_s=$(grep -E '^[0-9.]+$' "$work/$name.time" | tail -n 1 || echo 0)
}

# The server's counts for one run against the seeded dead URLs: prints
# "requests robots max-in-flight-per-host max-connections-per-host twice
# reported missing extra late-ms-mean/max server-cpu-s"; twice counts the URLs
# asked more than once by one method (HEAD then GET counts once).
judge() {
  python3 - "$work/$1.stats" "$site/dead.txt" "$2" "$work/$1.kinds" <<'EOF'
import json, sys
stats = json.load(open(sys.argv[1]))
dead = {l.strip() for l in open(sys.argv[2]) if l.strip()}
reported = {l.strip() for l in open(sys.argv[3]) if l.strip()}
twice = sum(1 for head, get in stats["urls"].values() if head > 1 or get > 1)
print(stats["requests"], stats["robots_txt"], stats["max_in_flight_per_host"],
      stats["max_connections_per_host"], twice, len(reported), len(dead - reported),
      len(reported - dead), f'{stats["late_ms_mean"]:.1f}/{stats["late_ms_max"]:.1f}',
      f'{stats["cpu_s"]:.2f}')
# Which kinds of URL differ, by the kind in their paths.
def kinds(urls):
    counts = {}
    for u in urls:
        k = u.split("/")[5] if "/x/" in u else u
        counts[k] = counts.get(k, 0) + 1
    return ", ".join(f"{k} {n}" for k, n in sorted(counts.items())) or "none"
twice_urls = ["http://" + u for u, (head, get) in stats["urls"].items() if head > 1 or get > 1]
with open(sys.argv[4], "w") as f:
    f.write(f"missing: {kinds(dead - reported)}; extra: {kinds(reported - dead)}; "
            f"asked twice: {kinds(twice_urls)}\n")
EOF
}

rows=()
# name, seconds, judge's fields, note
row() { rows+=("$1|$2|$3|$4"); }

ours_args=(check --index "$site/index.html" --external --host-concurrency "$host_limit"
  --max-concurrency "$total_limit" --retries 0 --format json --quiet --cache "$work/cache.json")
stats discard
timed ours "$cli" "${ours_args[@]}"
stats ours
if [ "$run_rc" != 3 ] && [ "$run_rc" != 0 ]; then
  echo "trailwright-cli check failed (exit $run_rc):" >&2
  cat "$work/ours.err" >&2
  exit 1
fi
# The report's externalLinks: dead ones, and moved ones apart.
python3 - "$work/ours.out" "$work/ours.dead" "$work/ours.moved" <<'EOF'
import json, sys
report = json.load(open(sys.argv[1]))
with open(sys.argv[2], "w") as d, open(sys.argv[3], "w") as m:
    for u in report.get("externalLinks", []):
        (d if u["finding"] == "externalDeadLink" else m).write(u["url"] + "\n")
EOF
ours_s=$run_s
ours_judged=$(judge ours "$work/ours.dead")
moved_ok=no
if [ "$(sort "$work/ours.moved")" = "$(sort "$site/moved.txt")" ]; then moved_ok=yes; fi
row trailwright-cli "$ours_s" "$ours_judged" "JSON report, findings externalDeadLink; moved permanently exactly the seeded $moved_count: $moved_ok"

# The second run, with the cache of the first: only the failed URLs again.
stats discard
timed ours2 "$cli" "${ours_args[@]}"
stats ours2
ours2_s=$run_s
cache_ok=$(python3 - "$work/ours2.stats" "$site/dead.txt" <<'EOF'
import json, sys
stats = json.load(open(sys.argv[1]))
dead = {l.strip().split("//", 1)[1] for l in open(sys.argv[2]) if l.strip()}
dead = {u.split(":", 1)[0] + u[u.index("/"):] for u in dead}  # host/path, as counted
# A request belongs to the URL its redirect chain began at: /x/N/KIND.
asked = {"/".join(k.split("/")[:4]) for k in stats["urls"]}
print(stats["requests"], len(asked), len(asked - dead), len(dead - asked))
EOF
)
read -r cache_requests cache_urls cache_extra cache_missing <<<"$cache_ok"

run_peer() {
  case $1 in
    linkchecker)
      printf '[checking]\nthreads=%d\nmaxrequestspersecond=1000\ntimeout=20\n' "$total_limit" \
        >"$work/linkcheckerrc"
      chmod 644 "$work/linkcheckerrc"
      stats discard
      timed linkchecker linkchecker -f "$work/linkcheckerrc" --check-extern --no-status -o csv \
        "file://$site/index.html"
      stats linkchecker
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "" "did not finish in $limit s"
      elif grep -q '^# Stopped checking' "$work/linkchecker.out"; then
        # CSV rows (";"): valid False is a dead URL. Its "url" column is
        # where redirects ended; "urlname" is the link as the page has it,
        # absolute here, its fragment cut off. Local files are left out.
        python3 - "$work/linkchecker.out" "$work/linkchecker.dead" <<'EOF'
import csv, sys
lines = [l for l in open(sys.argv[1], encoding="utf-8", errors="replace") if not l.startswith("#")]
dead = set()
for r in csv.DictReader(lines, delimiter=";"):
    if r.get("valid") == "False" and r["urlname"].startswith("http://127."):
        dead.add(r["urlname"].split("#")[0])
open(sys.argv[2], "w").write("".join(u + "\n" for u in sorted(dead)))
EOF
        row "$1" "$run_s" "$(judge linkchecker "$work/linkchecker.dead")" "CSV output, the urlname of rows with valid False"
      else
        row "$1" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/linkchecker.err")"
      fi
      ;;
    linkinator)
      # Into a temporary folder: it is a peer to measure, not a part of the project.
      if ! npm install --prefix "$work/npm" --no-audit --no-fund --silent linkinator \
        >"$work/npm.log" 2>&1; then
        row "$1" "" "" "failed to install: $(tail -n 1 "$work/npm.log")"
        return
      fi
      stats discard
      # It serves the folder on localhost itself: the 127.0.0.x URLs are
      # another origin, checked but not crawled.
      timed linkinator "$work/npm/node_modules/.bin/linkinator" "$site" --recurse \
        --concurrency "$total_limit" --timeout 20000 --format json
      stats linkinator
      if [ "$run_rc" = 124 ]; then
        row "$1" "" "" "did not finish in $limit s"
      elif python3 - "$work/linkinator.out" "$work/linkinator.dead" <<'EOF'
import json, sys
# JSON: links[] with url and state; BROKEN ones are dead, fragment cut off.
report = json.load(open(sys.argv[1]))
dead = {l["url"].split("#")[0] for l in report["links"]
        if l.get("state") == "BROKEN" and l["url"].startswith("http://127.")}
open(sys.argv[2], "w").write("".join(u + "\n" for u in sorted(dead)))
EOF
      then
        row "$1" "$run_s" "$(judge linkinator "$work/linkinator.dead")" "JSON output, links with state BROKEN"
      else
        row "$1" "" "" "failed (exit $run_rc): $(tail -n 1 "$work/linkinator.err")"
      fi
      ;;
    *) row "$1" "" "" "unknown peer" ;;
  esac
}

for peer in $peers; do
  run_peer "$peer"
done

printf '%-16s %9s %9s %7s %9s %9s %7s %9s %8s %6s %13s %10s  %s\n' checker time requests robots \
  "max/host" "conn/host" "twice" reported missing extra "late mean/max" "server cpu" note
fastest="" fastest_s=""
ours_fields=""
for r in "${rows[@]}"; do
  IFS='|' read -r name s fields note <<<"$r"
  if [ -n "$s" ]; then
    read -r req robots perhost conns twice reported missing extra late cpu <<<"$fields"
    printf '%-16s %7.2f s %9s %7s %9s %9s %7s %9s %8s %6s %10s ms %8s s  %s\n' "$name" "$s" "$req" \
      "$robots" "$perhost" "$conns" "$twice" "$reported" "$missing" "$extra" "$late" "$cpu" "$note"
    if [ "$name" = trailwright-cli ]; then
      ours_fields=$fields
    elif [ -z "$fastest_s" ] || awk -v a="$s" -v b="$fastest_s" 'BEGIN {exit !(a < b)}'; then
      fastest=$name fastest_s=$s
    fi
  else
    printf '%-16s %9s  %s\n' "$name" "-" "$note"
  fi
done
# Which kinds of URL each one got wrong or asked twice.
for r in "${rows[@]}"; do
  IFS='|' read -r name s _ _ <<<"$r"
  [ -n "$s" ] || continue
  key=$name
  [ "$name" != trailwright-cli ] || key=ours
  printf '%-16s %s\n' "$name" "$(cat "$work/$key.kinds")"
done
echo "columns: requests the server counted (robots.txt apart), the most in flight to one host and the most connections open to one host it saw, URLs asked twice by one method, URLs reported dead, seeded dead ones not reported, reported ones not seeded, how late past its due time the server answered (mean and worst, in ms) and its processor time"
echo "second run of ours with --cache: $cache_requests requests for $cache_urls URLs ($cache_extra not failed in the first run, $cache_missing failed ones not asked again); time $ours2_s s"
echo

read -r _ _ ours_perhost _ ours_twice _ ours_missing ours_extra ours_late ours_cpu <<<"$ours_fields"
# The server keeps up when it answers close to its due times and uses a
# small share of a core.
awk -v late="${ours_late%/*}" -v cpu="$ours_cpu" -v s="$ours_s" -v l="$latency" 'BEGIN {
  ok = late <= 0.1 * l + 1 && cpu <= 0.5 * s
  printf "server during our run: answers %.1f ms past due on average, %.0f%% of one core: %s\n",
    late, 100 * cpu / s, ok ? "not the bottleneck" : "MAY BE THE BOTTLENECK" }'
# The speed target is set for the default site; other sizes print it too.
default_size=""
if [ "$pages/$urls/$hosts/$latency" != 2000/10000/100/50 ]; then
  default_size=" (the target is set for the default site)"
fi
verdict() { if [ "$1" = 1 ]; then echo met; else echo MISSED; fi; }
if [ -n "$fastest" ]; then
  awk -v a="$fastest_s" -v b="$ours_s" -v n="$fastest" -v d="$default_size" 'BEGIN {
    r = a / b; printf "target: at least 3 times faster than the fastest peer (%s, %.2f s): %.1f times %s%s\n", n, a, r, (r >= 3 ? "met" : "MISSED"), d }'
else
  awk -v a="$limit" -v b="$ours_s" -v d="$default_size" 'BEGIN {
    r = a / b; printf "target: at least 3 times faster than the fastest peer: none finished in %d s, so more than %.1f times %s%s\n", a, r, (r >= 3 ? "met" : "MISSED"), d }'
fi
echo "target: no URL requested twice in a run (HEAD then GET counts once): $ours_twice asked twice $(verdict $((ours_twice == 0)))"
echo "target: at most $host_limit in flight to one host: at most $ours_perhost $(verdict $((ours_perhost <= host_limit)))"
echo "target: findings exactly the seeded $dead_count dead URLs: $ours_missing missing, $ours_extra extra $(verdict $((ours_missing == 0 && ours_extra == 0)))"
echo "target: second run with the cache asks only the failed URLs: $cache_extra others, $cache_missing failed ones not asked $(verdict $((cache_extra == 0 && cache_missing == 0)))"
