#!/usr/bin/env bash
# over-tcp.sh PROGRAM [ARGS...]: runs PROGRAM on its own 1024 x 768 X server reached over TCP, as
# a display forwarded from another machine is, with ZELVAN_X_OVER_TCP set; exits with its status
# (77 when a tool is missing).
set -uo pipefail

if [ "${1:-}" != --inside ]; then
  for tool in xvfb-run xauth; do
    command -v "$tool" >/dev/null ||
      { echo "SKIPPED: $tool is not installed (make deps installs it)"; exit 77; }
  done
  exec xvfb-run -a --listen-tcp -s "-screen 0 1024x768x24 -noreset -listen tcp" \
    bash "$0" --inside "$@"
fi
shift
number=${DISPLAY#:}
export DISPLAY="localhost:${number%%.*}"
env -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS QT_QPA_PLATFORM=xcb ZELVAN_X_OVER_TCP=1 "$@"
