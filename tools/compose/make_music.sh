#!/usr/bin/env bash
# Rebuilds the music of one song under data/music/: the MIDI note data, the
# OGG Vorbis audio, the music description and its LFO template, named after
# the song. Needs a built velmo_compose (any build folder) and oggenc.
#   tools/compose/make_music.sh <song> [build folder]
# <song> is a folder under tools/compose/songs/ (glass_harbour_signal).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
song="${1:?usage: make_music.sh <song> [build folder]}"
build="${2:-$root/build}"
spec="$root/tools/compose/songs/$song/song.txt"
[ -f "$spec" ] || { echo "make_music.sh: no $spec" >&2; exit 1; }
name=$(sed -n 's/^name[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$spec")
cmake --build "$build" --target velmo_compose
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/compose/velmo_compose" "$spec" "$work"
oggenc -Q -q 3 -o "$work/$name.ogg" "$work/$name.wav"
mkdir -p "$root/data/music"
cp "$work/$name.ogg" "$work/$name.mid" "$work/$name.xml" "$root/data/music/"
[ ! -f "$work/${name}_lfo.xml" ] || cp "$work/${name}_lfo.xml" "$root/data/music/"
ls -l "$root/data/music/$name"*
