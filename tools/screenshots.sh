#!/usr/bin/env bash
# Builds a sample site, walks the wizard through its pages on a virtual
# display and saves a picture of each page: the output settings with colours
# of a user's own, a picker at None and a palette dropped down, the status
# page after a generation, the help menu, the About dialog and the question
# to save a changed profile. The window keeps its settings in a temporary
# program folder, so the build's own folder is left alone. Then the modern
# page of a small demonstration site in headless Chromium: light, dark, 320
# pixels wide and with folding folders (5-modern-*.png), with the browser
# checks' tools (tests/browser/install-tools.sh).
#   tools/screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# SCREENSHOTS=wizard or SCREENSHOTS=modern takes only those pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-screenshots}")
build=${2:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target tw_screenshots trailwright-cli
which=${SCREENSHOTS:-all}

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
if [ "$which" != modern ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/tw_screenshots" "$site/index.html" "$out"
fi

# modern page pictures
if [ "$which" != wizard ]; then
  demo=$site-modern shots=$site-pages
  mkdir -p "$demo" "$shots"
  trap 'rm -rf "$site" "$demo" "$shots"' EXIT
  demo_page() {
    mkdir -p "$(dirname "$demo/$1")"
    printf '<html lang="en"><head><title>%s \xe2\x80\x94 Harbour Walks</title></head><body></body></html>\n' \
      "$2" >"$demo/$1"
  }
  demo_page index.html "Welcome"
  demo_page about.html "About the Walking Club"
  demo_page contact.html "Contact & Membership"
  demo_page "news/index.html" "News"
  demo_page "news/spring-programme.html" "Spring Programme 2024"
  demo_page "news/autumn-programme.html" "Autumn Programme"
  demo_page "routes/index.html" "Routes"
  demo_page "routes/coastal/index.html" "Coastal Routes"
  demo_page "routes/coastal/cliff-path.html" "The Cliff Path (12 km)"
  demo_page "routes/coastal/lighthouse.html" "Lighthouse Loop"
  demo_page "routes/inland/river-meadows.html" "River Meadows"
  demo_page "routes/inland/the-old-drovers-road-from-harbourside-to-highfield.html" \
    "The Old Drovers' Road from Harbourside to Highfield"
  demo_page "routes/inland/page-10.html" "Route 10: Mill Pond"
  demo_page "routes/inland/page-2.html" "Route 2: Beech Wood"
  mkdir -p "$demo/images"
  printf 'GIF89a' >"$demo/images/harbour-map.gif"
  common=(--format modern --file-types "html gif" --trim-titles auto --folder-titles --sort name
    --page-title "Harbour Walks: Site Map")
  "$build/bin/trailwright-cli" generate --quiet --index "$demo/index.html" "${common[@]}" \
    --filter-box --output "$demo/sitemap.html"
  mv "$demo/sitemap.html" "$shots/plain.html"
  "$build/bin/trailwright-cli" generate --quiet --index "$demo/index.html" "${common[@]}" \
    --collapsible --output "$demo/sitemap.html"
  mv "$demo/sitemap.html" "$shots/collapsible.html"
  tools=$(bash tests/browser/install-tools.sh)
  node tools/screenshot.mjs "$tools" \
    "$shots/plain.html|$out/5-modern-light.png|800|light" \
    "$shots/plain.html|$out/5-modern-dark.png|800|dark" \
    "$shots/plain.html|$out/5-modern-320.png|320|light|full" \
    "$shots/collapsible.html|$out/5-modern-collapsible.png|800|light"
  # The same site map in a page of the club's own look, kept outside the site.
  mkdir -p "$shots/theme"
  cat >"$shots/theme/frame.html" <<'FRAME'
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Site Map: Harbour Walks</title>
<style>
body{margin:0;font-family:Georgia,serif;background:#F4F1EA;color:#2B2B2B}
header{background:#1F4E5F;color:#FFF;padding:1rem 1.5rem}
header a{color:#FFF;font-size:1.5rem;text-decoration:none}
header nav a{font-size:1rem;margin-right:1rem;text-decoration:underline}
main{max-width:46rem;margin:0 auto;padding:1rem 1.5rem}
footer{background:#E2DCCB;padding:1rem 1.5rem;font-size:.9rem}
</style>
</head>
<body>
<header><a href="../index.html">Harbour Walks</a>
<nav aria-label="Main"><a href="../routes/index.html">Routes</a><a href="../news/index.html">News</a><a href="../about.html">About</a></nav></header>
<main>
<!-- trailwright:sitemap -->
</main>
<footer><p>Harbour Walks, the walking club of the harbour town.</p></footer>
</body>
</html>
FRAME
  "$build/bin/trailwright-cli" generate --quiet --index "$demo/index.html" "${common[@]}" \
    --collapsible --no-credit --template "$shots/theme/frame.html" --output "$demo/sitemap.html"
  mv "$demo/sitemap.html" "$shots/template.html"
  node tools/screenshot.mjs "$tools" \
    "$shots/template.html|$out/5-modern-template.png|800|light"
fi
echo "Screenshots are in $out"
