#!/usr/bin/env bash
# Repainting only what changed leaves the window exactly as a repaint of everything would: the
# same changes (lit keys in both channels, released keys, new captions, the progress bar, the
# start marker, captions greyed while playing, circle touch and its rings), in non-default
# colours, give the same pixels with MUTO_PAINT_ALL=1 (every change repaints the whole canvas
# from scratch) as without. KEEP=DIR keeps the screenshots.
source "$(dirname "$0")/lib.sh"
start_xvfb
"$X11_TOOL" numlock on
folder="$WORK/program"
mkdir -p "$folder"
cp "$PROGRAM_DIR"/*.gif "$folder/"
# Outline red, captions blue, pressed keys yellow; COLOURS='"",0,-2147483627,65280' is the default.
colours=${COLOURS:-'"",255,16711680,65535'}
printf '1,0,""\r\n1,2,0,70\r\n0,""\r\n%s\r\n0,0\r\n"",""\r\n' "$colours" >"$folder/config.ini"
PROGRAM_DIR=$folder
"$PERF_TOOL" steady "$WORK/take.vsp" 4 300

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.3; }
shot() {
    sleep 0.3
    import -display "$DISPLAY" -window "$WID" "$WORK/$MODE-$1.png"
    STEPS+=("$1")
}

run_steps() {
    STEPS=()
    start_muto
    shot default
    # Channel 1 (q, a) and channel 2 (number-pad 1 and 5) held at once.
    xdotool keydown q keydown a keydown 87 keydown 84
    shot lit
    xdotool keyup q keyup a keyup 87 keyup 84
    shot released
    xdotool key shift+1  # G major: new captions
    shot captions
    alt o
    answer '연주 파일 열기' "text:$WORK/take.vsp" Return
    shot opened
    # The first event sounds a second after the start: paused before it, the bar shows one unit.
    alt p
    alt w
    shot paused
    alt s
    shot stopped
    xdotool mousemove --window "$WID" 120 440 click 1
    shot marker
    xdotool mousemove --window "$WID" 335 416 click 1
    shot circle
    for k in q w e r; do xdotool keydown "$k" keyup "$k"; done
    sleep 1.8
    shot rings-gone
    close_window || fail "exit code $?"
}

MODE=all
export MUTO_PAINT_ALL=1
run_steps
MODE=changed
unset MUTO_PAINT_ALL
run_steps

[ -z "${KEEP:-}" ] || { mkdir -p "$KEEP" && cp "$WORK"/*.png "$KEEP/"; }
bad=0
for s in "${STEPS[@]}"; do
    d=$(compare -metric AE "$WORK/all-$s.png" "$WORK/changed-$s.png" null: 2>&1 | cut -d' ' -f1 || true)
    if [ "$d" != "0" ]; then
        echo "$s: $d pixels differ from a full repaint" >&2
        bad=1
    fi
done
[ $bad -eq 0 ] || fail "partial repaints differ from full repaints"
echo "1 passed, 0 failed"
