#!/usr/bin/env bash
# velmo_tracks: the bytes of a written track file, the refusal of bad
# timelines, and that every production's committed track files match their
# timelines.
set -euo pipefail
tool="$VELMO_BINARY_DIR/tools/tracks/velmo_tracks"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. Keys by row and by beat (8 rows per beat), all four interpolations.
cat > "$work/a.timeline" <<'T'
# comment line
track demoTrack        # trailing comment
0     -1      hold
2b    0.5     linear
17    2       smooth
3.5b  1e-3    ramp
40    7       quadratic
track other
5     3       step
T
"$tool" "$work/out" "$work/a.timeline" > /dev/null
expected=$(python3 - <<'P'
import struct
keys = [(0, -1.0, 0), (16, 0.5, 1), (17, 2.0, 2), (28, 1e-3, 3), (40, 7.0, 3)]
print((struct.pack('<i', len(keys)) + b''.join(struct.pack('<ifB', r, v, t) for r, v, t in keys)).hex())
P
)
actual=$(xxd -p "$work/out/_demoTrack.track" | tr -d '\n')
[ "$actual" = "$expected" ] || fail "demoTrack bytes: $actual != $expected"
[ "$(xxd -p "$work/out/_other.track" | tr -d '\n')" = "01000000050000000000404000" ] || fail "other bytes"

# 2. Bad timelines: exit 1, "file:line: ..." on stderr, nothing written.
check_refused() {
    local text=$1 line=$2
    printf '%b' "$text" > "$work/bad.timeline"
    rm -rf "$work/badout"
    if "$tool" "$work/badout" "$work/a.timeline" "$work/bad.timeline" > /dev/null 2> "$work/err"; then
        fail "accepted: $text"
    elif ! grep -q "bad.timeline:$line: " "$work/err"; then
        fail "no bad.timeline:$line in: $(cat "$work/err") for $text"
    fi
    [ ! -e "$work/badout" ] || fail "wrote files for: $text"
}
check_refused 'track t\n5 1 hold\n5 2 hold\n' 3          # rows must rise
check_refused 'track t\n1 nan hold\n' 2                   # NaN value
check_refused 'track t\n1 1 wobble\n' 2                   # unknown type
check_refused 'track t\n0.3b 1 hold\n' 2                  # beat off the row grid
check_refused '1 1 hold\n' 1                              # key before a track
check_refused 'track demoTrack\n1 1 hold\n' 1             # name defined twice
check_refused 'track empty\n' 1                           # no keys

# 3. Every production's committed track set is what its timelines give:
#    the same files, byte for byte, and at least the 36 runtime tracks.
sets=0
for set in "$VELMO_SOURCE_DIR"/tools/tracks/timelines/*/; do
    n=$(basename "$set")
    committed=$VELMO_SOURCE_DIR/data/sync_tracker/$n
    "$tool" "$work/all/$n" "$set"*.timeline > /dev/null || fail "timelines of production $n refused"
    (cd "$work/all/$n" && ls _*.track) > "$work/made" 2>/dev/null || true
    (cd "$committed" 2>/dev/null && ls _*.track) > "$work/kept" 2>/dev/null || true
    cmp -s "$work/made" "$work/kept" ||
        fail "data/sync_tracker/$n/ holds other tracks than its timelines (run tools/tracks/rebuild.sh)"
    while read -r name; do
        cmp -s "$work/all/$n/$name" "$committed/$name" ||
            fail "data/sync_tracker/$n/$name differs from its timeline (run tools/tracks/rebuild.sh)"
    done < "$work/made"
    count=$(wc -l < "$work/made")
    [ "$count" -ge 36 ] || fail "only $count tracks in the timelines of production $n"
    sets=$((sets + 1))
done
[ "$sets" -ge 2 ] || fail "only $sets track sets under tools/tracks/timelines/"

if [ "$failures" -eq 0 ]; then
    echo "velmo_tracks: 3 passed, 0 failed"
else
    echo "velmo_tracks: $failures failed"
    exit 1
fi
