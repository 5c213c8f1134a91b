#!/usr/bin/env bash
# The build's production renders to AVI as scripts/play does without a
# display, in a folder of its own (check_dump): Motion JPEG at the quality
# asked for, video and audio of the song's full length, frames spread over
# the show neither black nor alike; for production 3 a viewer's check.
#   production_dump_e2etest.sh <velmorin>
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

# Production 1 is rendered, small, by production1_dump_e2etest from this
# same folder when the build plays it.
if grep -qx 'index=1' "$binary_dir/production.txt"; then
    echo "PASS: production 1 is checked by production1_dump_e2etest"
    exit 0
fi
# Production 2 flashes with its drums: its frames are checked at the hits.
if grep -qx 'index=2' "$binary_dir/production.txt"; then
    render_dump "$1" "$binary_dir" 960x540
    check_drum_hits
else
    check_dump "$1" "$binary_dir" 960x540  # the whole show, about 4900 frames: kept small for CI
fi
# Production 3 as a viewer sees it: lit and moving every 7.5 seconds between
# the fade in (its first two beats at 155 BPM) and the fade out (from beat
# 416, 161.0 s), and its ending picture held over the last chord (beats 401
# to 415).
# And every frame: no black holes, no one- or two-frame jumps of the
# picture's colour, at most 10 % dark seconds.
if grep -qx 'index=3' "$binary_dir/production.txt"; then
    check_show_for_a_viewer 1.5 160 7.5 15 155.5 160.6
    bash "$source_dir/tests/e2e/viewer_check.sh" "$avi" 10 || fail "the show fails the viewer's check"
fi
echo "PASS: $avi"
