#!/usr/bin/env bash
# Pointer reactions on the card (1600 x 1000 view), measured side by side in one run:
#   hitTest (a point beside every box)         vs  one full redrawCard of the same card
#   one pointer move (hit test plus cursor)
#   one drag step of a quiz tile over 300 open targets  vs  one full redrawCard of that card
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random), each reaction
# as a share of a 60 Hz frame (limit 2 %) and as a ratio to the full redraw.
#
#   bench/hittest.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_hittest

redraw_ms=$(median BM_RedrawCard)
quiz_redraw_ms=$(median BM_QuizRedrawCard)
drag_us=$(median BM_DragStep)
hit_us=$(median BM_HitTest)
move_us=$(median BM_PointerMove)
for value in "$redraw_ms" "$hit_us" "$move_us" "$quiz_redraw_ms" "$drag_us"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v redraw="$redraw_ms" -v hit="$hit_us" -v move="$move_us" -v qredraw="$quiz_redraw_ms" -v drag="$drag_us" \
    -v n="$repetitions" 'BEGIN {
    frame = 1000000 / 60
    printf "%-48s %12s\n", "benchmark (median of " n ")", "time"
    printf "%-48s %9.2f ms\n", "redrawCard, 1000 objects, 1600 x 1000", redraw
    printf "%-48s %9.2f us\n", "hitTest, 1000 objects", hit
    printf "%-48s %9.2f us\n", "pointer move (hit test and cursor)", move
    printf "hit test: %.3f %% of a 60 Hz frame (limit 2 %%), ratio to a full redraw %.5f\n", 100 * hit / frame, hit / (redraw * 1000)
    printf "pointer move: %.3f %% of a 60 Hz frame (limit 2 %%), ratio to a full redraw %.5f\n", 100 * move / frame, move / (redraw * 1000)
    printf "%-48s %9.2f ms\n", "quiz card redrawCard, 300 open targets", qredraw
    printf "%-48s %9.2f us\n", "one drag step (move, target search, marker)", drag
    printf "drag step: %.4f ms (limit 1 ms), ratio to a full redraw %.5f (limit 0.10)\n", drag / 1000, drag / (qredraw * 1000)
}'
