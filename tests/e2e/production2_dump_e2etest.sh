#!/usr/bin/env bash
# Production 2, "Quibbo", from its own run folder (its own velmorin and
# data.vlm): its song to AVI, video and audio as long as the song at 30
# frames per second, and the shapes flashing with the drum hits
# (check_drum_hits).
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

render_production "${VELMO_PRODUCTION2_DIR:?}" 640x360 "Quibbo" "data/music/funkysomething.xml"
check_drum_hits
echo "PASS: $avi"
