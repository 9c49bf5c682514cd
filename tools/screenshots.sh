#!/usr/bin/env bash
# Builds a sample site, walks the wizard through its pages on a virtual
# display and saves a picture of each page: the output settings with colours
# of a user's own, a picker at None and a palette dropped down, the status
# page after a generation, the help menu, the About dialog and the question
# to save a changed profile. The window keeps its settings in a temporary
# program folder, so the build's own folder is left alone.
#   tools/screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-screenshots}")
build=${2:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target tw_screenshots

site=$(mktemp -d /tmp/tw-sample-site-XXXXXX)
trap 'rm -rf "$site"' EXIT
page() { mkdir -p "$(dirname "$site/$1")"; printf '<html><head><title>%s</title></head><body></body></html>\n' "$2" >"$site/$1"; }
page index.html "Harbour Walks"
page about.html "About the Walking Club"
page contact.htm "Contact Us"
page "news/index.html" "News"
page "news/spring-programme.html" "Spring Programme 2024"
page "news/autumn-programme.html" "Autumn Programme"
page "routes/index.html" "Routes"
page "routes/coastal/cliff-path.html" "The Cliff Path (12 km)"
page "routes/coastal/lighthouse.html" "Lighthouse Loop"
page "routes/inland/river-meadows.html" "River Meadows"
page "drafts/unfinished.html" "Draft"
# What Check Site finds: a dead link, a page without a title, an orphan.
printf '<html><head><title>About the Walking Club</title></head><body><a href="history.html">Our history</a></body></html>\n' >"$site/about.html"
printf '<html><body><a href="index.html">Home</a></body></html>\n' >"$site/news/winter-walks.html"
mkdir -p "$site/images"
printf 'GIF89a' >"$site/images/map.gif"
# Enough pages that the status page can be seen while the walk runs.
for d in $(seq -w 1 12); do
  mkdir -p "$site/archive/$d"
  for f in $(seq -w 1 250); do
    printf '<title>Archive %s/%s</title>\n' "$d" "$f" >"$site/archive/$d/report-$f.html"
  done
done

mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/tw_screenshots" "$site/index.html" "$out"
echo "Screenshots are in $out"
