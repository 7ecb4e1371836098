#!/usr/bin/env bash
# The program in a real window under Xvfb, driven as a user drives it:
#  - playback of 2000 events 5 ms apart at speed 1.0 and 3.0, read back from the MIDI log:
#    lateness, whether it ends on time, CPU share; a bare timer (clock_nanosleep to absolute
#    deadlines) runs in turn with it as the reference;
#  - a 10-note chord recorded at one instant: the spread of its note-ons;
#  - CPU while 8 keys are struck in turn every 150 ms, with and without circle-touch rings, and
#    VMPK's in the same run when it is installed;
#  - the longest delay of key handling while a 20000-event performance opens, while it is
#    saved, and while a 5300x5300 JPEG loads as the keyboard picture.
#   bench/window/run.sh BUILD_DIR [MUTO] [DISPLAY_NUMBER]
# KEEP=DIR keeps the keys sent and the notes logged of each delay measurement.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
muto=${2:-$build/bin/muto}
number=${3:-72}
helper=$build/bin/window_bench
perf=$build/bin/muto-perf
work=$(mktemp -d /tmp/muto-window-bench.XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb ":$number" -screen 0 1280x800x24 -noreset -nolisten tcp 2>/dev/null &
pids+=($!)
export DISPLAY=":$number"
sleep 1

prog="$work/program"
mkdir -p "$prog"
cp "$build"/bin/*.gif "$prog/"
"$perf" steady "$work/steady.vsp" 2000 5
"$perf" chord "$work/chord.vsp" 10
"$perf" steady "$work/large.vsp" 20000 5
convert -size 5300x5300 gradient:navy-gold -quality 90 "$work/large.jpg"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now() { date +%s.%N; }
# share TICKS0 TICKS1 T0 T1: CPU share in per cent of one core.
share() { awk -v a="$1" -v b="$2" -v s="$3" -v e="$4" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.1f", 100 * (b - a) / hz / (e - s) }'; }

log="$work/midi.log"
start_muto() {
    "$muto" --midi-out "log:$log" --program-dir "$prog" >"$work/muto.out" 2>&1 &
    mpid=$!
    pids+=("$mpid")
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1)
    xdotool windowfocus --sync "$wid"
    sleep 0.5
}
alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.3; }
# dialog TITLE PATH: types PATH into the file dialog of that title, leaving Return to the caller.
dialog() {
    local win
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1)
    xdotool windowfocus --sync "$win"
    sleep 0.3
    xdotool type --delay 10 "$2"
    sleep 0.3
}
refocus() { xdotool windowfocus --sync "$wid"; sleep 0.3; }
wait_idle() {
    for _ in $(seq 600); do
        [ "$(xdotool getwindowname "$wid")" = "무토" ] && return 0
        sleep 0.05
    done
}
# Note messages logged after line $1, as moments.
notes_after() { tail -n +"$(($1 + 1))" "$log" | awk '$2 ~ /^[89][01]$/ { print $1 }'; }
# Note-ons logged after line $1, as moments.
note_ons_after() { tail -n +"$(($1 + 1))" "$log" | awk '$2 ~ /^9[01]$/ && $4 != "00" { print $1 }'; }

reference() {  # reference SPEED
    "$helper" reference 2000 5000 "$1" >"$work/ref.txt" 2>"$work/ref.cpu"
    echo "  reference timer:  $("$helper" lateness "$work/ref.txt" 5000 "$1"), $(cat "$work/ref.cpu")"
}

play() {  # play SPEED: plays the opened performance
    local before t0 c0 t1 c1
    before=$(wc -l <"$log")
    t0=$(now)
    c0=$(ticks "$mpid")
    alt p
    sleep 1
    wait_idle
    t1=$(now)
    c1=$(ticks "$mpid")
    notes_after "$before" >"$work/played.txt"
    echo "  in the window:    $("$helper" lateness "$work/played.txt" 5000 "$1"), CPU $(share "$c0" "$c1" "$t0" "$t1") % of one core"
}

echo "== playback, 2000 events 5 ms apart"
start_muto
alt o
dialog '연주 파일 열기' "$work/steady.vsp"
xdotool key Return
refocus
echo "speed 1.0:"
reference 1.0
play 1.0
reference 1.0
# The speed bar's down arrow: twenty steps from x1.0 to x3.0.
xdotool mousemove --window "$wid" 716 424 click --repeat 20 --delay 120 1
sleep 0.3
refocus
echo "speed 3.0:"
reference 3.0
play 3.0
reference 3.0

echo "== a 10-note chord recorded at one instant"
alt o
dialog '연주 파일 열기' "$work/chord.vsp"
xdotool key Return
refocus
before=$(wc -l <"$log")
alt p
sleep 2
wait_idle
tail -n +"$((before + 1))" "$log" | awk '$2 ~ /^9/ { if (!n++) first = $1; last = $1 }
    END { printf "  %d note-ons within %.3f ms of the first\n", n, (last - first) * 1000 }'

echo "== CPU while 8 keys are struck in turn every 150 ms (10 s)"
strike() {  # strike PID WINDOW: prints the process's CPU share
    local t0 c0 t1 c1
    t0=$(now)
    c0=$(ticks "$1")
    "$helper" keys "$2" 10 150000 75000 24 25 26 27 28 29 30 31 >/dev/null
    t1=$(now)
    c1=$(ticks "$1")
    share "$c0" "$c1" "$t0" "$t1"
}
echo "  muto:             $(strike "$mpid" "$wid") %"
# The check box of "동심원 키터치".
xdotool mousemove --window "$wid" 335 416 click 1
sleep 0.5
refocus
echo "  muto with rings:  $(strike "$mpid" "$wid") %"
xdotool mousemove --window "$wid" 335 416 click 1
sleep 0.5
refocus

echo "== longest delay of key handling (q struck every 5 ms)"
# delays SECONDS [FIRST...]: presses the FIRST keys (Return in a dialog), then strikes q in the
# window, and ends with three anchor strikes on the idle window.
delays() {
    local before seconds=$1
    shift
    before=$(wc -l <"$log")
    "$helper" keys "$wid" "$seconds" 5000 2500 "$@" --anchor 24 >"$work/sent.txt"
    sleep 0.3
    note_ons_after "$before" >"$work/logged.txt"
    "$helper" delays "$work/sent.txt" "$work/logged.txt" 5000 || true
    if [ -n "${KEEP:-}" ]; then
        mkdir -p "$KEEP"
        local kept
        kept=$(($(find "$KEEP" -name 'sent-*' | wc -l) + 1))
        cp "$work/sent.txt" "$KEEP/sent-$kept.txt"
        cp "$work/logged.txt" "$KEEP/logged-$kept.txt"
        tail -n +"$((before + 1))" "$log" >"$KEEP/log-$kept.txt"
    fi
}
# Return in the dialog, again while it shows.
enter=(--first 36)
echo "  nothing loading (the floor):       $(delays 1.5)"
# The same dialog closed with Escape: what closing a file dialog costs the first keys alone.
alt o
dialog '연주 파일 열기' ""
echo "  a file dialog closed, no load:     $(delays 1.5 --first 9)"
refocus
alt o
dialog '연주 파일 열기' "$work/large.vsp"
echo "  opening a 20000-event performance: $(delays 1.5 "${enter[@]}")"
refocus
# The save button "저장".
xdotool mousemove --window "$wid" 157 419 click 1
dialog '연주 저장' "$work/saved.vsp"
echo "  saving it:                         $(delays 1.5 "${enter[@]}")"
refocus
[ -s "$work/saved.vsp" ] || echo "  (the performance was not saved)"
# A double click on the window itself, right of the number pad.
xdotool mousemove --window "$wid" 745 120 click --repeat 2 --delay 80 1
dialog '배경 열기' "$work/large.jpg"
echo "  loading a 5300x5300 JPEG picture:  $(delays 3 "${enter[@]}")"
refocus
kill "$mpid" 2>/dev/null || true

if command -v vmpk >/dev/null; then
    echo "== VMPK, the same strikes"
    HOME="$work" vmpk >"$work/vmpk.out" 2>&1 &
    vpid=$!
    pids+=("$vpid")
    vwid=$(timeout 20 xdotool search --sync --onlyvisible --name 'Virtual MIDI Piano Keyboard' | head -n1 || true)
    if [ -n "$vwid" ]; then
        sleep 2
        xdotool windowfocus --sync "$vwid" || true
        echo "  vmpk:             $(strike "$vpid" "$vwid") %"
    else
        echo "  vmpk shows no window: $(head -c 300 "$work/vmpk.out")"
    fi
    kill "$vpid" 2>/dev/null || true
fi
