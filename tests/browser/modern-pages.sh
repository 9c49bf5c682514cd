#!/usr/bin/env bash
# Writes the modern page of a hostile site once for each option set below and
# checks every one with the Nu Html Checker and axe-core in Chromium
# (check-pages.sh): any checker error or audit violation fails the test. The
# classic list and paragraph pages of the same site are checked too, their
# counts printed for information only. Last, the HTML report of the check of
# that site is checked as the modern pages are.
#   tests/browser/modern-pages.sh TRAILWRIGHT_CLI
set -euo pipefail
shopt -s nullglob
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:?usage: modern-pages.sh TRAILWRIGHT_CLI}

work=$(mktemp -d /tmp/tw-browser-XXXXXX)
trap 'rm -rf "$work"' EXIT
site=$work/site
pages=$work/pages
mkdir -p "$site" "$pages"

# page PATH TITLE-BYTES [HEAD-EXTRA]: a page whose title holds the bytes as
# given (printf %b), so entities, markup and stray bytes reach the title.
page() {
  mkdir -p "$(dirname "$site/$1")"
  printf '<html%s><head><title>%b</title></head><body><p>x</p></body></html>\n' \
    "${3:-}" "$2" >"$site/$1"
}
suffix=' \xe2\x80\x94 Hostile Harbour'
page index.html "Home$suffix" ' lang="en"'
page about.html "\"Quoted\" &amp; 'single' <b>bold</b> &lt;script&gt;alert(1)&lt;/script&gt;$suffix"
page entities.html "Caf&eacute; &#8212; &#x1F600; &nbsp;&amp;amp; &bogus; &#0; &#xD800;$suffix"
page rtl.html "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xd8\xb9\xd8\xa7\xd9\x84\xd9\x85 \xe2\x80\xae evil override$suffix"
page "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d.html" "Hebrew name$suffix"
page latin1.html "Caf\xe9 cr\xe8me \xff\xfe$suffix"
page "bad-\xff\xfe-name.html" ""
page "javascript:alert(1).html" "javascript:alert(1)$suffix"
page "quote\"and'apos<lt>&amp.html" "</title><script>alert(2)</script>"
long=$(printf 'x%.0s' $(seq 1 200))
page "$long.html" "$(printf 'Supercalifragilistic%.0s' $(seq 1 40))$suffix"
page "spaces  and\ttabs.html" "   $suffix"
deep=$site
for i in $(seq 1 25); do deep=$deep/level-$i; done
mkdir -p "$deep"
page "${deep#"$site"/}/bottom.html" "The bottom$suffix"
page "docs/index.html" "Documentation$suffix"
page "docs/Page 10.html" "Page 10$suffix"
page "docs/page 2.html" "page 2$suffix"
page "docs/guide/index.html" "<i>Guide</i>$suffix"
mkdir -p "$site/empty" "$site/docs/empty-too" "$site/\xd8\xb9\xd8\xb1\xd8\xa8\xd9\x8a"
printf 'plain text, not a page\n' >"$site/notes.txt"

# The option sets of the modern page: a name, then the options as shell
# words. More rows (a template, paging) go at the end.
option_sets=(
  'plain'
  'collapsible --collapsible'
  'filter --filter-box'
  'no-credit --no-credit'
  "lang-title --lang he --page-title '<Map> & \"Friends\" &amp; \xe2\x80\x94'"
  'link-texts --trim-titles auto --folder-titles --sort name'
  "all --collapsible --filter-box --no-credit --lang fr --page-title 'Plan & <du> site' --trim-titles auto --folder-titles --sort name"
  "template --template $work/frame/frame.html --filter-box --collapsible"
  'pages --max-links 3 --filter-box'
  "template-pages --template $work/frame/frame.html --max-links 4 --collapsible --filter-box"
)

# A page of the site's own look in another folder, its style sheet linked
# relative to it.
mkdir -p "$work/frame"
printf 'header,footer{padding:1rem}\n' >"$work/frame/site.css"
cat >"$work/frame/frame.html" <<'FRAME'
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Hostile Harbour: site map</title>
<link rel="stylesheet" href="site.css">
<style>body{margin:0;font-family:serif}header,footer{background:#223;color:#fff}header a{color:#fff}</style>
</head>
<body>
<header><a href="../site/index.html">Hostile Harbour</a></header>
<main>
<h1>Everything on Hostile Harbour</h1>
<!-- trailwright:sitemap -->
</main>
<footer><p>The harbour's own footer</p></footer>
</body>
</html>
FRAME

# write NAME OPTION...: writes the page beside the index page (the only place
# inside the site a map may go) and moves it out, so every run scans the
# same site.
write() {
  local name=$1
  shift
  "$cli" generate --quiet --index "$site/index.html" --file-types "htm html" "$@" \
    --output "$site/sitemap.html"
  # With --max-links the other pages are sitemap-2.html and on.
  local file
  for file in "$site"/sitemap*.html; do
    file=${file#"$site"/sitemap}
    mv "$site/sitemap$file" "$pages/$name$file"
  done
}

modern=()
for row in "${option_sets[@]}"; do
  eval "set -- $row"
  name=$1
  shift
  write "modern-$name" --format modern "$@"
  # The checks below mean something only over the whole hostile tree.
  cat "$pages/modern-$name".html "$pages/modern-$name"-[0-9]*.html 2>/dev/null |
    grep -q 'level-25/bottom\.html' || {
    echo "modern-$name.html does not reach the deepest page" >&2
    exit 1
  }
  modern+=("$pages/modern-$name".html)
  for file in "$pages/modern-$name"-[0-9]*.html; do
    [ -e "$file" ] && modern+=("$file")
  done
done
write classic-list --format list
write classic-paragraph --format paragraph

# The check's HTML report of the same site, once the maps are written: dead
# links, a missing anchor, orphans and title problems, named by its hostile
# bytes and by a page that tries to close the report's script.
printf '<html lang="en"><head><title>Links</title></head><body><a href="gone.html">a</a>
<a href="%b">b</a> <a href="docs/empty-too/">c</a> <a href="#nowhere">d</a>
<a href="about.html">e</a> <a href="gone.html">f</a></body></html>\n' \
  '</script><script>alert(3)</script>\xff.html' >"$site/links.html"
printf '<html><head><title>Home</title></head><body><a href="links.html">l</a></body></html>\n' \
  >"$site/index.html"
rc=0
"$cli" check --quiet --index "$site/index.html" --file-types "htm html" --format html \
  >"$pages/check-report.html" || rc=$?
[ "$rc" -eq 3 ] || { echo "check exited $rc, not 3 (findings)" >&2; exit 1; }
kinds=$(grep -c '<section class="kind"' "$pages/check-report.html" || true)
[ "$kinds" -ge 4 ] || { echo "check-report.html holds $kinds kinds, not 4 or more" >&2; exit 1; }
modern+=("$pages/check-report.html")

echo "== classic pages (for information, not required to pass)"
bash "$here/check-pages.sh" --report-only "$pages/classic-list.html" "$pages/classic-paragraph.html" |
  grep -E '^(vnu|axe summary):'
echo "== modern pages: ${#modern[@]} pages of ${#option_sets[@]} option sets, and the check's HTML report"
bash "$here/check-pages.sh" "${modern[@]}"
# Ordered by page, the report's script gathers every row into one table.
node "$here/report-order.mjs" "$(bash "$here/install-tools.sh")" "$pages/check-report.html"
