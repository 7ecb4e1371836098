#!/usr/bin/env bash
# Whole-process comparison of loading a large GIF: `muto-gif decode` (the control's loader, every
# frame decoded, FNV-1a per frame) against giflib's DGifSlurp with the same checksum. Reports the
# median wall time and the peak resident memory of each, and the ratios. The two run in turns.
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

# run NAME CMD...: one run, its wall time in microseconds appended to NAME.times and its peak
# resident memory in KB to NAME.kb.
run() {
    local name=$1
    shift
    local t0 t1
    t0=$(date +%s%N)
    /usr/bin/time -v "$@" >/dev/null 2>"$work/$name.v"
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000)) >>"$work/$name.times"
    awk -F': ' '/Maximum resident set size/ {print $2}' "$work/$name.v" >>"$work/$name.kb"
}
# The two take turns, so that whatever else the machine does weighs on both alike.
: >"$work/ours.times" >"$work/theirs.times" >"$work/ours.kb" >"$work/theirs.kb"
for _ in $(seq "$runs"); do
    run ours "${ours[@]}"
    run theirs "${theirs[@]}"
done
median() { sort -n "$1" | awk '{a[NR]=$1} END {printf "%.4f", a[int((NR+1)/2)]/1e6}'; }
peak() { sort -n "$1" | tail -1; }

echo "$(basename "$gif"): $(wc -c <"$gif") bytes, $(wc -l <"$work/ours.txt") frame(s), $runs runs each"
ot=$(median "$work/ours.times")
om=$(peak "$work/ours.kb")
tt=$(median "$work/theirs.times")
tm=$(peak "$work/theirs.kb")
printf '%-10s %8s s %8s KB\n' "muto-gif" "$ot" "$om" "giflib" "$tt" "$tm"
awk -v ot="$ot" -v tt="$tt" -v om="$om" -v tm="$tm" 'BEGIN {
    printf "giflib time / muto-gif time: %.2f (the goal: at least 2)\n", tt / ot
    printf "muto-gif peak RSS / giflib peak RSS: %.2f (the goal: at most 2.5)\n", om / tm
}'
