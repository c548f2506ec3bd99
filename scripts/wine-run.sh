#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine in the
# Wine prefix PREFIX, which is made on first use, quietly: no Gecko or Mono prompts
# (their loaders are switched off), no debug output, no menu entries written into
# the user's desktop. The tests and the bench run the Windows build through it;
# PROGRAM's exit status is this script's.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: scripts/wine-run.sh PREFIX PROGRAM [ARGS...]" >&2
  exit 2
fi
WINEPREFIX=$(realpath -m "$1")
shift
# Any overrides of the caller's own come on top.
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
if [ ! -e "$WINEPREFIX/.made" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One maker at a time; a second caller waits and finds it made.
  (
    flock 9
    if [ ! -e "$WINEPREFIX/.made" ]; then
      # Without a display: the "updating the configuration" window would otherwise
      # stand on the caller's screen, where a test takes it for the program's picture.
      env -u DISPLAY wine wineboot.exe --init >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.made"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
