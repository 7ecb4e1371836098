#!/usr/bin/env bash
# Performance files from older versions, opened, saved right away, reopened and replayed, sound
# as the originals did; a saved version-4 file keeps its per-key entries; a backward gap in the
# times that is not a midnight crossing plays without a wait.
source "$(dirname "$0")/lib.sh"
DATA="$(cd "$(dirname "$0")/../data/vsp" && pwd)"
start_xvfb
start_muto

alt() { xdotool keydown Alt_L key "$1" keyup Alt_L; sleep 0.2; }
open_file() { alt o; answer '연주 파일 열기' "text:$1" Return; }
save_as() { xdotool mousemove --window "$WID" 157 419 click 1; answer '연주 저장' "text:$1" Return; }
# play: plays the open performance to its end and prints its note-ons (status and note).
play() {
    local before
    before=$(log_count)
    play_to_end
    tail -n +"$((before + 1))" "$WORK/midi.log" | awk '$2 ~ /^9/ {printf "%s.%s ", $2, $3}'
}

# Version 3 first: its key-signature block must not reach the version-2 file opened after it.
for name in v3-partial-tail v2-damper-entry v1-ten-events; do
    open_file "$DATA/$name.vsp"
    original=$(play)
    [ -n "$original" ] || fail "$name played nothing"
    # Channel 1 an octave up (the rule for older versions), no accidental from the file before.
    [ "$name" != v1-ten-events ] || [ "$original" = "90.3C 90.37 90.34 90.40 90.4C " ] ||
        fail "$name plays $original"
    save_as "$WORK/$name.vsp"
    open_file "$WORK/$name.vsp"
    again=$(play)
    [ "$again" = "$original" ] || fail "$name re-saved plays $again instead of $original"
done

open_file "$DATA/v4-two-entries.vsp"
save_as "$WORK/v4-two-entries.vsp"
cmp -s <(head -c 21 "$DATA/v4-two-entries.vsp") <(head -c 21 "$WORK/v4-two-entries.vsp") ||
    fail "the per-key entries were not saved"

open_file "$DATA/v4-backward-gap.vsp"
[ "$(play)" = "90.3C 90.3E " ] || fail "the backward gap was not played as no wait"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
