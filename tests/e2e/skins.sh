#!/usr/bin/env bash
# Replacing the window's background picture by a double-click: a picture chosen in the dialog
# shows at once; a file that is no picture brings up "열기 실패" and the picture stays.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

# The colour of a pixel of the main window, as "srgb(r,g,b)".
pixel() {
    import -display "$DISPLAY" -window "$WID" "$WORK/win.png"
    convert "$WORK/win.png" -format "%[pixel:p{$1,$2}]" info:
}
# double_click X Y: a double click at a point of the main window.
double_click() {
    xdotool mousemove --window "$WID" "$1" "$2" click --repeat 2 --delay 60 1
}

convert -size 760x324 xc:'rgb(200,30,160)' "$WORK/skin.bmp"
printf 'GIF89a, but not really a picture\n' >"$WORK/broken.gif"
# A corner of the keyboard picture that no key, legend or box covers.
X=3 Y=3
before=$(pixel $X $Y)
[ "$before" != "srgb(200,30,160)" ] || fail "the test colour is already there"

double_click $X $Y
answer '배경 열기' "text:$WORK/skin.bmp" Return
xdotool windowfocus --sync "$WID"
sleep 0.3
[ "$(pixel $X $Y)" = "srgb(200,30,160)" ] || fail "the new background does not show: $(pixel $X $Y)"
screenshot skins-new-background
cp "$WORK/win.png" "$WORK/good.png"

double_click $X $Y
answer '배경 열기' "text:$WORK/broken.gif" Return
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^열기 실패$' | head -n1) ||
    fail "no message about the file that is no picture"
screenshot skins-open-failure
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 0.4
[ -z "$(xdotool search --onlyvisible --name '^열기 실패$' 2>/dev/null)" ] || fail "the message stayed"
xdotool windowfocus --sync "$WID"
sleep 0.3
pixel $X $Y >/dev/null
diff=$(compare -metric AE "$WORK/good.png" "$WORK/win.png" null: 2>&1 || true)
[ "$diff" = "0" ] || fail "the window changed after the refused file ($diff pixels)"
kill -0 "$MUTO_PID" || fail "the program ended"

# The keys still play after the dialogs.
press q
expect_tail "90 3C 7F" "80 3C 00"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
