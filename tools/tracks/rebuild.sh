#!/usr/bin/env bash
# Regenerates data/sync_tracker/_*.track from every timeline under
# tools/tracks/timelines/. Usage: tools/tracks/rebuild.sh [build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target velmo_tracks
mkdir -p "$root/data/sync_tracker"
"$build/tools/tracks/velmo_tracks" "$root/data/sync_tracker" "$root"/tools/tracks/timelines/*.timeline
