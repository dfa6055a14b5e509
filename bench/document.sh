#!/usr/bin/env bash
# Reading and peeking topic files, each measured side by side with its baseline in one run:
#   reading a topic (4000 x 3000 photograph, 300 objects)  vs  libpng alone on the same PNG
#   peeking 1000 topic files of 1 MiB                      vs  reading their first 512 bytes
# Prints the medians of REPETITIONS repetitions (default 9, interleaved at random) and the two
# ratios with their limits (1.10 and 1.5).
#
#   bench/document.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/../tools/lib/bench.sh"

# The fixtures (the photograph topic, 1 GiB of topic files) are made once, before the first
# measurement; that takes a few seconds.
run_benchmark bench_document

read_ms=$(median BM_ReadTopicFile)
png_ms=$(median BM_LibpngDecode)
peek_ms=$(median BM_PeekTopicFiles)
first_ms=$(median BM_ReadFirst512Bytes)
for value in "$read_ms" "$png_ms" "$peek_ms" "$first_ms"; do
    [ -n "$value" ] || { echo "error: a benchmark gave no result:" >&2; cat "$csv" >&2; exit 1; }
done

awk -v read="$read_ms" -v png="$png_ms" -v peek="$peek_ms" -v first="$first_ms" -v n="$repetitions" 'BEGIN {
    printf "%-44s %12s\n", "benchmark (median of " n ")", "time (ms)"
    printf "%-44s %12.2f\n", "readTopicFile, 4000 x 3000 photo, 300 objects", read
    printf "%-44s %12.2f\n", "libpng alone, same PNG", png
    printf "%-44s %12.2f\n", "peekTopicFile, 1000 files of 1 MiB", peek
    printf "%-44s %12.2f\n", "first 512 bytes of the same files", first
    printf "reading ratio: %.3f (limit 1.10)\n", read / png
    printf "peeking ratio: %.3f (limit 1.5)\n", peek / first
}'
