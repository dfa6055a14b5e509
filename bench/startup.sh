#!/usr/bin/env bash
# Start-up time to the main window and peak memory at the start screen, measured side by side
# with a comparable Qt learning program from Debian (kgeography) and with a bare Qt window (one
# QLabel of 900 x 650, built by this script: the floor every Qt program on this machine pays),
# all started the same way under one Xvfb server, in turn. Two times are taken: until the window
# is mapped, and until it is drawn (the last drawing before the screen stays unchanged for 300 ms:
# what the user sees). Prints the medians of RUNS runs (default 15) and our ratios to both.
#
# The bare window maps before it has measured any text: its font database and first font are
# loaded only when it paints, after the map. Any window whose layout places text pays that
# before its map, so the same bare window is also measured with its label measured before it is
# shown ("bare, text first"), which tells the fonts' share apart from the rest.
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

# The bare window, compiled as our program is (same compiler, optimisation and Qt).
bare_dir=$(mktemp -d)
cat >"$bare_dir/bare.cpp" <<'CPP'
#include <QApplication>
#include <QLabel>
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Kestrova Tallowmere"));
    label.resize(900, 650);
    if (argc > 1)
        label.sizeHint();
    label.show();
    return app.exec();
}
CPP
# shellcheck disable=SC2046
g++ -std=c++20 -O2 -fPIC "$bare_dir/bare.cpp" -o "$bare_dir/bare" $(pkg-config --cflags --libs Qt6Widgets)

display_number=97
while [ -e "/tmp/.X11-unix/X$display_number" ]; do display_number=$((display_number + 1)); done
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$bare_dir"' EXIT
export DISPLAY=":$display_number"
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ours=("$build_dir/bin/tallowmere" "$build_dir/bin/")
theirs=(kgeography)
bare=("$bare_dir/bare")
bare_text=("$bare_dir/bare" --text-first)

measure() { "$mapwait" "$settle_ms" "$@" 2>/dev/null; }

# One run of each first, so that both start from warm file caches.
measure "${ours[@]}" >/dev/null
measure "${theirs[@]}" >/dev/null
measure "${bare[@]}" >/dev/null
measure "${bare_text[@]}" >/dev/null

ours_ms=(); ours_kb=(); ours_dr=(); theirs_ms=(); theirs_kb=(); theirs_dr=()
bare_ms=(); bare_kb=(); bare_dr=(); text_ms=(); text_kb=(); text_dr=()
for _ in $(seq 1 "$runs"); do
    read -r ms kb dr < <(measure "${ours[@]}"); ours_ms+=("$ms"); ours_kb+=("$kb"); ours_dr+=("$dr")
    read -r ms kb dr < <(measure "${theirs[@]}"); theirs_ms+=("$ms"); theirs_kb+=("$kb"); theirs_dr+=("$dr")
    read -r ms kb dr < <(measure "${bare[@]}"); bare_ms+=("$ms"); bare_kb+=("$kb"); bare_dr+=("$dr")
    read -r ms kb dr < <(measure "${bare_text[@]}"); text_ms+=("$ms"); text_kb+=("$kb"); text_dr+=("$dr")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

om=$(median "${ours_ms[@]}"); tm=$(median "${theirs_ms[@]}"); bm=$(median "${bare_ms[@]}"); xm=$(median "${text_ms[@]}")
od=$(median "${ours_dr[@]}"); td=$(median "${theirs_dr[@]}"); bd=$(median "${bare_dr[@]}"); xd=$(median "${text_dr[@]}")
ok=$(median "${ours_kb[@]}"); tk=$(median "${theirs_kb[@]}"); bk=$(median "${bare_kb[@]}"); xk=$(median "${text_kb[@]}")
mib() { echo "$1 / 1024" | bc -l; }
ratio() { echo "$1 / $2" | bc -l; }
printf '%-17s %12s %12s %18s\n' "program" "mapped (ms)" "drawn (ms)" "peak memory (MiB)"
printf '%-17s %12.1f %12.1f %18.1f\n' "tallowmere" "$om" "$od" "$(mib "$ok")"
printf '%-17s %12.1f %12.1f %18.1f\n' "kgeography" "$tm" "$td" "$(mib "$tk")"
printf '%-17s %12.1f %12.1f %18.1f\n' "bare window" "$bm" "$bd" "$(mib "$bk")"
printf '%-17s %12.1f %12.1f %18.1f\n' "bare, text first" "$xm" "$xd" "$(mib "$xk")"
printf 'tallowmere / bare window:      mapped %.2f, drawn %.2f, memory %.2f\n' \
    "$(ratio "$om" "$bm")" "$(ratio "$od" "$bd")" "$(ratio "$ok" "$bk")"
printf 'tallowmere / bare, text first: mapped %.2f, drawn %.2f, memory %.2f\n' \
    "$(ratio "$om" "$xm")" "$(ratio "$od" "$xd")" "$(ratio "$ok" "$xk")"
printf 'tallowmere / kgeography:       mapped %.2f, drawn %.2f, memory %.2f\n' \
    "$(ratio "$om" "$tm")" "$(ratio "$od" "$td")" "$(ratio "$ok" "$tk")"
printf '(medians of %d runs each, started in turn under one Xvfb)\n' "$runs"
