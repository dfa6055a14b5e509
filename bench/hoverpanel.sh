#!/usr/bin/env bash
# An answer tile of 150 x 46 pixels whose caption is shrunk and shortened until it fits,
# painted into an image, measured side by side in one run:
#   repainted with the same caption (a hover change)  vs  with a new caption on every paint
# beside the same tile with a caption that fits at once. Prints the medians of REPETITIONS
# repetitions (default 9, interleaved at random) and how many layouts the fitting measured
# against its limit (each point size once per text tried, one per dropped word).
#
#   bench/hoverpanel.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_hoverpanel

# Rows look like: "BM_PaintShortenedCaption/real_time_median",9,310.2,305.8,us,,,"label",,,14,14,8
# with the counters in the columns the header names.
column() {
    awk -F, -v name="\"$1/real_time_median\"" -v col="$2" '
        NR == 1 { for (i = 1; i <= NF; i++) if ($i == col || $i == "\"" col "\"") c = i; next }
        $1 == name && c { print $c }' "$csv"
}
repaint_us=$(column BM_PaintShortenedCaption real_time)
fresh_us=$(column BM_PaintNewShortenedCaption real_time)
fitting_us=$(column BM_PaintFittingCaption real_time)
measured=$(column BM_PaintShortenedCaption measurements)
limit=$(column BM_PaintShortenedCaption limit)
for value in "$repaint_us" "$fresh_us" "$fitting_us" "$measured" "$limit"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v repaint="$repaint_us" -v fresh="$fresh_us" -v fitting="$fitting_us" -v measured="$measured" \
    -v limit="$limit" -v n="$repetitions" 'BEGIN {
    printf "%-52s %12s\n", "benchmark (median of " n ")", "time (us)"
    printf "%-52s %12.1f\n", "paint, shortened caption, fit kept", repaint
    printf "%-52s %12.1f\n", "paint, shortened caption, fitted anew", fresh
    printf "%-52s %12.1f\n", "paint, caption that fits", fitting
    printf "layouts measured for the shortened caption: %d (limit %d)\n", measured, limit
    if (measured > limit) { print "error: the fitting measured more than its limit"; exit 1 }
}'
