#!/usr/bin/env bash
# Drives the bash completion of trailwright-cli as bash would: COMP_WORDS and
# COMP_CWORD set, the function called, COMPREPLY compared.
# Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail

completion=${1:?usage: completion_test.sh COMPLETION_FILE}
# shellcheck source=/dev/null
source "$completion" || exit 1

failures=0
checks=0

# The completions for a command line given as words; the last word is the
# one being completed. Sorted, one line.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _trailwright_cli
    if ((${#COMPREPLY[@]})); then
        printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
    fi
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect "EXPECTED" WORD...: the completions are exactly EXPECTED (sorted).
expect() {
    local expected=$1
    shift
    checks=$((checks + 1))
    local got
    got=$(complete_words "$@")
    [[ $got == "$expected" ]] || fail "[$*] gave [$got], expected [$expected]"
}

# has WORD|!WORD... -- LINE...: each WORD is among the completions, each !WORD is not.
has() {
    local -a wanted=()
    while [[ $1 != -- ]]; do
        wanted+=("$1")
        shift
    done
    shift
    local got
    got=" $(complete_words "$@") "
    for w in "${wanted[@]}"; do
        checks=$((checks + 1))
        if [[ $w == !* ]]; then
            [[ $got != *" ${w#!} "* ]] || fail "[$*] offered ${w#!}: [$got]"
        else
            [[ $got == *" $w "* ]] || fail "[$*] did not offer $w: [$got]"
        fi
    done
}

checks=$((checks + 1))
[[ $(complete -p trailwright-cli 2>/dev/null) == *"-F _trailwright_cli"* ]] ||
    fail "the function is not registered for trailwright-cli"

# Commands.
expect "check generate profile" trailwright-cli ""
expect "profile" trailwright-cli pr
expect "--help --version" trailwright-cli -
expect "show write" trailwright-cli profile ""
expect "write" trailwright-cli profile w

# Options by command.
expect "--xml-all-pages --xml-gzip --xml-images --xml-include-pictures --xml-output --xml-sitemap" \
    trailwright-cli generate --xml
expect "--lang --lastmod" trailwright-cli generate --la
expect "git mtime none" trailwright-cli generate --lastmod ""
has --clean-urls --robots-txt -- trailwright-cli generate --
has '!--lastmod' '!--robots-txt' -- trailwright-cli check --
expect "--template --text-sitemap --titles --trim-titles" trailwright-cli generate --t
expect "auto none" trailwright-cli generate --trim-titles ""
expect "name none" trailwright-cli generate --sort ""
has --index --output --format --color --quiet --no-folder-links --text-sitemap '!--json' \
    -- trailwright-cli generate --
has --profile --index --file-types --ignore-folder --ignore-file --titles --no-titles \
    --format --json --path-base --ignore-url --baseline --quiet '!--output' '!--no-styles' \
    '!--folder-images' '!--xml-sitemap' '!--color' '!--overwrite' -- trailwright-cli check --
expect "--json" trailwright-cli check --j
has --output --color --no-images --xml-sitemap --lastmod --no-robots-txt '!--quiet' '!--json' \
    -- trailwright-cli profile write out.zpf --
has --no-xml-sitemap --no-clean-urls --no-xml-gzip --no-xml-images -- trailwright-cli generate --no
expect "--help" trailwright-cli profile show --
# An empty word after generate lists its options; values already given do
# not count as commands.
has --index --quiet -- trailwright-cli generate ""
has --json -- trailwright-cli check --index site/index.html --quiet ""
expect "--output --overwrite" trailwright-cli generate --index x.html --quiet --o

# Values: layouts, colour keys, nothing for free text.
expect "list modern paragraph" trailwright-cli generate --format ""
expect "paragraph" trailwright-cli generate --format p
# Check's formats are reports, not layouts.
expect "github html json junit markdown sarif text" trailwright-cli check --index x.html --format ""
expect "json junit" trailwright-cli check --format = j
expect "" trailwright-cli check --ignore-url ""
expect "--external" trailwright-cli check --ex
expect "missingAlt missingAnchor" trailwright-cli check --skip missingA
expect "redirectChain redirectPage" trailwright-cli check --only = redirect
has --strict --skip --only --max-depth -- trailwright-cli check --
expect "" trailwright-cli check --max-depth ""
expect "" trailwright-cli check --external --timeout ""
expect "12h 1d" trailwright-cli check --external --max-cache-age 1
expect "list modern paragraph" trailwright-cli profile write f.zpf --format ""
# "--format=p" reaches the function as three words: bash splits at "=".
expect "paragraph" trailwright-cli generate --format = p
expect "list modern paragraph" trailwright-cli generate --format =
expect "active= background= link= text= visited=" trailwright-cli generate --color ""
expect "link=" trailwright-cli generate --color l
expect "visited=" trailwright-cli generate --color = vi
expect "none" trailwright-cli generate --color link = n
expect "none" trailwright-cli generate --color = text = ""
expect "" trailwright-cli generate --file-types "*.ht"
expect "" trailwright-cli generate --xml-sitemap ""

# Files and folders, in a folder made here.
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir -p site/docs "with space"
touch site/index.html site/about.html site.zpf "with space/page.html"

expect "site site.zpf with space" trailwright-cli generate --index ""
expect "site/about.html site/docs site/index.html" trailwright-cli generate --index site/
expect "site/index.html" trailwright-cli check --index site/i
expect "site/index.html" trailwright-cli generate --index = site/i
expect "site site.zpf" trailwright-cli generate --output s
expect "site site.zpf" trailwright-cli generate --xml-output s
expect "site site.zpf" trailwright-cli generate --text-sitemap s
expect "site site.zpf" trailwright-cli generate --template s
expect "site/about.html" trailwright-cli check --ignore-file site/a
expect "site.zpf" trailwright-cli profile show site.
expect "site.zpf" trailwright-cli profile write --profile site.
expect "with space/page.html" trailwright-cli generate --profile "with space/"
# Only folders for the folder list.
expect "site with space" trailwright-cli generate --ignore-folder ""
expect "site/docs" trailwright-cli check --ignore-folder site/
expect "site/docs" trailwright-cli check --path-base site/
expect "site/about.html" trailwright-cli check --baseline site/a
expect "" trailwright-cli generate --ignore-folder site/docs/x

echo "$checks checks, $failures failed"
((failures == 0))
