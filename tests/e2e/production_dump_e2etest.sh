#!/usr/bin/env bash
# The build's production renders to AVI as scripts/play does without a
# display, in a folder of its own (check_dump): Motion JPEG at the quality
# asked for, video and audio of the song's full length, frames spread over
# the show neither black nor alike.
#   production_dump_e2etest.sh <velmorin>
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

# Production 2 flashes with its drums: its frames are checked at the hits.
if grep -qx 'index=2' "$binary_dir/production.txt"; then
    render_dump "$1" "$binary_dir" 960x540
    check_drum_hits
else
    check_dump "$1" "$binary_dir" 960x540  # the whole show, about 4900 frames: kept small for CI
fi
echo "PASS: $avi"
