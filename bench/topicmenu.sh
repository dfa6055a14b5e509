#!/usr/bin/env bash
# The topic menu of a folder of 1000 topic files, measured side by side in one run:
#   rebuilding "&Quizauswahl" (scan, peeks, sort, menu items)  vs  reading the first 512 bytes of each file
# with the scan and the sort alone beside them, and the sort as it would be with a locale
# comparison at every step. Prints the medians of REPETITIONS repetitions (default 9,
# interleaved at random) and the ratio with its limit (2.0).
#
#   bench/topicmenu.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_topicmenu

rebuild_ms=$(median BM_RebuildTopicMenu)
first_ms=$(median BM_ReadFirst512Bytes)
scan_ms=$(median BM_ScanTopicFolder)
sort_ms=$(median BM_SortTopicList)
naive_ms=$(median BM_SortComparingEachTime)
for value in "$rebuild_ms" "$first_ms" "$scan_ms" "$sort_ms" "$naive_ms"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v rebuild="$rebuild_ms" -v first="$first_ms" -v scan="$scan_ms" -v sorted="$sort_ms" -v naive="$naive_ms" \
    -v n="$repetitions" 'BEGIN {
    printf "%-52s %12s\n", "benchmark (median of " n ")", "time (ms)"
    printf "%-52s %12.2f\n", "rebuildTopicMenu, 1000 topic files", rebuild
    printf "%-52s %12.2f\n", "first 512 bytes of the same files", first
    printf "%-52s %12.2f\n", "  of the rebuild: scan with peeks", scan
    printf "%-52s %12.2f\n", "  of the rebuild: sort with collation keys", sorted
    printf "%-52s %12.2f\n", "sort comparing through the collator each time", naive
    printf "menu ratio: %.3f (limit 2.0)\n", rebuild / first
}'
