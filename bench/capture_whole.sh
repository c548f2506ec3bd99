#!/usr/bin/env bash
# Wall time of capturing the whole demo at 640 x 480, 60 fps, to MP4, against its
# length of 145 s (faster than real time is the goal).
#   capture_whole.sh VORREND-CAPTURE FOLDER-WITH-DATA [extra capture options]
set -euo pipefail
capture=$(realpath "$1")
cd "$2"
shift 2
if [ ! -d data ]; then
  echo "no data/ in $(pwd): build with VORREND_DATA=ON (the default) or run vorrend-datagen data" >&2
  exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
start=$(date +%s.%N)
"$capture" --size 640x480 --fps 60 --out "$out/demo.mp4" "$@" 2>&1 | tail -n 1
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v cores="$(nproc)" -v load="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
  wall = e - s
  printf "whole demo, 640x480, 60 fps, MP4: %.1f s wall for 145 s of demo = %.2f x real time (%d cores, load %s at the end)\n", wall, 145 / wall, cores, load
}'
