# Shared by scripts/test and scripts/play.
# VELMO_PRODUCTION picks the production the program is built with (0 to 3,
# 3 by default); VELMO_BUILD_DIR the build folder (<root>/build by default).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=${VELMO_BUILD_DIR:-$root/build}
jobs=$(nproc)
production=${VELMO_PRODUCTION:-3}

install_packages() {
    local wanted missing=()
    wanted=$(grep -v '^#' "$root/scripts/packages.txt" | tr -s ' \n' ' ')
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {
    cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMO_PRODUCTION="$production" "$@"
    cmake --build "$build_dir" -j "$jobs"
}

# Starts Xvfb when there is no display, with a screen of $1 (WIDTHxHEIGHT,
# 1920x1080 unless given); stopped by its process id on exit.
ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return
    fi
    local size=${1:-1920x1080} fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
    local num
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
    echo "Started Xvfb on $DISPLAY (pid $xvfb_pid)"
}
