#!/usr/bin/env bash
# under-weston.sh PROGRAM [ARGS...]: runs PROGRAM as a Wayland client of its own headless weston
# (1024 x 768, desktop shell, no server-side decorations) and exits with its status (77 when
# weston or Qt's Wayland platform plugin is missing).
set -uo pipefail

command -v weston >/dev/null || { echo "SKIPPED: weston is not installed (make deps installs it)"; exit 77; }
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 ||
  { echo "SKIPPED: Qt's Wayland platform plugin is missing (qt6-wayland; make deps installs it)"; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=zelvan-test-$$
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket="$socket" --no-config \
  --idle-time=0 --width=1024 --height=768 ${ZELVAN_WESTON_OPTIONS:-} >"$runtime/weston.log" 2>&1 &
compositor=$!
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$runtime"' EXIT
# The compositor is ready once its socket is there.
for _ in $(seq 600); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$compositor" 2>/dev/null || { echo "FAILED: weston ended at start-up:"; cat "$runtime/weston.log"; exit 1; }
  sleep 0.1
done
[ -S "$runtime/$socket" ] || { echo "FAILED: weston never came up"; cat "$runtime/weston.log"; exit 1; }

# Under the leak checker, whole allocation stacks: libwayland-client has no frame pointers, and a
# stack cut short there loses the Qt frames the suppressions name.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}fast_unwind_on_malloc=0"
env -u DISPLAY -u QT_SCALE_FACTOR -u QT_WAYLAND_DECORATION -u QT_WAYLAND_DISABLE_WINDOWDECORATION \
  XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
