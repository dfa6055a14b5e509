#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour sanitizers),
# writes their seed corpora and runs each target for SECONDS seconds. Fails on any crash, leak,
# sanitizer report, timeout or memory blow-up; the input that caused it is kept beside the
# build and named in the output.
#
#   fuzz/run.sh SECONDS [TARGET...]      targets: fuzz_document fuzz_commatext fuzz_registry
#                                        fuzz_highscore fuzz_mailslot fuzz_netmessages (default: all)
#
# The build goes to build/fuzz (or $FUZZ_BUILD_DIR); the corpora grown there are reused by the
# next run.
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_document fuzz_commatext fuzz_registry fuzz_highscore fuzz_mailslot fuzz_netmessages)

fuzz_dir="${FUZZ_BUILD_DIR:-$root/build/fuzz}"

# libFuzzer ships with clang; its sanitizer runtimes come in libclang-rt-14-dev.
install_missing_packages
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed'; then
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

# Configured on every run, so that a target added since the last run is known to the build.
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$fuzz_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$fuzz_dir" -j "$(nproc)" --target make_corpus "${targets[@]}"

# Seeds are made afresh each run from the current writer; grown corpora are kept.
rm -rf "$fuzz_dir/seeds"
ASAN_OPTIONS=detect_leaks=0 "$fuzz_dir/make_corpus" "$fuzz_dir/seeds"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for target in "${targets[@]}"; do
    case "$target" in
        fuzz_document) max_len=1048576 ;;
        fuzz_commatext) max_len=4096 ;;
        fuzz_registry) max_len=65536 ;;
        fuzz_highscore) max_len=65536 ;;
        # A little over the largest datagram the reader takes, so that the refusal is reached.
        fuzz_mailslot) max_len=66000 ;;
        # Several messages, one of them a little over the length the reader takes.
        fuzz_netmessages) max_len=8192 ;;
        *) echo "error: unknown fuzz target $target" >&2; exit 2 ;;
    esac
    corpus="$fuzz_dir/corpus/$target"
    artifacts="$fuzz_dir/artifacts"
    log="$fuzz_dir/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "== $target: ${seconds} s"
    status=0
    "$fuzz_dir/$target" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        "$corpus" "$fuzz_dir/seeds/$target" >"$log" 2>&1 || status=$?
    # A sanitizer report counts even when the process managed to end normally.
    if [ "$status" -ne 0 ] || grep -qE '^==[0-9]+==ERROR|runtime error:|SUMMARY: ' "$log"; then
        echo "FAILED: $target (exit status $status); last lines of $log:" >&2
        tail -n 60 "$log" >&2
        failed+=("$target")
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done [0-9]+ runs' "$log" || true
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found problems in: ${failed[*]} (inputs in $fuzz_dir/artifacts)" >&2
    exit 1
fi
echo "fuzzing found nothing"
