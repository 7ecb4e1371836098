#!/usr/bin/env bash
# Ending the program while a note sounds, by closing the window, SIGTERM or SIGINT: the held note
# is released, the damper goes up and then All Notes Off goes to both channels (All Notes Off
# leaves what a damper holds sounding), and the program exits 0. The first time the channel-1
# damper is down (F8).
source "$(dirname "$0")/lib.sh"
start_xvfb

for how in close TERM INT; do
    start_muto
    wait_lines 4
    if [ "$how" = close ]; then
        press F8
        expect_tail "B0 40 7F"
    fi
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
    got=$(messages | tail -n 5 | tr '\n' '|')
    [ "$got" = "80 3C 00|B0 40 00|B1 40 00|B0 7B 00|B1 7B 00|" ] || fail "$how: the log ends with $got"
done
echo "1 passed, 0 failed"
