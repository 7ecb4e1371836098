#!/usr/bin/env bash
# The circle-touch mode in a real window: switched on by a click on its check box, notes draw
# rings that grow from their keys and vanish, and the keyboard picture is left exactly as it was.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

# shot NAME: the keyboard picture (the window's upper 750 x 324 pixels) into $WORK/NAME.png,
# and the whole window into SHOTS when screenshots are kept.
shot() {
    import -display "$DISPLAY" -window "$WID" "$WORK/$1-window.png"
    convert-im6.q16 "$WORK/$1-window.png" -crop 750x324+0+0 +repage "$WORK/$1.png"
    if [ -n "${SHOTS:-}" ]; then
        mkdir -p "$SHOTS"
        cp "$WORK/$1-window.png" "$SHOTS/circle-touch-$1.png"
    fi
}
# differing A B: the number of pixels that differ between two pictures of the same size.
differing() { compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 | cut -d' ' -f1 || true; }

shot off
# The check box of "동심원 키터치" sits at (328, 409) in the window, 14 pixels square.
xdotool mousemove --window "$WID" 335 416 click 1
sleep 0.5
shot on
[ "$(differing off on)" -gt 100 ] || fail "the key shapes did not go when the mode went on"

# The keys still play, now on the circle-touch surface.
press q
expect_tail "90 3C 7F" "80 3C 00"
sleep 1.8
shot before

for k in q w e r t y u i; do
    xdotool keydown "$k"
    sleep 0.04
    xdotool keyup "$k"
done
sleep 0.25
shot growing
[ "$(differing before growing)" -gt 500 ] || fail "no rings grew"
wait_lines 18
sleep 1.8
shot after
d=$(differing before after)
[ "$d" -eq 0 ] || fail "$d pixels of the keyboard picture changed after the rings vanished"

# Switching the mode off while rings grow leaves none behind either.
xdotool keydown z keyup z keydown x keyup x
sleep 0.2
xdotool mousemove --window "$WID" 335 416 click 1
sleep 0.5
shot off-again
d=$(differing off off-again)
[ "$d" -eq 0 ] || fail "$d pixels differ from the picture before circle touch"

close_window || fail "exit code $?"
echo "1 passed, 0 failed"
