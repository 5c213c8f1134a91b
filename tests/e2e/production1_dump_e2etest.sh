#!/usr/bin/env bash
# Production 1, "orvik - lantern", from its own run folder (its own velmorin
# and data.vlm): its whole song to AVI at 30 frames per second, video and
# audio as long as the song, and one frame in the section of every scene of
# its choreography (tools/tracks/timelines/1/active_scenes.timeline) lit and
# unlike the others; and the whole show passes the viewer's check
# (viewer_check.sh: no black holes, no one-frame pops, at most 15 % dark
# seconds). Rendered at 320x180: the show is 4314 frames, and its fireworks
# and ball tree are the renderer's heaviest.
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

render_production "${VELMO_PRODUCTION1_DIR:?}" 320x180 "orvik - lantern" "data/music/Tressal_-_Lantern.mp3"

# One beat (0.8 s at 75 BPM) inside each section: the credit on the white
# card, the tunnel with the title, the floor, the tree in its frames, the
# fireworks over the water, the particle ball over the floor, the cubes under
# fireworks, the droplets, the frames over the tunnel, the open tree in its
# frames, the floor again, the outro's tunnel.
frames_dir=$run_dir/sections
mkdir "$frames_dir"
for beat in 6 22 40 58 70 88 104 120 136 152 164 170; do
    t=$(awk -v b="$beat" 'BEGIN { printf "%.2f", b * 0.8 }')
    ffmpeg -v error -ss "$t" -i "$avi" -frames:v 1 -vf scale=80:45 -f rawvideo -pix_fmt gray \
        "$frames_dir/$t.gray" || fail "cannot extract the frame at ${t}s"
done
check_frames_lit_and_distinct "$frames_dir"
"$source_dir/tests/e2e/viewer_check.sh" "$avi" 15 || fail "the show fails the viewer's check"
echo "PASS: $avi"
