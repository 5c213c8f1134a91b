#!/usr/bin/env bash
# The production plays in a window ("&Run", fullscreen off) and ends by itself
# at the end of its music with exit code 0 and no error line.
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

use_production "$binary_dir"
start_xvfb 1280x720
cd "$binary_dir"
song=$(song_seconds)
log=$(mktemp)

start=$(date +%s)
./velmorin >"$log" 2>&1 &
pid=$!
settings=""
for ((i = 0; i < 600; i++)); do
    settings=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    [ -n "$settings" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
[ -n "$settings" ] || { kill "$pid" 2>/dev/null; cat "$log"; fail "the settings dialog did not appear"; }
xdotool windowfocus --sync "$settings" 2>/dev/null || xdotool windowfocus "$settings"
sleep 0.3
xdotool key --delay 100 alt+f alt+r

limit=$(awk -v s="$song" 'BEGIN { printf "%d", s * 3 + 120 }')
wait_at_most "$pid" "$limit"
rc=$wait_rc
elapsed=$(( $(date +%s) - start ))
cat "$log"

[ "$rc" -eq 0 ] || fail "velmorin exited with $rc after ${elapsed}s"
awk -v e="$elapsed" -v s="$song" 'BEGIN { exit !(e >= s - 2) }' ||
    fail "the show ended after ${elapsed}s, before the end of the ${song}s song"
! grep -q "ERROR: " "$log" || fail "an error line was printed"
rm -f "$log"
echo "PASS: played ${elapsed}s of a ${song}s song"
