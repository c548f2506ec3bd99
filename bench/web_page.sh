#!/usr/bin/env bash
# The web page in headless Chromium on SwiftShader (software WebGL, as in CI): the
# size of the folder, the time from loading the page to its start card, and the
# frames per second of every scene at 640 x 480, five seconds each, with the time the
# page spends issuing each frame (the rest is SwiftShader drawing it).
#   web_page.sh [PAGE-FOLDER]    (default build-web, which scripts/web.sh builds)
set -euo pipefail
here=$(dirname "$(realpath "$0")")
page=$(realpath "${1:-$here/../build-web}")
[ -f "$page/vorrend.html" ] || { echo "no page in $page: scripts/web.sh builds it" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "folder: $(du -sb "$page" | cut -f1) bytes ($(du -sh "$page" | cut -f1)), data/ $(du -sh "$page/data" | cut -f1);" \
  "vorrend.wasm $(stat -c %s "$page/vorrend.wasm"), vorrend.js $(stat -c %s "$page/vorrend.js") bytes"

# One page per scene, started a second into its window; frames counted over 5 s.
steps="["
for scene in "opening 1" "gallery 21" "ship 36" "tunnel 72" "treasure-room 87" "torus 107" "ship-again 127"; do
  set -- $scene
  steps+="{\"open\": \"vorrend.html?from=$2\"}, {\"wait\": \"!document.getElementById('start').hidden\"},"
  steps+="{\"value\": \"$1-card\", \"js\": \"Module.vorrend.startCardAt\"}, {\"key\": \"a\"}, {\"sleep\": 1},"
  steps+="{\"value\": \"$1-a\", \"js\": \"[Module.vorrend.frames, performance.now(), Module.vorrend.workMs]\"}, {\"sleep\": 5},"
  steps+="{\"value\": \"$1-b\", \"js\": \"[Module.vorrend.frames, performance.now(), Module.vorrend.workMs]\"},"
done
echo "${steps%,}]" > "$out/steps.json"
node "$here/../tests/web/page_driver.mjs" "$page" "$out" "$out/steps.json" >/dev/null
load=$(cut -d' ' -f1 /proc/loadavg)
awk -v load="$load" -v cores="$(nproc)" '
  $1 == "value" { split($2, key, "-"); name = substr($2, 1, length($2) - length(key[length(key)]) - 1)
                  what = key[length(key)]; gsub(/[\[\]]/, "", $3); split($3, v, ",")
                  if (what == "card") card[name] = v[1]
                  if (what == "a") { f0[name] = v[1]; t0[name] = v[2]; w0[name] = v[3]; order[++n] = name }
                  if (what == "b") { f1[name] = v[1]; t1[name] = v[2]; w1[name] = v[3] } }
  END { for (i = 1; i <= n; ++i) s = s sprintf("%s %.0f ms, ", order[i], card[order[i]])
        print "loading to the start card: " substr(s, 1, length(s) - 2)
        for (i = 1; i <= n; ++i) { k = order[i]
          frames = f1[k] - f0[k]
          printf "  %-14s %5.1f fps, %5.1f ms a frame issuing its GL calls\n", k, frames / ((t1[k] - t0[k]) / 1000),
                 (w1[k] - w0[k]) / frames }
        printf "on %d cores, load average %s at the end\n", cores, load }' "$out/report"
