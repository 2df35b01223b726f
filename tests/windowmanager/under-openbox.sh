#!/usr/bin/env bash
# under-openbox.sh DPI PROGRAM [ARGS...]: runs PROGRAM on its own 1024 x 768 X server managed by
# openbox, with Xft.dpi set to DPI, and exits with its status (77 when a tool is missing).
set -uo pipefail

if [ "${1:-}" != --inside ]; then
  for tool in xvfb-run xauth openbox xprop xrdb; do
    command -v "$tool" >/dev/null ||
      { echo "SKIPPED: $tool is not installed (make deps installs it)"; exit 77; }
  done
  # -noreset: the polls below connect and go; a server that resets when its last client leaves
  # can drop openbox's connection as it is being made, and openbox then ends without a word.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" --inside "$@"
fi
shift
dpi=$1
shift

log=$(mktemp)
openbox --sm-disable >/dev/null 2>"$log" &
manager=$!
trap 'kill "$manager" 2>/dev/null; wait "$manager" 2>/dev/null; rm -f "$log"' EXIT
# The manager is ready once it has announced itself on the root window.
for _ in $(seq 600); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$manager" 2>/dev/null ||
    { wait "$manager"; echo "FAILED: openbox ended at start-up (status $?):"; cat "$log"; exit 1; }
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "FAILED: openbox never came up"; exit 1; }
# Set while the manager is connected: the server forgets its resources when its last client goes.
echo "Xft.dpi: $dpi" | xrdb -nocpp -merge || { echo "FAILED: xrdb could not set Xft.dpi"; exit 1; }

env -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS QT_QPA_PLATFORM=xcb ZELVAN_EXPECTED_DPI="$dpi" "$@"
