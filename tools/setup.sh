#!/usr/bin/env bash
# Installs what Corvel needs to build, test and play on Debian 12, only the packages that are
# missing, then configures and builds into the given folder with the given extra CMake options.
#   tools/setup.sh BUILD_DIR [cmake options...]
set -euo pipefail

packages=(
  build-essential cmake pkg-config            # compiler and build
  libsfml-dev                                 # window, OpenGL drawing, images, fonts, audio
  libphysfs-dev                               # folders and .crvdat archives as one file system
  libpugixml-dev                              # Commands.xml, Config.xml, global variables, save slots
  libutfcpp-dev                               # UTF-8 <-> wide text
  libx11-dev                                  # the editor's child window
  libgtest-dev libbenchmark-dev               # tests and benchmarks
  xvfb xauth libgl1-mesa-dri                  # a real X server and software OpenGL for headless runs
  libopenal1                                  # sound (runs silently without a device)
  fonts-dejavu-core                           # fonts the tests and the demo use
  zip unzip                                   # building .crvdat archives
  clang libclang-rt-14-dev                    # the fuzzing build
)

missing=()
for package in "${packages[@]}"; do
  [[ "$package" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "corvel: installing ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_dir="$1"
shift
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$build_dir" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
