#!/usr/bin/env bash
# Wall and processor time of capturing the whole demo to MP4, at 640 x 480 and 60 fps
# unless the extra options say otherwise (a later --size wins), against its length
# of 145 s. The goal at 640 x 480: at most 0.55 of real time on two cores.
set -euo pipefail
usage() {
  cat <<EOT
usage: bench/capture_whole.sh [VORREND-CAPTURE [FOLDER] [capture options...]]
Times a whole capture of the demo to MP4 (640x480, 60 fps unless the options say
otherwise) against its 145 s.
  VORREND-CAPTURE  the capture tool (default: build/vorrend-capture of this repository)
  FOLDER           where it runs, the folder holding data/ (default: that tool's folder)
Further options go to the capture tool, e.g. --size 1440x1080 or --aa 4.
EOT
}
case "${1:-}" in -h | --help) usage; exit 0 ;; esac
capture=${1:-$(dirname "$0")/../build/vorrend-capture}
if [ ! -x "$capture" ]; then
  echo "capture_whole.sh: no capture tool at $capture; build it first (cmake --build --preset default)" >&2
  usage >&2
  exit 2
fi
capture=$(realpath "$capture")
folder=${2:-$(dirname "$capture")}
cd "$folder"
shift $(($# < 2 ? $# : 2))
if [ ! -d data ]; then
  echo "capture_whole.sh: no data/ in $(pwd): build with VORREND_DATA=ON (the default) or run vorrend-datagen data" >&2
  exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
load=$(cut -d' ' -f1 /proc/loadavg)
# Processor time too (the capture, its renderer threads and ffmpeg): wall time alone
# says little on a machine shared with other work.
TIMEFORMAT='%R %U %S'
{ time "$capture" --size 640x480 --fps 60 "$@" --out "$out/demo.mp4" 2>"$out/log"; } 2>"$out/time"
tail -n 1 "$out/log"
read -r wall user sys < "$out/time"
frames=$(tail -n 1 "$out/log" | grep -o '[0-9]* frames' | cut -d' ' -f1)
shape=$(tail -n 1 "$out/log" | grep -o 'at [0-9./]* fps, [0-9]*x[0-9]*' | awk '{print $4 " at " $2 " fps"}')
awk -v frames="${frames:-8700}" -v shape="${shape:-640x480 at 60 fps}" -v wall="$wall" -v user="$user" -v sys="$sys" -v cores="$(nproc)" -v load="$load" -v extra="$*" 'BEGIN {
  cpu = user + sys
  printf "whole demo to MP4 (%s%s): %.1f s wall = %.2f of its 145 s; processor %.1f s = %.2f of 145 s\n",
    shape, extra == "" ? "" : "; options " extra, wall, wall / 145, cpu, cpu / 145
  printf "  %.2f of %d cores busy on average, %.1f ms of processor a frame; load average %s at the start\n",
    cpu / wall, cores, 1000 * cpu / frames, load
}'
