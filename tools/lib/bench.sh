# What the Google Benchmark scripts in bench/ share. Source after tools/lib/common.sh.

# run_benchmark TARGET: installs what is missing, builds the benchmark program TARGET (configuring
# a release-like build the first time) and runs it REPETITIONS times (default 9), interleaved at
# random, with only the aggregates reported. The CSV lands in $csv, removed when the script ends;
# $repetitions holds the count.
run_benchmark() {
    local target=$1
    repetitions="${REPETITIONS:-9}"
    install_missing_packages
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWMERE_WERROR="${TALLOWMERE_WERROR:-ON}"
    fi
    cmake --build "$build_dir" -j "$(nproc)" --target "$target" >/dev/null
    csv=$(mktemp)
    trap 'rm -f "$csv"' EXIT
    "$build_dir/bench/$target" --benchmark_repetitions="$repetitions" \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
        --benchmark_format=csv >"$csv" 2>/dev/null
}

# median NAME: the median real time of benchmark NAME in its unit, from rows such as
# "BM_ReadTopicFile/real_time_median",9,205.1,204.9,ms,...
median() {
    awk -F, -v name="\"$1/real_time_median\"" '$1 == name { print $3 }' "$csv"
}
