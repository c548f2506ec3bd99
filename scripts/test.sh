#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build with the web
# page (whose tests load it in headless Chromium) and the Windows program (whose
# tests run it under Wine, and its unit tests built for Windows), then the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of each fuzzer.
# Tests that need a window start their own virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh test web windows
scripts/format.sh --check
jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

cmake --preset default
cmake --build --preset default -j "$jobs"
VORREND_SKIP_INSTALL=1 scripts/web.sh
VORREND_SKIP_INSTALL=1 scripts/windows.sh
# Without the page or the Windows program their tests would skip; here they must run.
VORREND_WEB_REQUIRED=1 VORREND_WINDOWS_REQUIRED=1 ctest --preset default -j "$jobs" 2>&1 | tee -a "$log"
ctest --preset windows 2>&1 | tee -a "$log"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
# The asan test preset renders without the software renderer's worker threads
# (LP_NUM_THREADS=0): LeakSanitizer's exit-time tracer crashes on them.
ctest --preset asan -j "$jobs" 2>&1 | tee -a "$log"

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh smoke

# One closing line over both test runs (a failure has stopped the script above).
awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
     END { printf "tests: %d passed, %d failed\n", total - failed, failed }' "$log"
