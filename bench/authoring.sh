#!/usr/bin/env bash
# The topic editor on the photograph (1600 x 1000) with 300 labels, all uncovered, in a view of
# 1600 x 1000 pixels, measured side by side in one run:
#   one drag step of a label's box with the card's update   vs  one frame at 60 Hz (goal 0.25)
#   undoing or redoing a move with the card's update         vs  one frame at 60 Hz (goal 0.25)
#   a full redraw of the card, for comparison
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random).
#
#   bench/authoring.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_authoring

drag_ms=$(median BM_DragStep)
undo_ms=$(median BM_UndoMove)
full_ms=$(median BM_RedrawCard)
for value in "$drag_ms" "$undo_ms" "$full_ms"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v drag="$drag_ms" -v undo="$undo_ms" -v full="$full_ms" -v n="$repetitions" 'BEGIN {
    frame = 1000 / 60
    printf "%-52s %12s\n", "benchmark (median of " n ")", "time (ms)"
    printf "%-52s %12.3f\n", "drag step of a box, card updated", drag
    printf "%-52s %12.3f\n", "undo or redo of a move, card updated", undo
    printf "%-52s %12.3f\n", "redrawCard, 300 labels", full
    printf "drag step / frame at 60 Hz: %.3f (goal 0.25)\n", drag / frame
    printf "undo / frame at 60 Hz: %.3f (goal 0.25)\n", undo / frame
}'
