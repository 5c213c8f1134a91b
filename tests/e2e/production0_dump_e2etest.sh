#!/usr/bin/env bash
# Production 0, "Internal debugging", from its own run folder (its own
# velmorin and data.vlm): no music, so the dump is its 10 silent seconds,
# 300 frames at 30 frames per second without an audio stream, and the
# droplets show (check_dump: frames neither black nor alike).
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

check_dump "${VELMO_PRODUCTION0_DIR:?}/velmorin" "$VELMO_PRODUCTION0_DIR" 640x360
[ "$title" = "Internal debugging" ] || fail "production 0 is titled '$title'"
[ -z "$music" ] || fail "production 0 has music: $music"
frames=$(ffprobe -v error -count_packets -select_streams v:0 \
         -show_entries stream=nb_read_packets,r_frame_rate -of csv=p=0 "$avi")
[ "$frames" = "30/1,300" ] || fail "frame rate and count: $frames, expected 30/1,300"
echo "PASS: $avi"
