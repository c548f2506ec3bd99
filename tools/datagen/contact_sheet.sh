#!/usr/bin/env bash
# Renders one frame of each scene from a build's data/ with vorrend-capture and tiles
# them into docs/contact-sheet.png (4 x 2 frames of 320 x 240, labelled).
# Usage: tools/datagen/contact_sheet.sh BUILD_DIR   (BUILD_DIR holds vorrend-capture and data/)
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
out="$(cd "$(dirname "$0")/../.." && pwd)/docs/contact-sheet.png"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

times=(10 28 33.5 40 78 96 116 140)
labels=("10 s  opening" "28 s  gallery" "33 s  title" "40 s  ship" "78 s  tunnel" "96 s  treasure room"
        "116 s  torus" "140 s  closing")
inputs=() filters="" tiles="" layout=""
for i in "${!times[@]}"; do
  (cd "$build" && ./vorrend-capture --time "${times[$i]}" --out "$work/$i.png")
  inputs+=(-i "$work/$i.png")
  filters+="[$i]scale=320:240,drawtext=text='${labels[$i]}':x=6:y=4:fontcolor=white:fontsize=14:box=1:boxcolor=black@0.6[t$i];"
  tiles+="[t$i]"
  layout+="$(( (i % 4) * 320 ))_$(( (i / 4) * 240 ))|"
done
mkdir -p "$(dirname "$out")"
ffmpeg -loglevel error -y "${inputs[@]}" -filter_complex "${filters}${tiles}xstack=inputs=${#times[@]}:layout=${layout%|}" \
  -frames:v 1 "$out"
echo "wrote $out"
