#!/usr/bin/env bash
# png-to-ico.sh OUT.ico SIZE:FILE.png ...: a Windows icon holding the PNG pictures as
# they are (Windows reads PNG images inside an .ico since Vista).
set -euo pipefail
out=$1
shift
byte() { printf "\\$(printf %03o "$(($1 & 255))")"; }
le16() { byte "$1"; byte "$(($1 >> 8))"; }
le32() { le16 "$(($1 & 65535))"; le16 "$(($1 >> 16))"; }
tmp="$out.tmp"
{
  le16 0; le16 1; le16 $#  # reserved, type icon, count
  offset=$((6 + 16 * $#))
  for image in "$@"; do
    size=${image%%:*} bytes=$(stat -c %s "${image#*:}")
    byte $((size >= 256 ? 0 : size)); byte $((size >= 256 ? 0 : size)); byte 0; byte 0  # 0 is 256
    le16 1; le16 32; le32 "$bytes"; le32 "$offset"
    offset=$((offset + bytes))
  done
  for image in "$@"; do cat "${image#*:}"; done
} >"$tmp"
mv "$tmp" "$out"
