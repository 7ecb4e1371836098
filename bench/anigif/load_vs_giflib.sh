#!/usr/bin/env bash
# Whole-process comparison of loading a large GIF: `muto-gif decode` (the control's loader, every
# frame decoded, FNV-1a per frame) against giflib's DGifSlurp with the same checksum. Reports the
# median wall time and the peak resident memory of each, and the ratios.
#   bench/anigif/load_vs_giflib.sh [BUILD_DIR] [RUNS] [GIF]
# Without GIF, a 4000x4000 noise picture of 256 colours is made with ImageMagick's convert.
set -euo pipefail
build=${1:-build}
runs=${2:-15}
gif=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$gif" ]; then
    gif="$work/noise.gif"
    convert -size 4000x4000 xc: +noise Random -colors 256 "$gif"
fi
ours=("$build/bin/muto-gif" decode "$gif")
theirs=("$build/bin/muto_giflib_decode" "$gif")

"${ours[@]}" >"$work/ours.txt"
"${theirs[@]}" >"$work/theirs.txt"
cmp -s "$work/ours.txt" "$work/theirs.txt" || {
    echo "the two disagree:" >&2
    diff "$work/ours.txt" "$work/theirs.txt" >&2 || true
    exit 1
}

# measure NAME CMD...: prints "median_seconds peak_kb" over $runs runs, alternating warm caches.
measure() {
    local name=$1
    shift
    : >"$work/$name.times"
    local peak=0
    for _ in $(seq "$runs"); do
        local t0 t1 kb
        t0=$(date +%s%N)
        /usr/bin/time -v "$@" >/dev/null 2>"$work/$name.v"
        t1=$(date +%s%N)
        echo $(((t1 - t0) / 1000)) >>"$work/$name.times"
        kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/$name.v")
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    echo "$(sort -n "$work/$name.times" | awk '{a[NR]=$1} END {printf "%.4f", a[int((NR+1)/2)]/1e6}') $peak"
}

echo "$(basename "$gif"): $(wc -c <"$gif") bytes, $(wc -l <"$work/ours.txt") frame(s), $runs runs"
read -r ot om <<<"$(measure ours "${ours[@]}")"
read -r tt tm <<<"$(measure theirs "${theirs[@]}")"
printf '%-10s %8s s %8s KB\n' "muto-gif" "$ot" "$om" "giflib" "$tt" "$tm"
awk -v ot="$ot" -v tt="$tt" -v om="$om" -v tm="$tm" 'BEGIN {
    printf "giflib time / muto-gif time: %.2f (the goal: at least 2)\n", tt / ot
    printf "muto-gif peak RSS / giflib peak RSS: %.2f (the goal: at most 2.5)\n", om / tm
}'
