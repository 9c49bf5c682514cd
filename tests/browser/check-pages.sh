#!/usr/bin/env bash
# Runs the Nu Html Checker once over all given pages and the axe-core audit
# (audit.mjs) over each, with the tools tests/browser/install-tools.sh
# installs. Prints the checker's error count and messages and the audit's
# findings; exits 1 on any error or violation, 2 when a tool is missing or
# failed. --report-only prints the same and exits 0 on findings (for pages
# that are not required to pass, such as the classic layouts).
#   tests/browser/check-pages.sh [--report-only] PAGE...
# Environment: VNU_TIMEOUT, AUDIT_TIMEOUT (seconds, default 600 each).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
report_only=0
if [ "${1:-}" = --report-only ]; then
  report_only=1
  shift
fi
[ $# -gt 0 ] || { echo "usage: check-pages.sh [--report-only] PAGE..." >&2; exit 2; }

missing=()
for tool in java node "${CHROMIUM:-/usr/bin/chromium}"; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "check-pages: missing ${missing[*]}; run scripts/setup.sh first" >&2
  exit 2
fi
if ! tools=$(bash "$here/install-tools.sh"); then
  echo "check-pages: the npm test tools are not installed and could not be (see above)" >&2
  exit 2
fi

out=$(mktemp)
trap 'rm -f "$out"' EXIT
vnu_rc=0
timeout -k 10 "${VNU_TIMEOUT:-600}" java -Xss8m -jar "$tools/node_modules/vnu-jar/build/dist/vnu.jar" \
  --errors-only --format gnu "$@" 2>"$out" >&2 || vnu_rc=$?
errors=$(grep -c -E ': (error|fatal)' "$out" || true)
if [ "$vnu_rc" -ne 0 ] && [ "$errors" -eq 0 ]; then
  echo "check-pages: vnu failed (exit $vnu_rc):" >&2
  cat "$out" >&2
  exit 2
fi
echo "vnu: $errors error(s) over $# page(s)"
head -n 50 "$out"

audit_rc=0
export AUDIT_TIMEOUT=${AUDIT_TIMEOUT:-600}
# The driver's own watchdog ends it first; this is for a hang past that.
timeout -k 10 $((AUDIT_TIMEOUT + 30)) node "$here/audit.mjs" "$tools" "$@" || audit_rc=$?
if [ "$audit_rc" -gt 1 ]; then
  echo "check-pages: the audit could not run (exit $audit_rc)" >&2
  exit 2
fi
[ "$report_only" = 1 ] && exit 0
[ "$errors" -eq 0 ] && [ "$audit_rc" -eq 0 ]
