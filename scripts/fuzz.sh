#!/usr/bin/env bash
# Runs every fuzzer of build-fuzz/ on its seed corpus in fuzz/corpus/<name>/
# (fuzz_web_png, the web page's decoder, on fuzz_png's).
#   scripts/fuzz.sh smoke       a short run of each (CI)
#   scripts/fuzz.sh long [N]    until each has done N executions (default one million)
# A crash, a sanitizer report or a single allocation over 512 MB (eight times
# the largest picture a loader accepts) fails the script; the input that caused
# it is kept in build-fuzz/artifacts/ (libFuzzer's own default is the current
# folder; run by hand, pass -artifact_prefix=build-fuzz/artifacts/ as here).
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-smoke}
runs=${2:-1000000}
case "$mode" in
  smoke | long) ;;
  -h | --help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
  *) echo "fuzz.sh: unknown mode '$mode'; usage: scripts/fuzz.sh [smoke | long [N]]" >&2; exit 2 ;;
esac
shopt -s nullglob
fuzzers=(build-fuzz/fuzz/fuzz_*)
if [ ${#fuzzers[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzzers in build-fuzz/fuzz/; build them first:" >&2
  echo "  cmake --preset fuzz && cmake --build --preset fuzz" >&2
  exit 1
fi
artifacts=$PWD/build-fuzz/artifacts
mkdir -p "$artifacts"
for f in "${fuzzers[@]}"; do
  name=$(basename "$f")
  work=$(mktemp -d)
  cp -r "fuzz/corpus/${name/fuzz_web_/fuzz_}/." "$work/" 2>/dev/null || true
  if [ "$mode" = long ]; then args=(-runs="$runs"); else args=(-max_total_time=20); fi
  echo "== $name"
  status=0
  "$f" "${args[@]}" -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
    "$work" >"$work.log" 2>&1 || status=$?
  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$work.log" || true
  if [ "$status" -ne 0 ]; then tail -n 40 "$work.log"; fi
  rm -rf "$work" "$work.log"
  [ "$status" -eq 0 ] || { echo "$name failed"; exit 1; }
done
