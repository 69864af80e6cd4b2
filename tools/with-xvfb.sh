#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server of 1280x720x24.
# -noreset keeps the server up between clients: by default Xvfb resets when its last client leaves,
# and a test that connects during that reset fails to open the display.
set -euo pipefail
number=90
while [[ -e "/tmp/.X${number}-lock" || -e "/tmp/.X11-unix/X${number}" ]]; do
  number=$((number + 1))
done
Xvfb ":${number}" -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -S "/tmp/.X11-unix/X${number}" ]] && break
  kill -0 "$server" 2>/dev/null || { echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=":${number}"
"$@"
