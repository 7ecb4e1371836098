#!/usr/bin/env bash
# config.ini in the program folder is read at start-up: a saved sustain of 90 sends its
# controller on both channels before anything is played, and a saved animation runs at once.
source "$(dirname "$0")/lib.sh"
start_xvfb
folder="$WORK/program"
mkdir -p "$folder"
cp "$PROGRAM_DIR"/*.gif "$folder/"
printf '1,0,""\r\n1,2,0,90\r\n0,""\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' >"$folder/config.ini"
PICTURES=$PROGRAM_DIR
PROGRAM_DIR=$folder
start_muto
grep -q ' B0 48 5A$' "$WORK/midi.log" || fail "no B0 48 5A at start"
grep -q ' B1 48 5A$' "$WORK/midi.log" || fail "no B1 48 5A at start"
close_window || fail "exit code $?"

# A config.ini that switches the animation on with one of our GIFs: the picture box moves.
mkdir -p "$folder/AnimationGif"
cp "$PICTURES/AnimationGif/metronome.gif" "$folder/AnimationGif/"
printf '1,0,""\r\n1,2,0,70\r\n1,"%s"\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' \
    "$folder/AnimationGif/metronome.gif" >"$folder/config.ini"
start_muto
BOX="64x64+438+408"
shot_box() {
    import -display "$DISPLAY" -window "$WID" "$WORK/$1-window.png"
    convert "$WORK/$1-window.png" -crop "$BOX" +repage "$WORK/$1.png"
    if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && cp "$WORK/$1-window.png" "$SHOTS/config-$1.png"; fi
}
shot_box first
sleep 0.35
shot_box second
sleep 0.35
shot_box third
same() { [ "$(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1)" = "0" ]; }
if same first second && same second third; then fail "the animation from config.ini does not move"; fi
close_window || fail "exit code $?"
echo "2 passed, 0 failed"
