#!/usr/bin/env bash
# Rebuilds the music of one song under data/music/, named after the song.
# A song with a description line: the MIDI note data, the music description,
# its LFO template (when the song has an LFO) and the audio stream the
# description names (.ogg encoded with oggenc, .mp3 with lame). A song
# without one: only its audio, as MP3 (lame).
# Needs a built velmo_compose (any build folder), oggenc and lame.
#   tools/compose/make_music.sh <song> [build folder]
# <song> is a folder under tools/compose/songs/ (glass_harbour_signal).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
song="${1:?usage: make_music.sh <song> [build folder]}"
build="${2:-$root/build}"
song_file="$root/tools/compose/songs/$song/song.txt"
[ -f "$song_file" ] || { echo "make_music.sh: no $song_file" >&2; exit 1; }
name=$(sed -n 's/^name[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$song_file")
cmake --build "$build" --target velmo_compose
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/compose/velmo_compose" "$song_file" "$work"
if [ -f "$work/$name.xml" ]; then
    audio=$(sed -n 's/.*stream_filename="\([^"]*\)".*/\1/p' "$work/$name.xml" | head -n 1)
else
    audio="$name.mp3"
fi
case "$audio" in
    "$name.ogg") oggenc -Q -q 3 -o "$work/$audio" "$work/$name.wav" ;;
    "$name.mp3") lame --quiet -q 2 -b 160 "$work/$name.wav" "$work/$audio" ;;
    *) echo "make_music.sh: the description names '$audio', not $name.ogg or $name.mp3" >&2; exit 1 ;;
esac
mkdir -p "$root/data/music"
rm "$work/$name.wav"
cp "$work"/* "$root/data/music/"
ls -l "$root/data/music/$name"*
