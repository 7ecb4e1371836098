#!/usr/bin/env bash
# Held keys on a busy machine: the auto-repeat never strikes a note again, and releasing a note
# key together with Num Lock leaves no note sounding.
source "$(dirname "$0")/lib.sh"
start_xvfb
"$X11_TOOL" numlock on
start_muto
wait_lines 4

# Two busy loops keep both cores loaded while A is held past the repeat delay (a re-strike
# shows in about every other hold without detectable auto-repeat).
busy_loops 2
for round in 1 2 3; do
    before=$(log_count)
    xdotool keydown a
    sleep 2
    xdotool keyup a
    sleep 0.5
    got=$(messages | tail -n +"$((before + 1))")
    [ "$got" = "$(printf '90 30 7F\n80 30 00')" ] ||
        fail "holding A ($round) gave: $(echo "$got" | tr '\n' '|')"
done
stop_busy_loops

# Q and Num Lock down, then both let go in one call: both notes end.
for round in $(seq 10); do
    before=$(log_count)
    xdotool keydown 24 keydown 77 keyup --delay 0 77 24
    wait_lines "$((before + 4))"
    sleep 0.1
    got=$(messages | tail -n +"$((before + 1))")
    first=$(echo "$got" | head -n2 | tr '\n' '|')
    last=$(echo "$got" | tail -n +3 | sort | tr '\n' '|')
    [ "$(echo "$got" | wc -l)" -eq 4 ] && [ "$first" = "90 3C 7F|91 4D 7F|" ] &&
        [ "$last" = "80 3C 00|81 4D 00|" ] || fail "round $round gave: $(echo "$got" | tr '\n' '|')"
    [ "$("$X11_TOOL" numlock)" = "on" ] || fail "Num Lock went off in round $round"
done

close_window || fail "exit code $?"
echo "1 passed, 0 failed"
