#!/usr/bin/env bash
# Measures the running program under Xvfb: CPU of the program and of the X server at rest and
# during a scripted drag, frames per second against the refresh rate, peak memory, the time to its
# first window, and the frame micro-benchmarks; prints one table. A peer game, started the same
# way on its own X server, gets a row of its own (at rest only).
#
#   bench/present_cpu.sh BIN_DIR [LABEL BIN_DIR]...
#
# Each BIN_DIR holds a built program (zelvan, ddraw.so, ...); with several, they run one after the
# other under the same conditions and appear side by side. SECONDS_PER_STATE (default 10) sets the
# length of each measuring window. PEER (default /usr/games/sgt-sixteen, from the Debian package
# sgt-puzzles) is the peer; PEER=none leaves its row out.
set -euo pipefail

WINDOW_SECONDS=${SECONDS_PER_STATE:-10}
TITLE="Zelvan Free v1.0"
TICKS=$(getconf CLK_TCK)

die() { echo "present_cpu: $*" >&2; exit 1; }
for tool in Xvfb xdotool; do command -v $tool >/dev/null || die "$tool is missing (make deps)"; done

# Arguments: BIN_DIR alone, or LABEL BIN_DIR pairs.
labels=() dirs=()
if [ $# -eq 1 ]; then labels=(current); dirs=("$1"); else
    [ $# -ge 2 ] && [ $(($# % 2)) -eq 0 ] || die "usage: $0 BIN_DIR | LABEL BIN_DIR [LABEL BIN_DIR]..."
    while [ $# -gt 0 ]; do labels+=("$1"); dirs+=("$2"); shift 2; done
fi
for d in "${dirs[@]}"; do [ -x "$d/zelvan" ] || die "no program in $d"; done

work=$(mktemp -d)
xvfb_pid="" app_pid="" drag_pid=""
cleanup() {
    for pid in $drag_pid $app_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Clock ticks (user + system) a process has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# "presented changed seconds" as the display module's counters file last reported them ("-"
# when the build writes no counters).
frames() { awk '{ v[$1] = $2 } END { if ("presented" in v) print v["presented"], v["changed"], v["seconds"]; else print "-" }' \
    "$work/counters" 2>/dev/null || echo -; }
refresh() { awk '$1 == "refresh" { print $2 }' "$work/counters" 2>/dev/null | grep . || echo -; }

# Measures one window: sets CPU_APP, CPU_X (% of one core), FPS (frames presented per second) and
# CHANGED (of those, frames that changed the window), both over the counters' own timestamps.
measure() {
    local a0 x0 f0 a1 x1 f1
    a0=$(cpu_ticks "$app_pid") x0=$(cpu_ticks "$xvfb_pid") f0=$(frames)
    sleep "$WINDOW_SECONDS"
    a1=$(cpu_ticks "$app_pid") x1=$(cpu_ticks "$xvfb_pid") f1=$(frames)
    kill -0 "$app_pid" 2>/dev/null || die "the program ended while being measured"
    CPU_APP=$(awk -v d=$((a1 - a0)) -v t="$TICKS" -v s="$WINDOW_SECONDS" 'BEGIN { printf "%.1f", 100 * d / t / s }')
    CPU_X=$(awk -v d=$((x1 - x0)) -v t="$TICKS" -v s="$WINDOW_SECONDS" 'BEGIN { printf "%.1f", 100 * d / t / s }')
    FPS=- CHANGED=-
    if [ "$f0" != - ] && [ "$f1" != - ]; then
        # No presentation at all in the window leaves the counters as they were: 0 frames.
        read -r FPS CHANGED < <(echo "$f0 $f1" | awk '{ t = $6 - $3; if ($4 == $1) print "0.0 0.0"; else if (t <= 0) print "- -";
            else printf "%.1f %.1f\n", ($4 - $1) / t, ($5 - $2) / t }')
    fi
}

# Waits for the first visible window of process $1 and prints the seconds since $2 (date +%s%N);
# empty when none appeared within 60 s.
first_window() {
    local pid=$1 start=$2 now
    for _ in $(seq 3000); do
        if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
            now=$(date +%s%N)
            awk -v d=$((now - start)) 'BEGIN { printf "%.2f", d / 1e9 }'
            return
        fi
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.02
    done
}

# Starts an X server of its own on a free display and exports DISPLAY.
start_x() {
    local display=""
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do display=$(cat "$work/display" 2>/dev/null) && [ -n "$display" ] && break; sleep 0.1; done
    [ -n "$display" ] || die "Xvfb did not start"
    export DISPLAY=":$display"
}

stop_all() {
    kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
    kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; xvfb_pid=""
}

peak_memory() { awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# Presses on row 5 of the board and moves it back and forth across five cells, one movement every
# DRAG_PERIOD seconds (default 0.016, a little under one refresh at 60 Hz so that every refresh
# has a movement to show), for the measuring window and a margin. One xdotool process runs the
# whole chain of movements: spawning one per movement would itself limit the rate and cost CPU.
drag() {
    local window=$1 y=258 period=${DRAG_PERIOD:-0.016} x moves=() count
    # Out by 6 pixels a movement, back without repeating either end: every movement moves the row.
    for x in $(seq 119 6 287) $(seq 281 -6 125); do moves+=("$x"); done
    count=$(awk -v s="$WINDOW_SECONDS" -v p="$period" 'BEGIN { printf "%d", (s + 4) / p }')
    local chain=(mousemove --window "$window" 119 $y mousedown 1) i
    for ((i = 0; i < count; ++i)); do
        chain+=(sleep "$period" mousemove --window "$window" "${moves[i % ${#moves[@]}]}" $y)
    done
    exec xdotool "${chain[@]}"
}

run_one() {
    local bin=$1 start
    start_x
    mkdir -p "$work/config"
    rm -f "$work/counters"
    start=$(date +%s%N)
    XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb ZELVAN_DDRAW_COUNTERS="$work/counters" \
        "$bin/zelvan" >"$work/app.log" 2>&1 &
    app_pid=$!
    FIRST=$(first_window "$app_pid" "$start")
    [ -n "$FIRST" ] || FIRST=-
    # The splash may come first; the main window is the one with the program's full title.
    local window
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$TITLE\$" | head -1) || true
    [ -n "$window" ] || { cat "$work/app.log" >&2; die "the main window did not appear within 60 s"; }
    sleep 4 # settle: first paints, fonts, caches

    measure
    REST_APP=$CPU_APP REST_X=$CPU_X REST_FPS="$FPS/$CHANGED"

    # SCRAMBLE (the button at 40,119 on the panel at 400,16, 105 x 26) deals a game.
    xdotool mousemove --window "$window" 492 148 click 1
    sleep 1
    drag "$window" &
    drag_pid=$!
    sleep 1
    measure
    DRAG_APP=$CPU_APP DRAG_X=$CPU_X DRAG_FPS="$FPS/$CHANGED"
    kill "$drag_pid" 2>/dev/null || true
    wait "$drag_pid" 2>/dev/null || true
    drag_pid=""
    xdotool mouseup 1 || true

    HZ=$(refresh)
    HWM=$(peak_memory "$app_pid")
    stop_all

    # The frame micro-benchmarks of the same build, when it has them.
    BM_WHOLE=- BM_OWN=-
    if [ -x "$bin/frame_bench" ]; then
        QT_QPA_PLATFORM=offscreen "$bin/frame_bench" --benchmark_filter='BM_WholeFrame|BM_FrameOwn' \
            --benchmark_format=csv >"$work/bm.csv" 2>/dev/null || true
        BM_WHOLE=$(awk -F, '$1 ~ /BM_WholeFrame.*_median/ { printf "%.1f", $3 }' "$work/bm.csv")
        BM_OWN=$(awk -F, '$1 ~ /BM_FrameOwn.*_median/ { printf "%.1f", $3 }' "$work/bm.csv")
        [ -n "$BM_OWN" ] || BM_OWN=$(awk -F, '$1 ~ /BM_FrameOwn/ { printf "%.1f", $3; exit }' "$work/bm.csv")
        [ -n "$BM_WHOLE" ] || BM_WHOLE=-
        [ -n "$BM_OWN" ] || BM_OWN=-
    fi
}

# The peer at rest, started as the program is: its own X server, a fresh configuration.
run_peer() {
    local start
    start_x
    mkdir -p "$work/peer-config"
    rm -f "$work/counters"
    start=$(date +%s%N)
    XDG_CONFIG_HOME="$work/peer-config" "$PEER_COMMAND" >"$work/peer.log" 2>&1 &
    app_pid=$!
    FIRST=$(first_window "$app_pid" "$start")
    [ -n "$FIRST" ] || { cat "$work/peer.log" >&2; die "the peer's window did not appear within 60 s"; }
    sleep 4 # settle, as for the program
    measure
    REST_APP=$CPU_APP REST_X=$CPU_X
    HWM=$(peak_memory "$app_pid")
    stop_all
}

FORMAT='%-10s %9s %8s %10s %9s %9s %11s %9s %9s %8s %12s %11s'
rows=()
for i in "${!dirs[@]}"; do
    echo "present_cpu: measuring ${labels[$i]} (${dirs[$i]}), load: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    run_one "${dirs[$i]}"
    rows+=("$(printf "$FORMAT" "${labels[$i]}" \
        "$REST_APP" "$REST_X" "$REST_FPS" "$DRAG_APP" "$DRAG_X" "$DRAG_FPS" "$HZ" "$HWM" "$FIRST" "$BM_WHOLE" "$BM_OWN")")
done

PEER_COMMAND=${PEER:-/usr/games/sgt-sixteen}
if [ "$PEER_COMMAND" = none ]; then
    :
elif ! command -v "$PEER_COMMAND" >/dev/null; then
    echo "present_cpu: the peer $PEER_COMMAND is not installed (Debian package sgt-puzzles); its row is left out" >&2
else
    echo "present_cpu: measuring the peer $PEER_COMMAND, load: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    run_peer
    rows+=("$(printf "$FORMAT" peer \
        "$REST_APP" "$REST_X" - - - - - "$HWM" "$FIRST" - -)")
fi

echo
echo "CPU in % of one core over ${WINDOW_SECONDS}-second windows; fps: frames presented per second /"
echo "of those, frames that changed the window (repaints asked of the window system); first: seconds"
echo "from the start to the first visible window (the program's is its splash)."
[ "$PEER_COMMAND" = none ] || echo "peer: $PEER_COMMAND at rest (a game dealt, nothing moving)"
printf "$FORMAT\n" build "rest:app" "rest:X" "rest:fps" \
    "drag:app" "drag:X" "drag:fps" "refresh" "VmHWM/MB" "first" "WholeFrame" "FrameOwn"
printf "$FORMAT\n" "" "%" "%" "" "%" "%" "" "Hz" "" "s" "us" "us"
for row in "${rows[@]}"; do echo "$row"; done
echo "targets:   rest:app <= 0.3 and no worse than the peer, rest:X = 0.0, drag:app <= 3,"
echo "           drag:fps = refresh, VmHWM <= 40 MB"
echo "load after: $(uptime)"
