#!/usr/bin/env bash
# The program starts with a window titled 무토, sends the start-up messages, and ends cleanly
# when its window is closed.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto
wait_lines 4
[ "$(messages)" = "$(printf 'C0 00\nC1 00\nB0 07 78\nB1 07 78')" ] || fail "start-up messages"
[ "$(xdotool getwindowname "$WID")" = "무토" ] || fail "window title"
screenshot startup-tall
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
