#!/usr/bin/env bash
# Installs every Debian package that building, playing, capturing and testing need.
# The README, CI and the test set-up all call this one script.
#   scripts/install-deps.sh          the native program, its tools and tests (as root, or through sudo)
#   scripts/install-deps.sh --web    also the web page's build and its browser tests
#   scripts/install-deps.sh --list   print them on one line instead, for whoever installs them
set -euo pipefail
packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang-format
  # the demo: window, GL, sound (ALSA kept quiet without a card), pictures, options
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libasound2-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev libkissfft-dev libcli11-dev libstb-dev
  # the data generator
  libcairo2-dev libpango1.0-dev fonts-dejavu-core
  # capture to video
  ffmpeg
  # install and package: man pages from the programs' help, the .deb's dependencies
  # read from the binaries (file, dpkg-shlibdeps), the desktop entry's check
  help2man file dpkg-dev desktop-file-utils
  # tests: GoogleTest, a virtual display, fuzzers
  googletest libgtest-dev xvfb xauth x11-utils xdotool clang libclang-rt-14-dev
  # end-to-end tests: Xlib for screenshots, fonts for message boxes on Xvfb
  libx11-dev xfonts-base
)
web_packages=(
  # the page: the compiler, and headless Chromium with Node to drive it in the tests
  emscripten nodejs chromium
)
list=0
for arg in "$@"; do
  case "$arg" in
  --list) list=1 ;;
  --web) packages+=("${web_packages[@]}") ;;
  *) echo "install-deps.sh: unknown option '$arg'; usage: scripts/install-deps.sh [--web] [--list]" >&2; exit 2 ;;
  esac
done
if [ "$list" = 1 ]; then echo "${packages[*]}"; exit 0; fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps.sh: installing packages needs root, and there is no sudo. Have them installed:" >&2
    echo "  apt-get install ${packages[*]}" >&2
    echo "then set VORREND_SKIP_INSTALL=1 for the play and test scripts." >&2
    exit 1
  fi
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# Wait for another package manager (say, unattended upgrades on a new machine) rather than fail.
apt_options=(-o DPkg::Lock::Timeout=600)
$SUDO apt-get "${apt_options[@]}" update
$SUDO apt-get "${apt_options[@]}" install -y --no-install-recommends "${packages[@]}"
