#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Muto with its tests, and runs every
# test: the unit tests, the window tests under Xvfb, and the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-tests
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j "$jobs"
(cd build-test && ctest --output-on-failure -j "$jobs" -E '^e2e_')
(cd build-test && ctest --output-on-failure -R '^e2e_')

# The sanitizer build covers the toolkit-free code and its readers.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMUTO_SANITIZE=ON -DMUTO_BUILD_APP=OFF \
    -DMUTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")
