# Helpers for the real-window tests: a private Xvfb, the program with a MIDI log, xdotool.
# Needs MUTO (the program), X11_TOOL, PROGRAM_DIR; SHOTS (optional) is where screenshots go.
set -euo pipefail

WORK=$(mktemp -d /tmp/muto-e2e.XXXXXX)
XVFB_PID=""
MUTO_PID=""
WID=""
BUSY_PIDS=()

cleanup() {
    for p in "${BUSY_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$MUTO_PID" ] && kill "$MUTO_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$WORK/midi.log" ]; then echo "--- MIDI log:" >&2; cat "$WORK/midi.log" >&2; fi
    if [ -f "$WORK/muto.out" ]; then echo "--- program output:" >&2; cat "$WORK/muto.out" >&2; fi
    exit 1
}

start_xvfb() {
    : >"$WORK/display"
    Xvfb -displayfd 5 -screen 0 1280x800x24 -noreset -nolisten tcp 5>"$WORK/display" \
        2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 200); do
        [ -s "$WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

# start_muto OUTPUT: starts the program and waits for its window.
start_muto() {
    local output=${1:-log:$WORK/midi.log}
    "$MUTO" --midi-out "$output" --program-dir "$PROGRAM_DIR" >"$WORK/muto.out" 2>&1 &
    MUTO_PID=$!
    WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) ||
        fail "no window titled 무토"
    xdotool windowfocus --sync "$WID"
    sleep 0.3
}

# The logged messages without their times, one per line.
messages() { cut -d' ' -f2- "$WORK/midi.log"; }

# wait_lines N: waits until the log holds at least N lines.
wait_lines() {
    for _ in $(seq 100); do
        [ "$(wc -l <"$WORK/midi.log")" -ge "$1" ] && return 0
        sleep 0.05
    done
    fail "expected at least $1 logged messages"
}

# expect_tail "A" "B" ...: waits until the last logged messages are exactly these.
expect_tail() {
    local want got
    want=$(printf '%s\n' "$@")
    for _ in $(seq 60); do
        got=$(messages | tail -n "$#")
        [ "$got" = "$want" ] && return 0
        sleep 0.05
    done
    fail "expected last messages: $(echo "$want" | tr '\n' '|') got: $(echo "$got" | tr '\n' '|')"
}

log_count() { wc -l <"$WORK/midi.log"; }

press() {  # press KEY: down, short hold, up
    xdotool keydown "$1"
    sleep 0.05
    xdotool keyup "$1"
    sleep 0.1
}

screenshot() {
    [ -n "${SHOTS:-}" ] || return 0
    mkdir -p "$SHOTS"
    import -display "$DISPLAY" -window root "$SHOTS/$1.png"
}

close_window() {
    "$X11_TOOL" close "$WID"
    wait_exit
}

# wait_exit: waits for the program to end on its own; returns its exit code.
wait_exit() {
    local rc=0
    timeout 10 tail --pid="$MUTO_PID" -f /dev/null || fail "the program did not end"
    wait "$MUTO_PID" || rc=$?
    MUTO_PID=""
    return $rc
}

# busy_loops N: keeps N processes spinning (the cores busy) until the test ends.
busy_loops() {
    for _ in $(seq "$1"); do
        sh -c 'while :; do :; done' &
        BUSY_PIDS+=($!)
    done
}
stop_busy_loops() {
    for p in "${BUSY_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    BUSY_PIDS=()
}

# answer TITLE KEYS...: waits for the window of that title (a message box or a dialog) and types
# into it; a key "text:…" types the text. The focus goes back to the main window afterwards.
answer() {
    local title=$1 win
    shift
    win=$(timeout 20 xdotool search --sync --onlyvisible --name "^$title\$" | head -n1) ||
        fail "no window titled $title"
    xdotool windowfocus --sync "$win"
    sleep 0.3
    for k in "$@"; do
        case "$k" in
            text:*) xdotool type --delay 20 "${k#text:}" ;;
            *) xdotool key "$k" ;;
        esac
        sleep 0.1
    done
    sleep 0.4
    if [ -n "$WID" ] && xdotool getwindowname "$WID" >/dev/null 2>&1; then
        xdotool windowfocus --sync "$WID" 2>/dev/null || true
        sleep 0.2
    fi
}

# play_to_end: plays the open performance with Alt+P and waits until it has ended.
play_to_end() {
    xdotool keydown Alt_L key p keyup Alt_L
    sleep 0.2
    for _ in $(seq 80); do
        [ "$(xdotool getwindowname "$WID")" = "무토" ] && return 0
        sleep 0.1
    done
    fail "the playback did not end"
}
