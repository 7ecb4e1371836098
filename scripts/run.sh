#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and starts Muto with the built-in synth.
# Arguments are passed to the program (for example --midi-out alsa).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMUTO_BUILD_TESTS=OFF -DMUTO_BUILD_BENCH=OFF >/dev/null
cmake --build build --target muto muto_pictures
exec build/bin/muto "$@"
