#!/usr/bin/env bash
# Installs what is needed, builds the demo and its data (nothing else: no tests, no
# tools), and plays it full screen. Options go to vorrend: scripts/play.sh --window
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh play
cmake --preset default
cmake --build --preset default --target vorrend vorrend-data
cd build && exec ./vorrend "$@"
