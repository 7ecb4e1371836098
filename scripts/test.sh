#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds Muto with its tests, and runs every
# test: the unit tests, the window tests under Xvfb, the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the source formatting, every fuzz target
# for 30 s, and the installation with its Debian package (scripts/test-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-tests
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j "$jobs"
(cd build-test && ctest --output-on-failure -j "$jobs" -E '^e2e_')
(cd build-test && ctest --output-on-failure -R '^e2e_')

# The program as scripts/run.sh builds it: Release (-O3) warns where -O2 does not.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMUTO_BUILD_TESTS=OFF \
    -DMUTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j "$jobs" --target muto muto_pictures

# The sanitizer build covers the toolkit-free code and its readers.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMUTO_SANITIZE=ON -DMUTO_BUILD_APP=OFF \
    -DMUTO_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")

# Formatting: every C++ source as .clang-format lays it out.
find src tests bench assets tools \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror

# The fuzz targets, built with clang and libFuzzer (coverage on every library, AddressSanitizer
# and UndefinedBehaviorSanitizer), each run for 30 s on a scratch copy of its corpus so that the
# inputs it finds stay out of the repository. A failing input is kept in build-fuzz/artifacts/.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMUTO_FUZZ=ON -DMUTO_BUILD_APP=OFF -DMUTO_BUILD_BENCH=OFF >/dev/null
fuzz_targets=()
for manifest in build-fuzz/fuzz-targets/*.corpus; do
    [ -e "$manifest" ] && fuzz_targets+=("$(basename "$manifest" .corpus)")
done
if [ "${#fuzz_targets[@]}" -eq 0 ]; then
    echo "no fuzz targets found in build-fuzz/fuzz-targets" >&2
    exit 1
fi
cmake --build build-fuzz -j "$jobs" --target "${fuzz_targets[@]}"
fuzz_tmp=$(mktemp -d)
trap 'rm -rf "$fuzz_tmp"' EXIT
for target in "${fuzz_targets[@]}"; do
    work="$fuzz_tmp/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    while IFS= read -r source; do
        if [ -d "$source" ]; then
            cp -r "$source/." "$work/corpus/"
        elif [ -f "$source" ]; then
            cp "$source" "$work/corpus/"
        fi
    done <"build-fuzz/fuzz-targets/$target.corpus"
    echo "fuzzing $target for 30 s"
    if ! "build-fuzz/bin/$target" -max_total_time=30 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1; then
        tail -n 40 "$work/log"
        mkdir -p "build-fuzz/artifacts/$target"
        cp -r "$work/artifacts/." "build-fuzz/artifacts/$target/"
        echo "$target failed; its input is in build-fuzz/artifacts/$target/" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
    grep -E '(INITED|DONE) +cov:' "$work/log" | tail -n 1 || true
done

# The installation: files, desktop entry, metadata, manual page, first start, the package.
scripts/test-install.sh build-test
