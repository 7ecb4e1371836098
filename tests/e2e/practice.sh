#!/usr/bin/env bash
# Practice on an imported melody (T, Y, U a half second apart): Alt+O imports the MIDI file and
# reports on it, "연습" makes the playback wait for each key, a wrong key sounds without
# advancing, and the box at the end counts the notes hit and the wrong key.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.2; }
note_ons() { awk '$2 == "90" {print $3}' "$WORK/midi.log" | tr '\n' ' '; }
# The text of the message box titled $1, copied with Ctrl+C.
box_text() {
    local win
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n1) ||
        fail "no window titled $1"
    xdotool windowfocus --sync "$win"
    sleep 0.3
    xdotool key ctrl+c
    sleep 0.3
    xclip -o -selection clipboard
}

alt o
melody="$(cd "$(dirname "$0")/../data/mid" && pwd)/practice.mid"
answer '연주 파일 열기' "text:$melody" Return
report=$(box_text '안내')
echo "$report" | grep -q '가져온 음 3개' || fail "no import report: $report"
answer '안내' Return
[ "$(xdotool getwindowname "$WID")" = "무토 - practice.mid" ] || fail "the melody was not imported"

# The "연습" check box, beside the row of the position buttons.
xdotool mousemove --window "$WID" 201 466 click 1
sleep 0.3
xdotool windowfocus --sync "$WID"
before=$(note_ons)
alt p
sleep 1.6
[ "$(note_ons)" = "$before" ] || fail "the playback did not wait for T: $(note_ons)"
screenshot practice-waiting
press q  # wrong: sounds (C, 3C), the playback still waits
sleep 0.6
[ "$(note_ons)" = "${before}3C " ] || fail "a wrong key advanced or stayed silent: $(note_ons)"
press t
sleep 0.3
press y
sleep 0.6
[ "$(note_ons)" = "${before}3C 43 45 " ] || fail "T and Y did not play: $(note_ons)"
press u
result=$(box_text '연습')
echo "$result" | grep -q '맞힌 음 3개, 틀린 건반 1개, 평균 늦음 [0-9]* ms' ||
    fail "wrong end box: $result"
answer '연습' Return
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
