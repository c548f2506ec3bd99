#!/usr/bin/env bash
# Installs every Debian package that building, playing, capturing and testing need.
# The README, CI and the test set-up all call this one script.
set -euo pipefail
packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang-format
  # the demo: window, GL, sound (ALSA kept quiet without a card), pictures, options
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libasound2-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev libkissfft-dev libcli11-dev
  # the data generator
  libcairo2-dev libpango1.0-dev fonts-dejavu-core
  # capture to video
  ffmpeg
  # tests: GoogleTest, a virtual display, fuzzers
  googletest libgtest-dev xvfb xauth x11-utils xdotool clang libclang-rt-14-dev
  # end-to-end tests: Xlib for screenshots, fonts for message boxes on Xvfb
  libx11-dev xfonts-base
)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# Wait for another package manager (say, unattended upgrades on a new machine) rather than fail.
apt_options=(-o DPkg::Lock::Timeout=600)
$SUDO apt-get "${apt_options[@]}" update
$SUDO apt-get "${apt_options[@]}" install -y --no-install-recommends "${packages[@]}"
