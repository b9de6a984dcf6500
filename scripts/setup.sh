#!/usr/bin/env bash
# Installs the Debian packages Lirra needs to build, test and run, when any
# is missing. Safe to run again: it asks apt only for what is not there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config   # toolchain
  qt6-base-dev                                   # Qt 6 Core and Widgets
  libmozjs-102-dev                               # SpiderMonkey, the JScript engine
  libicu-dev                                     # code-page conversion
  libsdl2-dev                                    # sample playback
  libkissfft-dev                                 # FFT of the sound analysis
  libgtest-dev                                   # tests
  clang-14 libclang-rt-14-dev                    # fuzzing and sanitizers
  xvfb xauth                                     # a display for headless runs
  fonts-noto-cjk                                 # kana and hanzi in the UI
  dpkg-dev                                       # dpkg-shlibdeps for the .deb
  desktop-file-utils appstream man-db            # checks of the installed files
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
