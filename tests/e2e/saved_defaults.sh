#!/usr/bin/env bash
# The first start, without config.ini, looks exactly like a restart after "저 장" saved the
# untouched options: the key outlines and legends take the colours their swatches show either way.
source "$(dirname "$0")/lib.sh"
start_xvfb
folder="$WORK/program"
mkdir -p "$folder"
cp "$PROGRAM_DIR"/*.gif "$folder/"
PROGRAM_DIR=$folder

# shot NAME: the keyboard, the staff and the piano (the window's upper 324 pixels).
shot() {
    import -display "$DISPLAY" -window "$WID" "$WORK/$1-window.png"
    convert "$WORK/$1-window.png" -crop 750x324+0+0 +repage "$WORK/$1.png"
    if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && cp "$WORK/$1-window.png" "$SHOTS/saved-defaults-$1.png"; fi
}

start_muto
shot first
# "저 장" in the control panel, then "예".
xdotool mousemove --window "$WID" 717 466 click 1
answer "프로그램 설정 저장" Return
[ -f "$folder/config.ini" ] || fail "저 장 wrote no config.ini"
printf '1,0,""\r\n1,2,0,70\r\n0,""\r\n"",0,-2147483627,65280\r\n0,0\r\n"",""\r\n' >"$WORK/want.ini"
cmp "$folder/config.ini" "$WORK/want.ini" || fail "config.ini does not hold the design defaults"
close_window || fail "exit code $?"

start_muto
shot restart
differ=$(compare -metric AE "$WORK/first.png" "$WORK/restart.png" "$WORK/diff.png" 2>&1 || true)
[ "$differ" = "0" ] || fail "the first start and the restart differ in $differ pixels"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
