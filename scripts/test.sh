#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, then the
# unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, then a short run
# of each fuzzer. Tests that need a window start their own virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
# The asan test preset runs a failed test once more: LeakSanitizer's exit-time
# tracer now and then crashes on the software renderer's worker threads.
ctest --preset asan -j "$jobs"

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh smoke
