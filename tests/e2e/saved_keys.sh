#!/usr/bin/env bash
# A key raised in key-set mode, recorded across an octave change, saved, reopened and replayed:
# the replay sounds the notes that were played, and the key set in memory is not damaged by the
# save. A failed open then gives the key its natural note back.
source "$(dirname "$0")/lib.sh"
DATA="$(cd "$(dirname "$0")/../data/vsp" && pwd)"
start_xvfb
start_muto

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.2; }
keyset_mode() { xdotool mousemove --window "$WID" 395 387 click 1; sleep 0.3; }  # "키설정(b/#)"
# note-ons after log line $1, as hex note numbers on one line
notes_after() { tail -n +"$(($1 + 1))" "$WORK/midi.log" | awk '$2 == "90" {printf "%s ", $3}'; }

keyset_mode
xdotool keydown space
press t
xdotool keyup space
sleep 0.1
keyset_mode
press t
expect_tail "90 44 7F" "80 44 00"

alt r
answer '녹음 확인' Return
[ "$(xdotool getwindowname "$WID")" = "무토 - [녹음중]" ] || fail "not recording"
before=$(log_count)
press t
xdotool key shift+Up
sleep 0.2
press t
[ "$(notes_after "$before")" = "44 50 " ] || fail "recorded $(notes_after "$before")"
file="$WORK/raised.vsp"
alt s
answer '연주 저장' "text:$file" Return
[ -s "$file" ] || fail "the performance was not saved"
xdotool key shift+Down
sleep 0.2
press t
expect_tail "90 44 7F" "80 44 00"

alt o
answer '연주 파일 열기' "text:$file" Return
before=$(log_count)
play_to_end
[ "$(notes_after "$before")" = "44 50 " ] || fail "replayed $(notes_after "$before")"
xdotool key shift+Down
sleep 0.2
press t
expect_tail "90 44 7F" "80 44 00"

# A file that is not a performance: the raised key plays its natural note again.
alt o
answer '연주 파일 열기' "text:$DATA/cut-in-settings.vsp" Return
answer '열기 실패' Return
press t
expect_tail "90 43 7F" "80 43 00"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
