#!/usr/bin/env bash
# A signal ends the program even when its last messages cannot be written: the MIDI log reaches
# the file size limit just as the program ends, and the failure is reported on standard error
# instead of in a box that would wait for an answer nobody gives.
source "$(dirname "$0")/lib.sh"
start_xvfb

limit_kib=2
trap '' XFSZ  # writes past the limit fail (EFBIG) instead of killing the program
(
    ulimit -f "$limit_kib"
    exec "$MUTO" --midi-out "log:$WORK/midi.log" --program-dir "$PROGRAM_DIR" >"$WORK/muto.out" 2>&1
) &
MUTO_PID=$!
WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) ||
    fail "no window titled 무토"
xdotool windowfocus --sync "$WID"
wait_lines 4
sleep 0.3

# F8 puts the damper down and up, one message a press: fill the log until the two All Notes
# Off lines of the exit no longer fit.
room() { echo $((limit_kib * 1024 - $(stat -c %s "$WORK/midi.log"))); }
for _ in $(seq 200); do
    [ "$(room)" -le 30 ] && break
    before=$(log_count)
    xdotool key F8
    for _ in $(seq 40); do [ "$(log_count)" -gt "$before" ] && break; sleep 0.05; done
done
[ "$(room)" -le 30 ] || fail "the log did not fill up ($(room) bytes left)"
[ -z "$(xdotool search --onlyvisible --name '^저장 실패$' 2>/dev/null)" ] ||
    fail "a failure came before the exit"

kill -TERM "$MUTO_PID"
rc=0
wait_exit || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q '저장 실패' "$WORK/muto.out" || fail "the failure is not on stderr"
echo "1 passed, 0 failed"
