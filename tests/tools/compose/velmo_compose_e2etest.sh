#!/usr/bin/env bash
# velmo_compose: every song's committed note data, music description and LFO
# template are what the tool writes from its song.txt (byte for byte); a song
# without a description gets only its audio, as long as its beats and tail
# at its tempo, and its committed MP3 decodes to that audio; a bad song file
# is refused with its file and line.
set -euo pipefail
tool="$VELMO_BINARY_DIR/tools/compose/velmo_compose"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A song without a description: no note data and no description, with or
# without audio; the WAV holds (beats * 60 / bpm + tail) seconds, and the
# committed data/music/<name>.mp3 decodes to as many frames, sample for sample
# close to the rendering (lag 0; a shift of one frame is already four times
# as far off as the encoding's own error).
check_audio_only() {
    local song_file=$1 name=$2 out=$3 frames
    [ -z "$(ls -A "$out")" ] || fail "$name: --no-audio wrote $(ls "$out")"
    "$tool" "$song_file" "$out" > /dev/null || { fail "$song_file not rendered"; return; }
    [ "$(ls "$out")" = "$name.wav" ] || fail "$name: wrote $(ls "$out" | tr '\n' ' ')instead of only $name.wav"
    value() { sed -n "s/^$1[[:space:]]\+\([^[:space:]#]*\).*/\1/p" "$song_file"; }
    frames=$(awk -v beats="$(value beats)" -v bpm="$(value bpm)" -v tail="$(value tail)" \
        'BEGIN { printf "%d", (beats * 60.0 / bpm + tail) * 44100 }')
    local wav_bytes=$(($(stat -c %s "$out/$name.wav") - 44))
    [ "$wav_bytes" -eq $((frames * 4)) ] || fail "$name: $((wav_bytes / 4)) frames rendered, $frames expected"
    local mp3="$VELMO_SOURCE_DIR/data/music/$name.mp3"
    [ -f "$mp3" ] || { fail "$name: no data/music/$name.mp3"; return; }
    ffmpeg -v error -i "$mp3" -f s16le -ac 2 -ar 44100 -y "$out/decoded.raw" || { fail "$mp3 not decoded"; return; }
    python3 - "$out/$name.wav" "$out/decoded.raw" <<'PY' || fail "data/music/$name.mp3 is not the rendering of $song_file (run tools/compose/make_music.sh)"
import array, sys
def samples(path, header):
    a = array.array('h')
    with open(path, 'rb') as f:
        f.seek(header)
        a.frombytes(f.read())
    return a
wav, mp3 = samples(sys.argv[1], 44), samples(sys.argv[2], 0)
if len(wav) != len(mp3):
    sys.exit(f"{len(mp3) // 2} frames decoded, {len(wav) // 2} rendered")
worst = 0.0
for k in range(1, 13):  # twelve windows of 0.1 s spread over the song
    start = (len(wav) // 2 * k // 13) * 2
    w, m = wav[start:start + 8820], mp3[start:start + 8820]
    error = sum((a - b) ** 2 for a, b in zip(w, m)) / max(1, sum(a * a for a in w))
    worst = max(worst, error)
if worst > 0.05:
    sys.exit(f"decoded MP3 off the rendering by {worst:.3f} of its energy")
PY
}

# 1. The committed files of every song.
songs=0
for song_file in "$VELMO_SOURCE_DIR"/tools/compose/songs/*/song.txt; do
    name=$(sed -n 's/^name[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$song_file")
    out="$work/$name"
    mkdir -p "$out"
    "$tool" "$song_file" "$out" --no-audio > /dev/null || { fail "$song_file refused"; continue; }
    songs=$((songs + 1))
    if ! grep -q '^description[[:space:]]' "$song_file"; then
        check_audio_only "$song_file" "$name" "$out"
        continue
    fi
    for f in "$out"/*; do
        cmp -s "$f" "$VELMO_SOURCE_DIR/data/music/$(basename "$f")" ||
            fail "data/music/$(basename "$f") is not what $song_file gives (run tools/compose/make_music.sh)"
    done
    [ -f "$out/$name.mid" ] && [ -f "$out/$name.xml" ] || fail "$name: no note data or description written"
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
