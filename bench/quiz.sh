#!/usr/bin/env bash
# The quiz engine on a card with 300 labels, measured in one run:
#   judging one released tile, wrong and right (the engine's part: comparison, counters,
#   protocol line, open count, rates; without the feedback waits, sounds and drawing)
#   the drag step's target search with 300 open targets, over empty picture (both passes look
#   at every box) and over the last label
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random) against their
# limit: 1 ms each, since a search runs on every mouse move and a judgement before the feedback.
#
#   bench/quiz.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_quiz

wrong_us=$(median BM_JudgeWrongAnswer)
right_quiz_us=$(median BM_JudgeRightAnswer)
miss_us=$(median BM_FindDropTarget/0)
hit_us=$(median BM_FindDropTarget/1)
for value in "$wrong_us" "$right_quiz_us" "$miss_us" "$hit_us"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v wrong="$wrong_us" -v rightquiz="$right_quiz_us" -v miss="$miss_us" -v hit="$hit_us" -v n="$repetitions" 'BEGIN {
    right = rightquiz / 300
    printf "%-56s %12s\n", "benchmark (median of " n ")", "time (us)"
    printf "%-56s %12.2f\n", "judgeAnswer, wrong answer, 300 labels", wrong
    printf "%-56s %12.2f\n", "judgeAnswer, right answer (mean over a 300-label quiz)", right
    printf "%-56s %12.2f\n", "findDropTarget, 300 open targets, over empty picture", miss
    printf "%-56s %12.2f\n", "findDropTarget, 300 open targets, over the last label", hit
    worst = wrong > right ? wrong : right
    search = miss > hit ? miss : hit
    printf "judgement: %.3f ms (limit 1 ms); drag search: %.3f ms (limit 1 ms)\n", worst / 1000, search / 1000
    exit (worst > 1000 || search > 1000) ? 1 : 0
}'
