#!/usr/bin/env bash
# Formats every C++ source the project tracks with .clang-format.
#   scripts/format.sh          rewrite the files in place
#   scripts/format.sh --check  change nothing; list the files that need it and fail
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  bad=0
  for f in "${files[@]}"; do
    clang-format --style=file "$f" | cmp -s - "$f" || { echo "needs formatting: $f"; bad=1; }
  done
  [ "$bad" = 0 ] || { echo "run scripts/format.sh to format them"; exit 1; }
else
  clang-format --style=file -i "${files[@]}"
fi
