#!/usr/bin/env bash
# Nothing keeps sounding when a recording or a playback stops on its own or is stopped:
# - a recording that reaches its limit (1000 events, from config.ini) with a key held releases
#   that key, and puts up the damper the recording put down (F8), before its "안내" box;
# - a playback stopped before its end puts up the damper it put down.
source "$(dirname "$0")/lib.sh"
start_xvfb
folder="$WORK/program"
mkdir -p "$folder"
cp -r "$PROGRAM_DIR"/. "$folder/"
printf '1,0,""\r\n1,0,0,70\r\n0,""\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' >"$folder/config.ini"
PROGRAM_DIR=$folder
start_muto

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.2; }
alt r
answer '녹음 확인' Return
press F8
expect_tail "B0 40 7F"
# 499 strokes more make 1000 events; the key-down of w is the one too many.
xdotool key --delay 4 $(printf 'q %.0s' $(seq 499))
sleep 0.3
xdotool keydown w
win=$(timeout 20 xdotool search --sync --onlyvisible --name '^안내$' | head -n1) || fail "no 안내 box"
sleep 0.3
expect_tail "90 3E 7F" "80 3E 00" "B0 40 00"
answer '안내' Return
xdotool keyup w
file="$WORK/long.vsp"
answer '연주 저장' "text:$file" Return
[ -s "$file" ] || fail "the performance was not saved"

# Its playback replays F8 first; stopped after it (Alt+S), the damper goes up again.
alt o
answer '연주 파일 열기' "text:$file" Return
alt p
for _ in $(seq 60); do
    [ "$(messages | tail -n 1)" = "B0 40 7F" ] && break
    sleep 0.05
done
alt s
sleep 0.3
[ "$(messages | tail -n 1)" = "B0 40 00" ] || fail "the playback left the damper down"
[ "$(xdotool getwindowname "$WID")" = "무토" ] || fail "the playback did not stop"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
