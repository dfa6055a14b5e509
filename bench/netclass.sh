#!/usr/bin/env bash
# A classroom's load on the teacher's machine, over loopback only: 30 simulated pupils, each from
# an address of its own, send a quiz (TN-INIT, 40 TN-AKTION, TN-FERTIG, TN-BESTLIST) to one master
# at 150-ms polling with the control display open, first at classroom pace over PACE seconds
# (default 20), then all at once, then at classroom pace again while another process floods the
# master with 40 000 TN-INIT from one address; then the master idles IDLE seconds (default 60)
# with the display open and closed. Prints the messages lost, the time from a datagram's sending
# to the display showing it (median, 99th percentile, worst), the memory growth and the longest
# key-press wait under the flood, and the CPU time while idle. NETCLASS_DEBUG=1 prints every
# message shown later than 200 ms; NETCLASS_SHOT=FILE.png saves the control display after the
# flood; NETCLASS_FLOOD=0 leaves the flood out.
#
#   bench/netclass.sh
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

install_missing_packages
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWMERE_WERROR="${TALLOWMERE_WERROR:-ON}"
fi
cmake --build "$build_dir" -j "$(nproc)" --target bench_netclass >/dev/null
QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench_netclass" "${PACE:-20}" "${IDLE:-60}"
