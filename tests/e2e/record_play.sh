#!/usr/bin/env bash
# Record a few keys with Alt+R … Alt+S, save them through the dialog, open the file again with
# Alt+O and play it with Alt+P: the notes come back with the gaps they were played with, and the
# first a second after the start: the Return that answered the question is not part of the take.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.2; }
# note-on times (seconds) of the log lines after line $1 matching status 90
note_on_times() { tail -n +"$(($1 + 1))" "$WORK/midi.log" | awk '$2 == "90" {print $1}'; }

alt r
answer '녹음 확인' Return
[ "$(xdotool getwindowname "$WID")" = "무토 - [녹음중]" ] || fail "not recording"
sleep 2
before=$(log_count)
for k in q w e r; do
    xdotool keydown "$k"
    sleep 0.1
    xdotool keyup "$k"
    sleep 0.25
done
sleep 0.2
recorded=$(note_on_times "$before")
[ "$(echo "$recorded" | wc -l)" -eq 4 ] || fail "four notes were not played while recording"

file="$WORK/take.vsp"
alt s
answer '연주 저장' "text:$file" Return
[ -s "$file" ] || fail "the performance was not saved"
head -c 5 "$file" | od -An -c | grep -q 'V   e   s   k' || fail "not a performance file"

alt o
answer '연주 파일 열기' "text:$file" Return
[ "$(xdotool getwindowname "$WID")" = "무토 - take.vsp" ] || fail "the file was not opened"

before=$(log_count)
press z  # the time the playback starts from, in the log
alt p
sleep 0.5
screenshot record-play
[ "$(xdotool getwindowname "$WID")" = "무토 - take.vsp[연주중]" ] || fail "not playing"
for _ in $(seq 60); do
    [ "$(note_on_times "$before" | wc -l)" -ge 5 ] && break
    sleep 0.1
done
started=$(note_on_times "$before" | head -n1)
played=$(note_on_times "$before" | tail -n +2)
[ "$(echo "$played" | wc -l)" -eq 4 ] || fail "playback did not give four notes"
awk -v s="$started" -v p="$(echo "$played" | head -n1)" 'BEGIN { exit !(p - s < 1.8) }' ||
    fail "the first note waited for keys released before the recording"

# Every gap between the notes comes back within 30 ms.
paste <(echo "$recorded") <(echo "$played") | awk '
    NR > 1 { r = $1 - r0; p = $2 - p0; d = r - p; if (d < 0) d = -d;
             printf "recorded %.3f played %.3f\n", r, p; if (d > 0.03) bad = 1 }
    { r0 = $1; p0 = $2 }
    END { exit bad }' || fail "the gaps changed"
for _ in $(seq 40); do
    [ "$(xdotool getwindowname "$WID")" = "무토" ] && break
    sleep 0.1
done
[ "$(xdotool getwindowname "$WID")" = "무토" ] || fail "the playback did not end"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
