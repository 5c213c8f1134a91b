#!/usr/bin/env bash
# The whole production renders to AVI as scripts/play does without a display:
# scripts/dump-video answers the settings dialog with "Get &avi" and the
# compression dialog with Motion JPEG at the quality asked for. The files
# carry video and audio of the song's full length, and frames taken at
# several times are neither black nor alike. Runs in a folder of its own.
#   production_dump_e2etest.sh <velmorin>
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

start_xvfb 960x540  # the whole show, about 4900 frames: kept small for CI
make_run_dir "$1"
VELMO_VIDEO_QUALITY=75 "$source_dir/scripts/dump-video" "$run_dir" || fail "dump-video exited with $?"

cd "$run_dir"
shopt -s nullglob
files=("$title".[0-9][0-9].avi)
[ ${#files[@]} -eq 1 ] || fail "expected one AVI part, found ${#files[@]}"
avi=${files[0]}

song=$(song_seconds)
video=$(stream_seconds "$avi" v:0)
audio=$(stream_seconds "$avi" a:0)
echo "song ${song}s, video ${video}s, audio ${audio}s"
awk -v s="$song" -v v="$video" -v a="$audio" 'BEGIN {
    if (v < s - 1.0 || v > s + 1.0) exit 1
    if (a < s - 1.0 || a > s + 1.0) exit 1
}' || fail "the video or the audio does not last as long as the song"

codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$avi")
[ "$codec" = "mjpeg" ] || fail "video codec is '$codec', expected mjpeg"
quality=$(ffmpeg -v error -i "$avi" -map 0:v -frames:v 1 -c:v copy -f mjpeg - | identify -format %Q jpg:-)
[ "$quality" = "75" ] || fail "the frames' JPEG quality is '$quality', expected 75"

# One small grey frame per sample time, one in each scene of the show.
frames_dir=$run_dir/frames
mkdir "$frames_dir"
for t in 15 35 60 85 110 130 150; do
    ffmpeg -v error -ss "$t" -i "$avi" -frames:v 1 -vf scale=80:45 -f rawvideo -pix_fmt gray \
        "$frames_dir/$t.gray" || fail "cannot extract the frame at ${t}s"
done
python3 - "$frames_dir" <<'PY' || fail "sampled frames are black or alike"
import os, sys
d = sys.argv[1]
frames = {}
for name in sorted(os.listdir(d), key=lambda n: int(n.split('.')[0])):
    data = open(os.path.join(d, name), 'rb').read()
    mean = sum(data) / len(data)
    lit = sum(1 for b in data if b > 24) / len(data)
    print(f"{name}: mean {mean:.1f}, lit {lit:.2%}")
    if lit < 0.01:
        sys.exit(f"frame {name} is black")
    frames[name] = data
names = list(frames)
for i, a in enumerate(names):
    for b in names[i + 1:]:
        diff = sum(abs(x - y) for x, y in zip(frames[a], frames[b])) / len(frames[a])
        if diff < 2.0:
            sys.exit(f"frames {a} and {b} are alike (mean difference {diff:.2f})")
PY
echo "PASS: $avi"
