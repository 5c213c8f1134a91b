#!/usr/bin/env bash
# Production 2, "Quibbo", from its own run folder (its own velmorin and
# data.vlm): its song to AVI, video and audio as long as the song at 30
# frames per second, and the shapes flashing with the drum hits
# (check_drum_hits).
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

render_dump "${VELMO_PRODUCTION2_DIR:?}/velmorin" "$VELMO_PRODUCTION2_DIR" 640x360
[ "$title" = "Quibbo" ] || fail "production 2 is titled '$title'"
[ "$music" = "data/music/funkysomething.xml" ] || fail "production 2 plays '$music'"
rate=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$avi")
[ "$rate" = "30/1" ] || fail "frame rate: $rate, expected 30/1"
check_drum_hits
echo "PASS: $avi"
