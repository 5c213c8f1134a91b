#!/usr/bin/env bash
# The viewer's check (tests/e2e/viewer_check.sh) on full-size renders of the
# build's production, too slow for the tests (several minutes a size on the
# software renderer): for each size, an Xvfb screen of that size (the
# settings dialog opens on it), the headless render as scripts/play makes it
# (scripts/dump-video, Motion JPEG at quality 90) and the check's figures.
#   bench/show/viewer_check_renders.sh <build-dir> [WIDTHxHEIGHT ...]
# Sizes default to 1280x720 and 1920x1080. Production 3 may have at most
# 10 % dark seconds, the others 15 %. The renders are kept in
# $VELMO_RENDER_DIR/<size>/ when it is set (for stills), else removed.
# Exit code 0 when every size passes, 1 otherwise.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(cd "${1:?usage: viewer_check_renders.sh <build-dir> [WIDTHxHEIGHT ...]}" && pwd)
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x720 1920x1080)
for size in "${sizes[@]}"; do
    [[ $size =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]] || { echo "not a size: '$size' (WIDTHxHEIGHT)" >&2; exit 1; }
done
max_dark=15
grep -qx 'index=3' "$build_dir/production.txt" && max_dark=10

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf -- "$work"
}
trap cleanup EXIT

status=0
for size in "${sizes[@]}"; do
    run_dir=${VELMO_RENDER_DIR:+$VELMO_RENDER_DIR/$size}
    run_dir=${run_dir:-$work/$size}
    mkdir -p "$run_dir"
    for f in velmorin data.vlm production.txt; do
        ln -sfn "$build_dir/$f" "$run_dir/$f"
    done

    fifo=$work/display
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r num <"$fifo"
    rm -f "$fifo"

    start=$(date +%s)
    DISPLAY=":$num" VELMO_VIDEO_QUALITY=90 "$root/scripts/dump-video" "$run_dir" >"$work/dump.log" 2>&1 ||
        { cat "$work/dump.log"; echo "FAIL: the render at $size" >&2; exit 1; }
    seconds=$(( $(date +%s) - start ))
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""

    avi=$(ls "$run_dir"/*.01.avi)
    echo "== $size: rendered in ${seconds}s: $avi"
    bash "$root/tests/e2e/viewer_check.sh" "$avi" "$max_dark" || status=1
done
exit "$status"
