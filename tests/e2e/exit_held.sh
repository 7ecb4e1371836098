#!/usr/bin/env bash
# Ending the program while a note sounds, by closing the window, SIGTERM or SIGINT: the held note
# is released, All Notes Off goes to both channels, and the program exits 0.
source "$(dirname "$0")/lib.sh"
start_xvfb

for how in close TERM INT; do
    start_muto
    wait_lines 4
    xdotool keydown q
    expect_tail "90 3C 7F"
    case $how in
        close) "$X11_TOOL" close "$WID" ;;
        *) kill -"$how" "$MUTO_PID" ;;
    esac
    rc=0
    wait_exit || rc=$?
    xdotool keyup q
    [ "$rc" -eq 0 ] || fail "$how: exit code $rc"
    got=$(messages | tail -n 3 | tr '\n' '|')
    [ "$got" = "80 3C 00|B0 7B 00|B1 7B 00|" ] || fail "$how: the log ends with $got"
done
echo "1 passed, 0 failed"
