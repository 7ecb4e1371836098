#!/usr/bin/env bash
# A chord recorded at one instant replays at one instant: opened from a file and played, its
# ten note-ons reach the output within a millisecond of the first.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto
"$PERF_TOOL" chord "$WORK/chord.vsp" 10

xdotool keydown Alt_L key o keyup Alt_L
answer '연주 파일 열기' "text:$WORK/chord.vsp" Return
before=$(log_count)
xdotool keydown Alt_L key p keyup Alt_L
wait_lines $((before + 20))
tail -n +"$((before + 1))" "$WORK/midi.log" | awk '$2 == "90" { if (!n++) first = $1; last = $1 }
    END { printf "%d note-ons over %.3f ms\n", n, (last - first) * 1000;
          exit !(n == 10 && last - first <= 0.001) }' || fail "the chord was spread out"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
