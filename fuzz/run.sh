#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (600 unless
# given), starting from the seed corpus kept in fuzz/corpus. Inputs the
# fuzzer finds go to build-fuzz/corpus, crashes to build-fuzz/findings; the
# repository's corpus is never written. Prints the executions of each run.
# The sitemap target's corpus is then replayed once with each sitemap
# checked by xmllint --noout.
# Usage: fuzz/run.sh [SECONDS] [stream|title|writer|page|sitemap ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(stream title writer page sitemap)

bash scripts/setup.sh clang
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTW_FUZZ=ON -DTW_BUILD_GUI=OFF >/dev/null
# shellcheck disable=SC2046 # one word per target
cmake --build build-fuzz -j2 --target $(printf 'tw_%s_fuzz ' "${targets[@]}") >/dev/null

status=0
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t findings=build-fuzz/findings/$t
  mkdir -p "$work" "$findings"
  extra=()
  case $t in
    stream) extra=(-dict=fuzz/stream.dict) ;;
    title) extra=(-max_len=20000) ;; # past the reader's first 4 KB read
  esac
  log=build-fuzz/$t.log
  echo "== tw_${t}_fuzz for ${seconds} s"
  if build-fuzz/bin/tw_${t}_fuzz -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$findings/" "${extra[@]}" "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "   ${execs:-?} executions, no finding"
    if [ "$t" = sitemap ]; then
      # -runs=0 runs each input of the corpus once, without mutating it.
      if TW_FUZZ_XMLLINT=1 build-fuzz/bin/tw_sitemap_fuzz -runs=0 \
          -artifact_prefix="$findings/" "$work" "fuzz/corpus/$t" >"$log.xmllint" 2>&1; then
        echo "   xmllint --noout accepts the sitemap of every input of the corpus"
      else
        echo "   FINDING: xmllint refused a sitemap: see $log.xmllint and $findings"
        status=1
      fi
    fi
  else
    echo "   FINDING: see $log and $findings"
    status=1
  fi
done
exit $status
