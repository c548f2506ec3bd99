#!/usr/bin/env bash
# Builds the Windows program into build-windows/: vorrend.exe, cross-built with
# MinGW-w64 and statically linked (it imports only Windows' own DLLs and ships none),
# beside the data generator's data/ and a README.txt that says how to run it, in
# build-windows/vorrend/ and zipped as build-windows/vorrend-windows.zip. The cross
# build tree is build/windows/; the data and the icon come from the native build.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${VORREND_SKIP_INSTALL:-0}" = 1 ] || scripts/install-deps.sh windows

cmake --preset default >/dev/null
cmake --build --preset default --target vorrend-datagen vorrend-data
cmake --preset windows >/dev/null
cmake --build --preset windows

out=build-windows
folder=$out/vorrend
rm -rf "$folder" "$out/vorrend-windows.zip.part"
mkdir -p "$folder"
cp build/windows/vorrend.exe "$folder/"
cp -a build/data "$folder/data"
rm -f "$folder/data/.generated"
sed 's/$/\r/' packaging/windows/README.txt >"$folder/README.txt"  # Windows line ends
(cd "$out" && zip -qr -9 -X vorrend-windows.zip.part vorrend)
mv "$out/vorrend-windows.zip.part" "$out/vorrend-windows.zip"
echo "the Windows program is in $out/vorrend-windows.zip ($(du -h "$out/vorrend-windows.zip" | cut -f1))"
