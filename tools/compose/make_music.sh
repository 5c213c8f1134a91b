#!/usr/bin/env bash
# Rebuilds the music of "Glass Harbour Signal" under data/music/:
# the MIDI note data, the OGG Vorbis audio, the music description and its
# LFO template. Needs a built velmo_compose (any build folder) and oggenc.
#   tools/compose/make_music.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target velmo_compose
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/compose/velmo_compose" "$work"
oggenc -Q -q 3 -o "$work/glass_harbour_signal.ogg" "$work/glass_harbour_signal.wav"
mkdir -p "$root/data/music"
cp "$work/glass_harbour_signal.ogg" "$work/glass_harbour_signal.mid" \
   "$work/glass_harbour_signal.xml" "$work/glass_harbour_signal_lfo.xml" "$root/data/music/"
ls -l "$root/data/music/"glass_harbour_signal*
