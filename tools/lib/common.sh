# Shared by tools/run, tools/test and tools/screenshot: install what is missing, configure, build.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir="${TALLOWMERE_BUILD_DIR:-$root/build}"

# Installs the packages of tools/packages.txt that are not installed yet; nothing when all are there.
install_missing_packages() {
    local missing=() pkg
    while read -r pkg; do
        [ -z "$pkg" ] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$root/tools/packages.txt")
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing Debian packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "error: packages missing and neither root nor sudo available: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds into $build_dir; later runs are incremental.
configure_and_build() {
    local werror="${TALLOWMERE_WERROR:-ON}" sanitize="${TALLOWMERE_SANITIZE:-OFF}"
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DTALLOWMERE_WERROR="$werror" -DTALLOWMERE_SANITIZE="$sanitize"
    fi
    cmake --build "$build_dir" -j "$(nproc)"
}

have_display() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}
