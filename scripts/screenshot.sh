#!/usr/bin/env bash
# Takes the screenshot at the top of the README (data/screenshot.png) from the real window under
# Xvfb, with a chord held so the keyboard and the piano show what sounds.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default build; muto and x11_tool must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=$PWD/data/screenshot.png
MUTO=$PWD/$build/bin/muto
X11_TOOL=$PWD/$build/bin/x11_tool
PROGRAM_DIR=$PWD/$build/bin
source tests/e2e/lib.sh
start_xvfb
start_muto
wait_lines 4
xdotool keydown a keydown d keydown g
sleep 0.5
import -display "$DISPLAY" -window "$WID" -strip "$out"
xdotool keyup a keyup d keyup g
close_window
identify "$out"
