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
load=$(cut -d' ' -f1 /proc/loadavg)
# Processor time too (the capture, its renderer threads and ffmpeg): wall time alone
# says little on a machine shared with other work.
TIMEFORMAT='%R %U %S'
{ time "$capture" --size 640x480 --fps 60 --out "$out/demo.mp4" "$@" 2>"$out/log"; } 2>"$out/time"
tail -n 1 "$out/log"
read -r wall user sys < "$out/time"
awk -v wall="$wall" -v user="$user" -v sys="$sys" -v cores="$(nproc)" -v load="$load" 'BEGIN {
  cpu = user + sys
  printf "whole demo, 640x480, 60 fps, MP4: %.1f s wall for 145 s of demo = %.2f x real time\n", wall, 145 / wall
  printf "  processor time %.1f s (%.1f ms a frame) on %d cores; load average %s at the start\n", cpu, 1000 * cpu / 8700, cores, load
}'
