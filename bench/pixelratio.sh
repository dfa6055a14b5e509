#!/usr/bin/env bash
# The learning card on a screen scaled to 200 % against 100 %, measured side by side in one run:
#   redrawCard, 300 labels on a photograph, 1600 x 1000 logical pixels   (limit: 4, the ratio squared)
#   one label redrawn as a click redraws it                             (limit: 4)
#   one drag step of a quiz tile                                        (unchanged within noise)
# and the program's peak memory at the start screen, started under Xvfb at QT_SCALE_FACTOR 2
# against 1 (limit: 2). Prints the medians of REPETITIONS repetitions (default 9, interleaved at
# random) and RUNS starts (default 5), and the ratios.
#
#   bench/pixelratio.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_pixelratio
cmake --build "$build_dir" -j "$(nproc)" --target tallowmere tallowmere_mapwait >/dev/null

values=()
for name in BM_RedrawCard BM_RedrawOneLabel BM_DragStep; do
    for ratio in 100 200; do
        value=$(median "$name/$ratio")
        [ -n "$value" ] || { echo "error: $name/$ratio gave no result:" >&2; cat "$csv" >&2; exit 1; }
        values+=("$value")
    done
done

# Peak resident memory at the start screen, alternating the two scales; the screen is as many
# times larger as the scale, so the window has the same logical size.
runs="${RUNS:-5}"
mapwait="$build_dir/bench/tallowmere_mapwait"
peaks1=(); peaks2=()
for _ in $(seq 1 "$runs"); do
    for scale in 1 2; do
        peak=$(QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 $((1280 * scale))x$((1024 * scale))x24" \
            "$mapwait" 1500 "$build_dir/bin/tallowmere" 2>/dev/null | awk '{ print $2 }')
        [ -n "$peak" ] || { echo "error: no peak memory at scale $scale" >&2; exit 1; }
        if [ "$scale" = 1 ]; then peaks1+=("$peak"); else peaks2+=("$peak"); fi
    done
done
middle() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
peak1=$(middle "${peaks1[@]}")
peak2=$(middle "${peaks2[@]}")

awk -v r1="${values[0]}" -v r2="${values[1]}" -v o1="${values[2]}" -v o2="${values[3]}" \
    -v d1="${values[4]}" -v d2="${values[5]}" -v m1="$peak1" -v m2="$peak2" -v n="$repetitions" -v runs="$runs" 'BEGIN {
    printf "%-44s %12s %12s %8s\n", "median of " n " (memory: of " runs ")", "100 %", "200 %", "ratio"
    printf "%-44s %9.2f ms %9.2f ms %8.2f  (limit 4)\n", "redrawCard, 300 labels", r1, r2, r2 / r1
    printf "%-44s %9.3f ms %9.3f ms %8.2f  (limit 4)\n", "one label redrawn (a click)", o1, o2, o2 / o1
    printf "%-44s %9.2f us %9.2f us %8.2f  (unchanged)\n", "one drag step", d1, d2, d2 / d1
    printf "%-44s %9d kB %9d kB %8.2f  (limit 2)\n", "peak memory at the start screen", m1, m2, m2 / m1
}'
