#!/usr/bin/env bash
# With the WAV output, a played note is really in the file.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto "wav:$WORK/out.wav"
sleep 0.5
xdotool keydown q
sleep 1.0
xdotool keyup q
sleep 0.5
close_window || fail "exit code $?"
[ -s "$WORK/out.wav" ] || fail "no WAV file"
rms=$(sox "$WORK/out.wav" -n stat 2>&1 | awk '/RMS     amplitude/ {print $3}')
awk -v r="$rms" 'BEGIN { exit !(r > 0.005) }' || fail "the note is not audible (RMS $rms)"
freq=$(sox "$WORK/out.wav" -n trim 0.6 0.8 stat -freq 2>&1 | awk '/Rough   frequency/ {print $3}')
echo "RMS $rms, rough frequency $freq Hz"
echo "1 passed, 0 failed"
