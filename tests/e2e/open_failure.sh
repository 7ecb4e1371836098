#!/usr/bin/env bash
# An output that cannot be opened: the message box comes up, the main window never does, and
# the program ends when the message is acknowledged.
source "$(dirname "$0")/lib.sh"
start_xvfb
"$MUTO" --midi-out "log:$WORK/no-such-folder/midi.log" --program-dir "$PROGRAM_DIR" \
    >"$WORK/muto.out" 2>&1 &
MUTO_PID=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) || fail "no message box"
sleep 0.3
read -r width height < <(xdotool getwindowgeometry "$box" | awk '/Geometry/ {split($2, a, "x"); print a[1], a[2]}')
[ "$width" -lt 700 ] && [ "$height" -lt 300 ] || fail "a ${width}x${height} window came up instead of the message"
screenshot open-failure
grep -q 'code 5' "$WORK/muto.out" || fail "the reason is not on stderr"
xdotool windowfocus --sync "$box"
xdotool key Return
rc=0
timeout 10 tail --pid="$MUTO_PID" -f /dev/null || fail "the program did not end"
wait "$MUTO_PID" || rc=$?
MUTO_PID=""
[ "$rc" -ne 0 ] || fail "exit code 0 after a failed start"
[ -z "$(xdotool search --onlyvisible --name '^무토$' 2>/dev/null)" ] || fail "a window stayed"
echo "1 passed, 0 failed"
