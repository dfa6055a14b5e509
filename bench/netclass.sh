#!/usr/bin/env bash
# A classroom's load on the teacher's machine, over loopback only: 30 simulated pupils each send a
# quiz (TN-INIT, 40 TN-AKTION, TN-FERTIG, TN-BESTLIST) to one master at 150-ms polling with the
# control display open, first at classroom pace over PACE seconds (default 20), then all at once;
# then the master idles IDLE seconds (default 60). Prints the messages lost, the time from a
# datagram's sending to the display showing it (median and worst) and the CPU time while idle.
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
