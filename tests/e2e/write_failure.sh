#!/usr/bin/env bash
# A MIDI log that cannot be written (a full disk): the loss is shown once in a message box
# naming the file and the reason, and the program plays on.
source "$(dirname "$0")/lib.sh"
start_xvfb
"$MUTO" --midi-out log:/dev/full --program-dir "$PROGRAM_DIR" >"$WORK/muto.out" 2>&1 &
MUTO_PID=$!

# The first message already fails, during start-up.
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^저장 실패$' | head -n1) ||
    fail "no message box titled 저장 실패"
sleep 0.3
screenshot write-failure
grep -q '/dev/full' "$WORK/muto.out" || fail "the reason is not on stderr"
xdotool windowfocus --sync "$box"
xdotool key Return

WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) ||
    fail "the main window did not come up after the message"
xdotool windowfocus --sync "$WID"
sleep 0.3
press q
press w
sleep 0.3
kill -0 "$MUTO_PID" 2>/dev/null || fail "the program ended"
[ -z "$(xdotool search --onlyvisible --name '^저장 실패$' 2>/dev/null)" ] ||
    fail "the failure was shown again"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
