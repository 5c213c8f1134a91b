#!/usr/bin/env bash
# A viewer's check of a rendered show: what an audience notices in the
# video, measured on every frame (one decoding pass with ffmpeg).
#
#   tests/e2e/viewer_check.sh <video> [max-dark-percent]
#
#   <video>             a rendered show (the dump's AVI, any size)
#   max-dark-percent    the share of dark seconds allowed, 15 unless given
#
# Fails on
# - a run of 5 or more black frames (the brightest pixel under 20 of 255)
#   from 2 s after the start to 1 s before the end (a closing fade ends in
#   that last second);
# - a run of one or two frames whose mean colour jumps away from both
#   neighbours by more than 40 of 255 (Y, U and V together: the sum of the
#   three means' differences) while the neighbours agree within 12: a
#   one-frame pop, or a flash that does not rise or decay;
# - more dark seconds than allowed: whole seconds whose mean brightness is
#   under 20 of 255.
# Prints each finding with its time and one summary line:
#   viewer: <frames> frames <W>x<H> at <fps> fps; black runs <n> (<frames>
#   frames); jumps <n>; dark seconds <d> of <s> (<p> %, at most <max> %)
# Exit code 0 when the show passes, 1 when it fails (a "FAIL: " line on
# stderr names each failed rule), 2 when the video cannot be read.
set -euo pipefail

video=${1:?usage: viewer_check.sh <video> [max-dark-percent]}
max_dark=${2:-15}
if ! [[ $max_dark =~ ^[0-9]+([.][0-9]+)?$ ]]; then
    echo "viewer_check: max-dark-percent is '$max_dark', not a number" >&2
    exit 2
fi
if ! info=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height,r_frame_rate \
            -of csv=p=0 "$video") || [ -z "$info" ]; then
    echo "viewer_check: cannot read a video stream from '$video'" >&2
    exit 2
fi

stats=$(mktemp)
trap 'rm -f -- "$stats"' EXIT
# Full-range 8-bit YUV, so that 0 is black and 255 white whatever the codec.
if ! ffmpeg -v error -nostdin -i "$video" -map 0:v:0 \
        -vf "scale=out_range=full,format=yuvj420p,signalstats,metadata=mode=print:file=$stats" \
        -f null - ; then
    echo "viewer_check: ffmpeg cannot decode '$video'" >&2
    exit 2
fi

python3 - "$stats" "$info" "$max_dark" <<'PY'
import sys

stats_file, info, max_dark = sys.argv[1], sys.argv[2], float(sys.argv[3])
width, height, rate = info.strip().split(',')[:3]
num, den = rate.split('/')
fps = float(num) / float(den)

BLACK_MAX = 20       # a frame whose brightest pixel is under this is black
BLACK_RUN = 5        # frames in a run of black frames that fails
LEAD_IN = 2.0        # seconds after the start where black runs count
LEAD_OUT = 1.0       # seconds before the end where they stop counting
JUMP = 40            # a jump away from a neighbour (Y + U + V)
AGREE = 12           # neighbours that agree (Y + U + V)
DARK_MEAN = 20       # a second whose mean brightness is under this is dark

frames = []          # (brightest Y, mean Y, mean U, mean V) per frame
current = {}
for line in open(stats_file):
    line = line.strip()
    if line.startswith('frame:'):
        if current:
            frames.append(current)
        current = {}
    elif line.startswith('lavfi.signalstats.'):
        key, value = line[len('lavfi.signalstats.'):].split('=', 1)
        if key in ('YMAX', 'YAVG', 'UAVG', 'VAVG'):
            current[key] = float(value)
if current:
    frames.append(current)
if not frames:
    print("viewer_check: no frames decoded", file=sys.stderr)
    sys.exit(2)

n = len(frames)
seconds_of = lambda i: i / fps
failed = []

# Runs of black frames between the lead-in and the lead-out.
first = int(round(LEAD_IN * fps))
last = n - int(round(LEAD_OUT * fps))      # exclusive
black_runs = []
i = first
while i < last:
    if frames[i]['YMAX'] < BLACK_MAX:
        j = i
        while j < last and frames[j]['YMAX'] < BLACK_MAX:
            j += 1
        if j - i >= BLACK_RUN:
            black_runs.append((i, j - i))
        i = j
    else:
        i += 1
for start, length in black_runs:
    print(f"black: {length} frames from {seconds_of(start):.3f} s to {seconds_of(start + length):.3f} s")
if black_runs:
    failed.append(f"{len(black_runs)} runs of {BLACK_RUN} or more black frames")

# One- and two-frame jumps of the mean colour between agreeing neighbours.
def distance(a, b):
    return sum(abs(frames[a][k] - frames[b][k]) for k in ('YAVG', 'UAVG', 'VAVG'))

jumps = []
for length in (1, 2):
    for i in range(1, n - length):
        before, after = i - 1, i + length
        if distance(before, after) > AGREE:
            continue
        if all(distance(j, before) > JUMP and distance(j, after) > JUMP for j in range(i, i + length)):
            jumps.append((i, length))
jumps.sort()
for start, length in jumps:
    ys = ' '.join(f"{frames[j]['YAVG']:.0f}" for j in range(start - 1, start + length + 1))
    print(f"jump: {length} frame{'s' if length > 1 else ''} at {seconds_of(start):.3f} s "
          f"(frame {start}; mean Y {ys})")
if jumps:
    failed.append(f"{len(jumps)} one- or two-frame jumps of the picture's colour")

# Dark seconds: every whole second of the show.
per_second = int(round(fps))
whole = n // per_second
dark = []
for s in range(whole):
    chunk = frames[s * per_second:(s + 1) * per_second]
    mean = sum(f['YAVG'] for f in chunk) / len(chunk)
    if mean < DARK_MEAN:
        dark.append((s, mean))
share = 100.0 * len(dark) / whole if whole else 0.0
if dark:
    print("dark seconds: " + ' '.join(f"{s}s({m:.0f})" for s, m in dark))
if share > max_dark:
    failed.append(f"{share:.1f} % dark seconds, more than {max_dark:g} %")

black_frames = sum(length for _, length in black_runs)
print(f"viewer: {n} frames {width}x{height} at {fps:g} fps; black runs {len(black_runs)} "
      f"({black_frames} frames); jumps {len(jumps)}; dark seconds {len(dark)} of {whole} "
      f"({share:.1f} %, at most {max_dark:g} %)")
for f in failed:
    print(f"FAIL: {f}", file=sys.stderr)
sys.exit(1 if failed else 0)
PY
