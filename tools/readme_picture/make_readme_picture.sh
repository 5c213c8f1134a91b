#!/usr/bin/env bash
# Makes the README's picture of a production from a render of it: frames at
# the given beats of the AVI, tiled three across on black, 1280 wide.
#   tools/readme_picture/make_readme_picture.sh <render.avi> <bpm> <out.png> <beat>...
# For "Glass Harbour Signal" (155 BPM), from a render by scripts/play:
#   tools/readme_picture/make_readme_picture.sh "build/Glass Harbour Signal.01.avi" 155 \
#       docs/glass_harbour_signal.png 6 168.25 188 290.5 340 408
# (the name in the intro, the pianos lighting a black key, the closing texts
# on their grey ground, the four ribbons as one, the oscilloscope over the
# fire, the whole title as the ending picture).
# For "orvik - lantern" (production 1, 75 BPM), from a 1280x720 render by
# VELMO_PRODUCTION=1 scripts/play in build-p1:
#   tools/readme_picture/make_readme_picture.sh "build-p1/orvik - lantern.01.avi" 75 \
#       docs/orvik_lantern.png 54 70 86 102 150 177
# (the ball tree in its cage of glowing frames, the fireworks over the water,
# the particle ball over the dance floor, fireworks over the cubes in the sky
# room, the open tree in the climax, the title held over the last chord).
set -euo pipefail
avi=${1:?usage: make_readme_picture.sh <render.avi> <bpm> <out.png> <beat>...}
bpm=${2:?no bpm}
out=${3:?no output file}
shift 3
[ $# -gt 0 ] || { echo "make_readme_picture.sh: no beats given" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i=0
for beat in "$@"; do
    seconds=$(awk -v b="$beat" -v t="$bpm" 'BEGIN { printf "%.3f", b * 60 / t }')
    ffmpeg -v error -ss "$seconds" -i "$avi" -frames:v 1 -vf scale=424:-2 \
        "$work/$(printf %02d $i).png"
    i=$((i + 1))
done
montage "$work"/*.png -tile 3x -geometry +2+2 -background black "$work/tiles.png"
convert "$work/tiles.png" -resize 1280x -strip "$out"
identify "$out"
