#!/usr/bin/env bash
# Installs what is needed, builds the demo and its data, and plays it full screen.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
cd build && exec ./vorrend
