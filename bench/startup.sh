#!/usr/bin/env bash
# Start-up time to the main window and peak memory at the start screen, measured side by side
# with a comparable Qt learning program from Debian (kgeography), both started the same way
# under one Xvfb server. Prints the medians of RUNS runs (default 15) and their ratio.
#
#   bench/startup.sh            (after tools/test or tools/run has built the program)
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

runs="${RUNS:-15}"
settle_ms="${SETTLE_MS:-1000}"
configure_and_build >/dev/null

# The comparison program is needed only here, not by the build or the tests.
if ! command -v kgeography >/dev/null; then
    echo "Installing kgeography for the comparison ..."
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends kgeography >/dev/null
fi

mapwait="$build_dir/bench/tallowmere_mapwait"
[ -x "$mapwait" ] || { echo "error: $mapwait was not built (libx11-dev missing?)" >&2; exit 1; }

display_number=97
while [ -e "/tmp/.X11-unix/X$display_number" ]; do display_number=$((display_number + 1)); done
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$display_number"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ours=("$build_dir/bin/tallowmere" "$build_dir/bin/")
theirs=(kgeography)

measure() { "$mapwait" "$settle_ms" "$@" 2>/dev/null; }

# One run of each first, so that both start from warm file caches.
measure "${ours[@]}" >/dev/null
measure "${theirs[@]}" >/dev/null

ours_ms=(); ours_kb=(); theirs_ms=(); theirs_kb=()
for _ in $(seq 1 "$runs"); do
    read -r ms kb < <(measure "${ours[@]}"); ours_ms+=("$ms"); ours_kb+=("$kb")
    read -r ms kb < <(measure "${theirs[@]}"); theirs_ms+=("$ms"); theirs_kb+=("$kb")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

om=$(median "${ours_ms[@]}"); tm=$(median "${theirs_ms[@]}")
ok=$(median "${ours_kb[@]}"); tk=$(median "${theirs_kb[@]}")
printf '%-12s %14s %18s\n' "program" "start-up (ms)" "peak memory (MB)"
printf '%-12s %14.1f %18.1f\n' "tallowmere" "$om" "$(echo "$ok / 1024" | bc -l)"
printf '%-12s %14.1f %18.1f\n' "kgeography" "$tm" "$(echo "$tk / 1024" | bc -l)"
printf 'start-up ratio tallowmere / kgeography: %.2f (median of %d runs each)\n' "$(echo "$om / $tm" | bc -l)" "$runs"
