#!/usr/bin/env bash
# config.ini in the program folder is read at start-up: a saved sustain of 90 sends its
# controller on both channels before anything is played, and the save button writes the file
# back after its question.
source "$(dirname "$0")/lib.sh"
start_xvfb
folder="$WORK/program"
mkdir -p "$folder"
cp "$PROGRAM_DIR"/*.gif "$folder/"
printf '1,0,""\r\n1,2,0,90\r\n0,""\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' >"$folder/config.ini"
PROGRAM_DIR=$folder
start_muto
grep -q ' B0 48 5A$' "$WORK/midi.log" || fail "no B0 48 5A at start"
grep -q ' B1 48 5A$' "$WORK/midi.log" || fail "no B1 48 5A at start"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
