#!/usr/bin/env bash
# Switch the animation on with its check box, pick one of our GIFs in the dialog by typing its
# path, and see the picture box show different frames over time; switching it off hides it.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

gif="$PROGRAM_DIR/AnimationGif/metronome.gif"
[ -s "$gif" ] || fail "no $gif"

# Where ucAniGIF1 and chk_AniGif lie in the window (its layout table, in pixels).
BOX="64x64+438+408"
shot_box() {  # shot_box NAME: the picture box of the window as $WORK/NAME.png
    import -display "$DISPLAY" -window "$WID" "$WORK/$1-window.png"
    convert "$WORK/$1-window.png" -crop "$BOX" +repage "$WORK/$1.png"
    if [ -n "${SHOTS:-}" ]; then
        mkdir -p "$SHOTS"
        cp "$WORK/$1-window.png" "$SHOTS/anigif-$1.png"
    fi
}
differ() { [ "$(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1)" != "0" ]; }

shot_box before
xdotool mousemove --window "$WID" 335 460 click 1
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^열기$' | head -n1) ||
    fail "the open dialog did not come"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool type --delay 20 "$gif"
xdotool key Return
sleep 0.8
xdotool windowfocus --sync "$WID"

shot_box first
sleep 0.35
shot_box second
sleep 0.35
shot_box third
differ before first || fail "the picture box shows no picture"
differ first second || differ second third || fail "the picture does not move"

# Unchecked: the box goes away, the window shows what was under it again.
xdotool mousemove --window "$WID" 335 460 click 1
sleep 0.5
shot_box after
differ first after || fail "the picture stayed after switching the animation off"
[ "$(compare -metric AE "$WORK/before.png" "$WORK/after.png" null: 2>&1)" = "0" ] ||
    fail "the place of the picture box does not look as before"
close_window
