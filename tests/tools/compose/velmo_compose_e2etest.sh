#!/usr/bin/env bash
# velmo_compose: every song's committed note data, music description and LFO
# template are what the tool writes from its song.txt (byte for byte), and
# a bad song file is refused with its file and line.
set -euo pipefail
tool="$VELMO_BINARY_DIR/tools/compose/velmo_compose"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. The committed files of every song.
songs=0
for spec in "$VELMO_SOURCE_DIR"/tools/compose/songs/*/song.txt; do
    name=$(sed -n 's/^name[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$spec")
    out="$work/$name"
    mkdir -p "$out"
    "$tool" "$spec" "$out" --no-audio > /dev/null || { fail "$spec refused"; continue; }
    for f in "$out"/*; do
        cmp -s "$f" "$VELMO_SOURCE_DIR/data/music/$(basename "$f")" ||
            fail "data/music/$(basename "$f") is not what $spec gives (run tools/compose/make_music.sh)"
    done
    [ -f "$out/$name.mid" ] && [ -f "$out/$name.xml" ] || fail "$name: no note data or description written"
    songs=$((songs + 1))
done
[ "$songs" -ge 1 ] || fail "no songs under tools/compose/songs/"

# 2. Bad song files: exit 1, "song.txt:<line>: " on stderr.
good="$VELMO_SOURCE_DIR/tools/compose/songs/glass_harbour_signal/song.txt"
check_refused() {
    local line=$1 text=$2
    mkdir -p "$work/bad"
    cp "$VELMO_SOURCE_DIR/tools/compose/songs/glass_harbour_signal/description.xml" "$work/bad/"
    { head -n "$((line - 1))" "$good"; printf '%s\n' "$text"; tail -n "+$((line + 1))" "$good"; } > "$work/bad/song.txt"
    if "$tool" "$work/bad/song.txt" "$work/bad" --no-audio > /dev/null 2> "$work/err"; then
        fail "accepted: $text"
    elif ! grep -q "song.txt:$line: " "$work/err"; then
        fail "no song.txt:$line in: $(cat "$work/err") for $text"
    fi
}
line_of() { grep -n "^$1" "$good" | head -n 1 | cut -d: -f1; }
check_refused "$(line_of bpm)" "bpm 0"
check_refused "$(line_of tempo)" "tempo 99999999"
check_refused "$(line_of beats)" "beats many"
check_refused "$(line_of key)" "key 9 minor"
check_refused "$(line_of 'track  *Bass')" "track Bass : tuba"
check_refused "$(line_of 'track  *Lead')" "track Bass : lead"
check_refused "$(line_of drum)" "drum 200 kick"
check_refused "$(line_of lfo)" "lfo Nothing : 1 1 2"
check_refused "$(line_of arp)" "arp RaveBleep : -1"
check_refused "$(line_of name)" "colour blue"

if [ "$failures" -eq 0 ]; then
    echo "velmo_compose: $songs songs match, bad song files refused"
else
    echo "velmo_compose: $failures failed"
    exit 1
fi
