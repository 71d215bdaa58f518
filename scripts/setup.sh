#!/usr/bin/env bash
# Installs the Debian packages the game needs (skipping those present), builds
# into build/ and generates the content into data/.
#   scripts/setup.sh [--play] [CMAKE OPTIONS...]
# With --play only what playing needs is installed and built: the game and its
# content tool. Without it everything is: the tools, the benchmark and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

play=0
if [ "${1:-}" = "--play" ]; then
  play=1
  shift
fi

# The configuration step looks for GoogleTest, so its headers come along even to play.
packages=(build-essential cmake pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libguichan-dev
  libfreeimageplus-dev libglu1-mesa-dev libgl1-mesa-dri libgtest-dev libfreetype-dev fonts-dejavu-core)
if [ $play = 0 ]; then
  packages+=(xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev valgrind desktop-file-utils dpkg-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
if [ $play = 1 ]; then
  cmake --build build -j "$jobs" --target vantor vantor-content
else
  cmake --build build -j "$jobs"
fi
build/vantor-content data
