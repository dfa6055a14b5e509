#!/usr/bin/env bash
# The learning card of a photograph (1600 x 1000) with 300 labels, half of them covered, in a view
# of 1600 x 1000 pixels, measured side by side in one run:
#   one label redrawn as a click redraws it   vs  redrawCard (limit 0.05)
#   the same during a quiz, with the quiz panel's strip taking the box over (limit 1 ms)
#   one pan step (7, 5) at 200 %              vs  redrawCard (limit 0.10)
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random) and the two
# ratios with their limits.
#
#   bench/cardview.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_cardview

full_ms=$(median BM_RedrawCard)
single_ms=$(median BM_RedrawOneLabel)
pan_ms=$(median BM_PanStep)
quiz_ms=$(median BM_RedrawOneLabelInQuiz)
for value in "$full_ms" "$single_ms" "$pan_ms" "$quiz_ms"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v full="$full_ms" -v single="$single_ms" -v pan="$pan_ms" -v quiz="$quiz_ms" -v n="$repetitions" 'BEGIN {
    printf "%-52s %12s\n", "benchmark (median of " n ")", "time (ms)"
    printf "%-52s %12.3f\n", "redrawCard, 300 labels, 1600 x 1000", full
    printf "%-52s %12.3f\n", "one label redrawn (a click)", single
    printf "%-52s %12.3f\n", "one label redrawn in a quiz, with the strip", quiz
    printf "%-52s %12.3f\n", "one pan step at 200 %", pan
    printf "single/full ratio: %.4f (limit 0.05)\n", single / full
    printf "pan/full ratio: %.4f (limit 0.10)\n", pan / full
    printf "quiz/single ratio: %.2f; in a quiz: %.3f ms (limit 1 ms)\n", quiz / single, quiz
}'
