#!/usr/bin/env bash
# Validates the SARIF or the JUnit report of "trailwright-cli check" against
# its schema, on a site whose names and texts need escaping, with and
# without a baseline.
# Usage: validate.sh sarif|junit TRAILWRIGHT_CLI SCHEMA_DIR
set -euo pipefail
format=${1:?usage: validate.sh sarif|junit CLI SCHEMA_DIR}
cli=${2:?} schemas=${3:?}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
site=$work/site
mkdir -p "$site/pics" "$site/a b"
printf '<title>Home</title>\n<a href="gone.html">x</a> <a href="pics/">p</a>\n' >"$site/index.html"
printf '<title>Home</title><a href="x&amp;&lt;&#1;.html">y</a>' >"$site/a b/50%%,:x.html"
for page in "caf"$'\xe9\x02'".html" t.html; do
    printf '<title>T\x01\xef\xbf\xbe\xe9</title>' >"$site/$page"
done
printf '<p>no title' >"$site/pics/a.html"

"$cli" check --index "$site/index.html" --json >"$work/base.json" || [[ $? == 3 ]]
printf '<a href="new.html">n</a>' >>"$site/index.html"
reports=()
for baseline in "" "$work/base.json"; do
    out=$work/report${#reports[@]}
    "$cli" check --index "$site/index.html" --format "$format" --path-base "$work/pics" \
        ${baseline:+--baseline "$baseline"} >"$out" || [[ $? == 3 ]]
    reports+=("$out")
done

if [[ $format == junit ]]; then
    xmllint --noout --schema "$schemas/junit.xsd" "${reports[@]}"
    for report in "${reports[@]}"; do
        for count in "tests=count(//testcase)" "failures=count(//testcase[failure])" \
            "skipped=count(//testcase[skipped])"; do
            attribute=${count%%=*} expected=$(xmllint --xpath "${count#*=}" "$report")
            got=$(xmllint --xpath "string(/testsuites/testsuite/@$attribute)" "$report")
            [[ $got == "$expected" ]] || { echo "$report: $attribute=$got, $expected counted"; exit 1; }
        done
    done
    exit 0
fi

# Debian's interpreter, which python3-jsonschema and python3-rfc3987 serve.
python=$(command -v /usr/bin/python3 python3 | head -n 1)
"$python" - "$schemas/sarif-schema-2.1.0.json" "${reports[@]}" <<'PY'
import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
# SARIF's schema is draft 4, which has no "uri-reference": take the checker
# of draft 7, which has it when rfc3987 is installed.
checker = getattr(jsonschema.Draft7Validator, "FORMAT_CHECKER", None) or jsonschema.draft7_format_checker
if checker.conforms("a b", "uri-reference"):
    sys.exit("URI references go unchecked: install python3-rfc3987")
validator = jsonschema.Draft4Validator(schema, format_checker=checker)
failed = False
for path in sys.argv[2:]:
    for error in validator.iter_errors(json.load(open(path, encoding="utf-8"))):
        print(f"{path}: {list(error.absolute_path)}: {error.message}")
        failed = True
sys.exit(1 if failed else 0)
PY
