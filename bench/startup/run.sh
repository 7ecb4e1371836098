#!/usr/bin/env bash
# Measures start-up to window shown and resident memory with the default soundfont, under a
# private Xvfb. The built-in synth renders to a WAV file here so that no sound card is needed;
# the synthesizer, its soundfont and the window are the same as with the sound card.
#   bench/startup/run.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-10}
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 5 -screen 0 1280x800x24 -noreset -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
echo "built-in synth (wav output), default soundfont:"
"$build/bin/muto_startup_bench" "$build/bin/muto" "$runs" -- --midi-out "wav:$work/out.wav" \
    --program-dir "$build/bin"
echo "log output:"
"$build/bin/muto_startup_bench" "$build/bin/muto" "$runs" -- --midi-out "log:$work/out.log" \
    --program-dir "$build/bin"
