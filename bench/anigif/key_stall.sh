#!/usr/bin/env bash
# The longest stall of key handling in the real window while the animation control loads a large
# GIF. Keys are struck steadily under a private Xvfb by the window benchmark's helper, which notes
# when it sent each one; each sounds a note in the MIDI log, and every note is matched by time to
# the key that caused it (see window_bench.cpp), so a lost key does not shift the others. A run
# that loads a 4000x4000 noise GIF (the check box loads the GIF that config.ini names) is set
# against a run that loads nothing, the floor; the runs take turns.
#   bench/anigif/key_stall.sh [MUTO] [RUNS] [PROGRAM_DIR] [WINDOW_BENCH]
set -euo pipefail
muto=${1:-build/bin/muto}
runs=${2:-5}
pictures=${3:-$(dirname "$muto")}
helper=${4:-$(dirname "$muto")/window_bench}
display=${DISPLAY_NUMBER:-71}
work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1280x800x24 -noreset -nolisten tcp 2>"$work/xvfb.log" &
xvfb=$!
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done

mkdir -p "$work/program"
cp "$pictures"/*.gif "$work/program/"
convert -size 4000x4000 xc: +noise Random -colors 256 "$work/noise.gif"
echo "$(basename "$muto"): noise.gif $(wc -c <"$work/noise.gif") bytes, 4000x4000"

# one LOAD: starts the program, strikes q every 5 ms for 1.5 s, and with LOAD=1 clicks the check
# box (which loads the GIF) 0.4 s into the typing. Prints the longest delay, its 99th percentile,
# the longest gap between notes less the interval (ms), and the keys answered and sent.
one() {
    printf '1,0,""\r\n1,2,0,70\r\n0,"%s"\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' \
        "$work/noise.gif" >"$work/program/config.ini"
    "$muto" --midi-out "log:$work/midi.log" --program-dir "$work/program" >"$work/out" 2>&1 &
    app=$!
    local wid
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1)
    xdotool windowfocus --sync "$wid"
    sleep 0.5
    local start
    start=$(wc -l <"$work/midi.log")
    "$helper" keys "$wid" 1.5 5000 2500 --anchor 24 >"$work/sent" &
    local typing=$!
    sleep 0.4
    if [ "$1" = 1 ]; then xdotool mousemove --window "$wid" 335 460 click 1; fi
    wait "$typing"
    sleep 0.3
    kill "$app"
    wait "$app" 2>/dev/null || true
    app=""
    # Note-ons of channel 1 only: one per key struck.
    tail -n +"$((start + 1))" "$work/midi.log" | awk '$2 == "90" && $4 != "00" {print $1}' >"$work/notes"
    "$helper" delays "$work/sent" "$work/notes" 5000 |
        awk '/answered/ { gsub(/,|;/, ""); print $14, $11, $21, $1, $3 }'
}

: >"$work/with" >"$work/without"
for _ in $(seq "$runs"); do
    one 1 >>"$work/with"
    one 0 >>"$work/without"
done
report() {
    sort -n "$2" | awk -v name="$1" '{m[NR]=$1; p[NR]=$2; g[NR]=$3; n[NR]=$4 "/" $5}
        END {printf "%-14s longest delay: median %.2f ms, max %.2f ms over %d runs (p99 median %.2f ms; longest gap less the interval: median %.2f ms; keys answered: %s)\n",
             name, m[int((NR+1)/2)], m[NR], NR, p[int((NR+1)/2)], g[int((NR+1)/2)], n[int((NR+1)/2)]}'
}
report "loading GIF" "$work/with"
report "no load" "$work/without"
