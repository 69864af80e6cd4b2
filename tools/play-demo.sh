#!/usr/bin/env bash
# Builds Corvel and plays the demo novel. Without a display it plays headless under Xvfb for a few
# seconds and writes the last frame to demo.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DCORVEL_BUILD_TESTS=OFF -DCORVEL_BUILD_BENCH=OFF
launcher="$root/build/release/tools/corvel"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$launcher" "$@" "$root/examples/demo"
fi
echo "corvel: no display; playing headless for 600 frames, last frame -> $PWD/demo.png"
ALSOFT_DRIVERS=null "$root/tools/with-xvfb.sh" "$launcher" --frames 600 --screenshot demo.png "$@" "$root/examples/demo"
