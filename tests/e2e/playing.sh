#!/usr/bin/env bash
# Playing the PC keyboard in a real window: notes, modifiers, shortcuts, the number pad and
# Num Lock.
source "$(dirname "$0")/lib.sh"
start_xvfb
"$X11_TOOL" numlock on
start_muto
wait_lines 4

press q
expect_tail "90 3C 7F" "80 3C 00"

# A held key sounds once, however long the auto-repeat runs.
before=$(log_count)
xdotool keydown a
sleep 1.2
xdotool keyup a
sleep 0.2
[ "$(($(log_count) - before))" -eq 2 ] || fail "a held key gave $(($(log_count) - before)) messages"
expect_tail "90 30 7F" "80 30 00"

# Space raises the next note.
xdotool keydown space
press a
xdotool keyup space
expect_tail "90 31 7F" "80 31 00"

# Shift+1 selects G major: A then plays G (55).
xdotool key shift+1
sleep 0.2
press a
expect_tail "90 37 7F" "80 37 00"
xdotool key shift+0
sleep 0.2

# The number pad plays channel 2 with Num Lock on.
press 87  # number-pad 1, by keycode so xdotool does not touch Num Lock
expect_tail "91 3C 7F" "81 3C 00"

# Num Lock plays its note and stays on.
press 77  # Num Lock
sleep 0.3
expect_tail "91 4D 7F" "81 4D 00"
[ "$("$X11_TOOL" numlock)" = "on" ] || fail "Num Lock went off"

# Keys held for the picture: captions on, three notes and Space down.
xdotool keydown space keydown s keydown d keydown 84
sleep 0.4
screenshot playing-held
xdotool keyup 84 keyup d keyup s keyup space
sleep 0.3

close_window || fail "exit code $?"
echo "1 passed, 0 failed"
