#!/usr/bin/env bash
# Builds the web page into build-web/: vorrend.html with its .js and .wasm, and the
# data generator's data/ beside them (the build tree is build/web/). The folder is
# all a static web host needs;
# for a local look: (cd build-web && python3 -m http.server --bind 127.0.0.1), then
# open http://127.0.0.1:8000/vorrend.html
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh play web

# The data generator is a native program: the native build makes data/ as usual.
cmake --preset default >/dev/null
cmake --build --preset default --target vorrend-data
cmake --preset web >/dev/null
cmake --build --preset web

# A copy of data/, made again when the native build made it again.
if [ ! -e build/web/.data-copied ] || [ build/data/.generated -nt build/web/.data-copied ]; then
  rm -rf build-web/data
  cp -a build/data build-web/data
  rm -f build-web/data/.generated
  touch build/web/.data-copied
fi
echo "the page is in build-web/ ($(du -sh build-web | cut -f1) with its data)"
