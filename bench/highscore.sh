#!/usr/bin/env bash
# A high-score list of 10 000 entries, measured side by side in one run:
#   reading the list (open, lock, read, decode)    vs  reading the file's bytes alone (limit 2.0)
#   opening the list window (read, sort, fill, show and paint)                       (limit 200 ms)
# with the sort, the selection sort it stands for, and appending one entry beside them.
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random).
#
#   bench/highscore.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

run_benchmark bench_highscore

read_ms=$(median BM_ReadHighScoreFile)
bytes_ms=$(median BM_ReadFileBytes)
sort_ms=$(median BM_SortHighScoreList)
selection_ms=$(median BM_SelectionSortAsDefined)
append_ms=$(median BM_AppendHighScoreEntry)
open_ms=$(median BM_OpenListWindow)
for value in "$read_ms" "$bytes_ms" "$sort_ms" "$selection_ms" "$append_ms" "$open_ms"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v readms="$read_ms" -v bytes="$bytes_ms" -v sorted="$sort_ms" -v selection="$selection_ms" \
    -v append="$append_ms" -v open="$open_ms" -v n="$repetitions" 'BEGIN {
    printf "%-52s %12s\n", "benchmark, 10 000 entries (median of " n ")", "time (ms)"
    printf "%-52s %12.3f\n", "readHighScoreFile", readms
    printf "%-52s %12.3f\n", "reading the file'"'"'s bytes alone", bytes
    printf "%-52s %12.3f\n", "sortHighScoreList", sorted
    printf "%-52s %12.3f\n", "the selection sort as defined", selection
    printf "%-52s %12.3f\n", "appendHighScoreEntry", append
    printf "%-52s %12.3f\n", "opening the list window (read, sort, show)", open
    printf "read ratio: %.3f (limit 2.0)\n", readms / bytes
    printf "window: %.1f ms (limit 200)\n", open
}'
