#!/usr/bin/env bash
# The "?" over the keyboard opens the help window "프로그램 정보" without blocking the main
# window: keys still play, the shortcut page shows the list, "닫 기" closes it, and the next
# opening starts on the about page again.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_muto

help_window() { xdotool search --onlyvisible --name '^프로그램 정보$' 2>/dev/null | head -n1; }
shot_of() {  # shot_of WINDOW NAME: a picture of one window
    import -display "$DISPLAY" -window "$1" "$WORK/$2.png"
    [ -z "${SHOTS:-}" ] || { mkdir -p "$SHOTS" && cp "$WORK/$2.png" "$SHOTS/help-$2.png"; }
}

press q
expect_tail "90 3C 7F" "80 3C 00"

# The "?" sits in the top right corner of the keyboard picture.
xdotool mousemove --window "$WID" 740 14 click 1
help=$(timeout 10 xdotool search --sync --onlyvisible --name '^프로그램 정보$' | head -n1) ||
    fail "the help window did not open"
sleep 0.3
shot_of "$help" about

# The main window plays on while the help window is open.
xdotool windowfocus --sync "$WID"
sleep 0.2
press w
expect_tail "90 3E 7F" "80 3E 00"
[ -n "$(help_window)" ] || fail "the help window went away"

# The shortcut page: the list is on it, the about page is not.
xdotool windowfocus --sync "$help"
xdotool mousemove --window "$help" 190 21 click 1
sleep 0.4
shot_of "$help" shortcuts
diff=$(compare -metric AE "$WORK/about.png" "$WORK/shortcuts.png" null: 2>&1 || true)
[ "${diff%% *}" != "0" ] || fail "the shortcut page looks like the about page"

# "닫 기" closes it; the next opening shows the about page again.
xdotool mousemove --window "$help" 323 427 click 1
for _ in $(seq 40); do
    [ -z "$(help_window)" ] && break
    sleep 0.05
done
[ -z "$(help_window)" ] || fail "the help window did not close"
xdotool windowfocus --sync "$WID"
xdotool mousemove --window "$WID" 740 14 click 1
help=$(timeout 10 xdotool search --sync --onlyvisible --name '^프로그램 정보$' | head -n1) ||
    fail "the help window did not open again"
sleep 0.3
shot_of "$help" reopened
diff=$(compare -metric AE "$WORK/about.png" "$WORK/reopened.png" null: 2>&1 || true)
[ "$diff" = "0" ] || fail "the reopened window does not show the about page ($diff pixels differ)"

xdotool windowfocus --sync "$WID"
sleep 0.2
press e
expect_tail "90 40 7F" "80 40 00"
close_window || fail "exit code $?"
echo "1 passed, 0 failed"
