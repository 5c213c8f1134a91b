#!/usr/bin/env bash
# The viewer's check (viewer_check.sh) on small made-up shows: ten seconds of
# ffmpeg's moving test picture at 30 frames per second as the dump writes
# them (Motion JPEG), each spoilt in one way or left whole. Each case gives
# the filter that spoils it, the dark share allowed, the exit code expected
# and a line the check must print ("" for none).
#   viewer_check_e2etest.sh [velmorin]   (the program is not used)
set -euo pipefail
check=$(dirname "$0")/viewer_check.sh
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

black='drawbox=c=black:t=fill'
white='drawbox=c=white:t=fill'
fade='drawbox=c=white'
dim='drawbox=c=black@0.88:t=fill'
cases=(
    "whole|null|15|0|jumps 0; dark seconds 0 of 10"
    "five black frames|$black:enable='between(n,150,154)'|15|1|black: 5 frames from 5.000 s"
    "four black frames|$black:enable='between(n,150,153)'|15|0|black runs 0"
    "black in the first two seconds and the last|$black:enable='between(n,0,59)+gte(n,271)'|30|0|black runs 0"
    "black from the last second but one|$black:enable='gte(n,265)'|30|1|black: 5 frames from 8.833 s"
    "one-frame flash|$white:enable='eq(n,100)'|15|1|jump: 1 frame at 3.333 s"
    "two-frame flash|$white:enable='between(n,200,201)'|15|1|jump: 2 frames at 6.667 s"
    "three-frame flash|$white:enable='between(n,200,202)'|15|0|jumps 0"
    "flash decaying over three frames|$fade@0.9:t=fill:enable='eq(n,100)',$fade@0.6:t=fill:enable='eq(n,101)',$fade@0.3:t=fill:enable='eq(n,102)'|15|0|jumps 0"
    "one-frame black pop|$black:enable='eq(n,100)'|15|1|jump: 1 frame at 3.333 s"
    "a cut between two pictures|$white:enable='gte(n,150)'|15|0|jumps 0"
    "two dim seconds of ten|$dim:enable='between(t,3,4.99)'|15|1|dark seconds 2 of 10 (20.0 %"
    "two dim seconds of ten, 20 % allowed|$dim:enable='between(t,3,4.99)'|20|0|dark seconds 2 of 10 (20.0 %"
)

# Each case in a folder of its own, all at once (each is small).
run_case() {
    local n=$1 name filter max_dark want_rc want_line out rc
    IFS='|' read -r name filter max_dark want_rc want_line <<<"${cases[$n]}"
    mkdir "$work/$n"
    ffmpeg -v error -nostdin -y -f lavfi -i "testsrc2=size=160x90:rate=30:duration=10" \
        -vf "$filter" -c:v mjpeg -q:v 3 "$work/$n/case.avi"
    set +e
    out=$(bash "$check" "$work/$n/case.avi" "$max_dark" 2>&1)
    rc=$?
    set -e
    if [ "$rc" -ne "$want_rc" ] || { [ -n "$want_line" ] && ! grep -qF -- "$want_line" <<<"$out"; }; then
        echo "FAIL: $name: exit code $rc (expected $want_rc), expected a line with '$want_line':"
        echo "$out" | sed 's/^/    /'
        return 1
    fi
    echo "ok: $name"
}
pids=()
for n in "${!cases[@]}"; do
    run_case "$n" >"$work/$n.log" 2>&1 &
    pids+=($!)
done
failures=0
for n in "${!cases[@]}"; do
    wait "${pids[$n]}" || failures=$((failures + 1))
    cat "$work/$n.log"
done
video=$work/0/case.avi

# A file with no video, and a share that is not a number.
set +e
bash "$check" "$work/none.avi" >/dev/null 2>&1
rc_missing=$?
bash "$check" "$video" lots >/dev/null 2>&1
rc_share=$?
set -e
[ "$rc_missing" -eq 2 ] || { echo "FAIL: a missing video gives exit code $rc_missing, expected 2"; failures=$((failures + 1)); }
[ "$rc_share" -eq 2 ] || { echo "FAIL: a share 'lots' gives exit code $rc_share, expected 2"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || { echo "FAIL: $failures cases"; exit 1; }
echo "PASS: the viewer's check"
