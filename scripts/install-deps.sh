#!/usr/bin/env bash
# Installs the Debian packages one purpose needs (as root, or through sudo):
#   play     build the demo and its data, and play it
#   test     play's and everything else scripts/test.sh needs natively: the tools,
#            install and package checks, GoogleTest, virtual displays, fuzzers, formatting
#   web      the web page's build and its browser tests
#   windows  the Windows build, its tests under Wine, and the native data generator
#            that makes the data the zip carries
#   scripts/install-deps.sh play web            install both sets (no purpose: play)
#   scripts/install-deps.sh --list test web     print those sets on one line instead
# When every package asked for is installed already it runs no apt-get and prints
# nothing. The play, test and web scripts and CI call this one script.
set -euo pipefail
usage="usage: scripts/install-deps.sh [--list] [play | test | web | windows]..."
play=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # the demo: window, GL, sound (ALSA kept quiet without a card), pictures, options
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libasound2-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev libkissfft-dev libcli11-dev libstb-dev
  # the data generator
  libcairo2-dev libpango1.0-dev fonts-dejavu-core
)
test=(
  "${play[@]}"
  build-essential git clang-format
  # capture to video
  ffmpeg
  # install and package: man pages from the programs' help, the .deb's dependencies
  # read from the binaries (file, dpkg-shlibdeps), the desktop entry's and the
  # package's checks
  help2man file dpkg-dev desktop-file-utils lintian
  # tests: GoogleTest, a virtual display, fuzzers
  googletest libgtest-dev xvfb xauth x11-utils xdotool clang libclang-rt-14-dev
  # end-to-end tests: Xlib for screenshots, fonts for message boxes on Xvfb
  libx11-dev xfonts-base
)
web=(
  # the page: the compiler, and headless Chromium with Node to drive it in the tests
  emscripten nodejs chromium
)
windows=(
  # the cross compiler, Wine to run the tests (on a virtual display) and zip
  g++-mingw-w64-x86-64-posix wine64 wine zip xvfb xauth xdotool
  cmake ninja-build pkg-config libstb-dev libkissfft-dev libcli11-dev googletest
  # the native data generator
  "${play[@]}"
)
list=0
purposes=()
for arg in "$@"; do
  case "$arg" in
  --list) list=1 ;;
  play | test | web | windows) purposes+=("$arg") ;;
  -h | --help) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 0 ;;
  *) echo "install-deps.sh: unknown purpose '$arg'; $usage" >&2; exit 2 ;;
  esac
done
[ ${#purposes[@]} -gt 0 ] || purposes=(play)
packages=()
declare -A seen=()
for purpose in "${purposes[@]}"; do
  declare -n set="$purpose"
  for p in "${set[@]}"; do
    [ -n "${seen[$p]:-}" ] || { seen[$p]=1; packages+=("$p"); }
  done
  unset -n set
done
if [ "$list" = 1 ]; then echo "${packages[*]}"; exit 0; fi

# Only what is missing goes to apt-get; with nothing missing, no apt-get at all.
declare -A installed=()
while read -r name status; do
  [ "$status" = installed ] && installed[${name%%:*}]=1
done < <(dpkg-query -W -f='${binary:Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: installing packages needs root, and there is no sudo. Have them installed:" >&2
    echo "  apt-get install ${missing[*]}" >&2
    echo "then set VORREND_SKIP_INSTALL=1 for the play and test scripts." >&2
    exit 1
  fi
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# Wait for another package manager (say, unattended upgrades on a new machine) rather than fail.
apt_options=(-o DPkg::Lock::Timeout=600)
$SUDO apt-get "${apt_options[@]}" update
$SUDO apt-get "${apt_options[@]}" install -y --no-install-recommends "${missing[@]}"
