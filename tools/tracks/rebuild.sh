#!/usr/bin/env bash
# Regenerates every production's sync tracks: the timelines under
# tools/tracks/timelines/<n>/ become data/sync_tracker/<n>/_*.track (tracks
# no longer in a timeline are removed). Usage: tools/tracks/rebuild.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target velmo_tracks
for set in "$root"/tools/tracks/timelines/*/; do
    n=$(basename "$set")
    out=$root/data/sync_tracker/$n
    mkdir -p "$out"
    rm -f "$out"/_*.track
    "$build/tools/tracks/velmo_tracks" "$out" "$set"*.timeline
done
