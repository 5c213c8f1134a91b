# Shared by the production's end-to-end tests (sourced, not a test itself).
# Each test starts its own Xvfb, small, so that the settings dialog
# preselects that size and the software renderer stays quick.

source_dir=${VELMO_SOURCE_DIR:?}
binary_dir=${VELMO_BINARY_DIR:?}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts Xvfb on a free display with a screen of $1 (such as 1280x720) and
# exports DISPLAY; stopped on exit by its process id.
start_xvfb() {
    local size=$1 fifo num
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
    trap 'clean_up' EXIT
}

# The production of run folder $1 (the build folder, or another
# production's run folder: velmorin, data.vlm, data/ and production.txt):
# sets production_dir, title and music (the music file, empty for none).
use_production() {
    production_dir=$1
    [ -f "$production_dir/production.txt" ] || fail "no production.txt in $production_dir"
    title=$(sed -n 's/^title=//p' "$production_dir/production.txt")
    music=$(sed -n 's/^music=//p' "$production_dir/production.txt")
}

# A temporary folder to run velmorin $1 in, holding links to it and to the
# data.vlm and production.txt of run folder $2 (the build folder unless
# given), so that the files a test writes never touch the build folder
# (where a user's own render may lie). Sets run_dir and, through
# use_production, title and music; removed on exit.
make_run_dir() {
    use_production "${2:-$binary_dir}"
    run_dir=$(mktemp -d)
    trap 'clean_up' EXIT
    ln -s "$production_dir/data.vlm" "$run_dir/data.vlm"
    ln -s "$production_dir/production.txt" "$run_dir/production.txt"
    ln -s "$1" "$run_dir/velmorin"
}

clean_up() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${run_dir:-}" ] && rm -rf -- "$run_dir" || true
}

# Length in seconds of the show of the run folder's production: its audio
# file (the one its music description names), or the 10 seconds of a
# production without music.
song_seconds() {
    local file=$music audio
    if [ -z "$file" ]; then
        echo 10
        return
    fi
    if [[ $file == *.xml ]]; then
        audio=$(sed -n 's/.*stream_filename="\([^"]*\)".*/\1/p' "$production_dir/$file" | head -n 1)
        [ -n "$audio" ] || fail "no audio file named in $file"
        file=$(dirname "$file")/$audio
    fi
    ffprobe -v error -show_entries format=duration -of csv=p=0 "$production_dir/$file"
}

# Checks sampled grey frames (one file per sample under folder $1): none is
# black, no two are alike.
check_frames_lit_and_distinct() {
    python3 - "$1" <<'PY' || fail "sampled frames are black or alike"
import os, sys
d = sys.argv[1]
frames = {}
for name in sorted(os.listdir(d), key=lambda n: float(n[:-5])):
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
}

# Duration of one stream ("v:0" or "a:0") of a media file in seconds: the sum
# of its packets' durations (the AVI's PCM audio has no stream duration).
stream_seconds() {
    ffprobe -v error -select_streams "$2" -show_entries packet=duration_time -of csv=p=0 "$1" |
        awk '{ s += $1 } END { printf "%.3f\n", s }'
}

# Waits for process $1 for at most $2 seconds (polling, so that nothing is
# left behind); sets wait_rc to its exit code, or kills it and sets 124.
wait_at_most() {
    local pid=$1 seconds=$2 i
    for ((i = 0; i < seconds * 2; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            set +e
            wait "$pid"
            wait_rc=$?
            set -e
            return 0
        fi
        sleep 0.5
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    wait_rc=124
}

# Renders a production to AVI as scripts/play does without a display:
# velmorin $1 with the data of run folder $2, in a folder of its own, under
# an Xvfb of size $3; scripts/dump-video answers the settings dialog with
# "Get &avi" and the compression dialog with Motion JPEG at quality 75.
# Checks one MJPEG part at that quality whose video lasts as long as the
# show, audio as long when the production has music and none when it has
# not, and that no sound device was looked for. Sets avi to the file (in run_dir) and song to the show's length.
render_dump() {
    start_xvfb "$3"
    make_run_dir "$1" "$2"
    local log=$run_dir/dump.log rc=0
    VELMO_VIDEO_QUALITY=75 "$source_dir/scripts/dump-video" "$run_dir" >"$log" 2>&1 || rc=$?
    cat "$log"
    [ "$rc" -eq 0 ] || fail "dump-video exited with $rc"
    # The render plays nothing, so it opens no sound device (none to find).
    ! grep -q "^ALSA lib" "$log" || fail "the render looked for a sound card"

    cd "$run_dir"
    shopt -s nullglob
    local files=("$title".[0-9][0-9].avi)
    [ ${#files[@]} -eq 1 ] || fail "expected one AVI part, found ${#files[@]}"
    avi=${files[0]}

    local video audio streams codec quality
    song=$(song_seconds)
    video=$(stream_seconds "$avi" v:0)
    streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$avi" | sort | tr '\n' ' ')
    if [ -n "$music" ]; then
        audio=$(stream_seconds "$avi" a:0)
        [ "$streams" = "audio video " ] || fail "streams: $streams, expected one audio and one video"
    else
        audio=$song
        [ "$streams" = "video " ] || fail "streams: $streams, expected one video and no audio"
    fi
    echo "show ${song}s, video ${video}s, audio ${audio}s"
    awk -v s="$song" -v v="$video" -v a="$audio" 'BEGIN {
        if (v < s - 1.0 || v > s + 1.0) exit 1
        if (a < s - 1.0 || a > s + 1.0) exit 1
    }' || fail "the video or the audio does not last as long as the show"

    codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$avi")
    [ "$codec" = "mjpeg" ] || fail "video codec is '$codec', expected mjpeg"
    quality=$(ffmpeg -v error -i "$avi" -map 0:v -frames:v 1 -c:v copy -f mjpeg - | identify -format %Q jpg:-)
    [ "$quality" = "75" ] || fail "the frames' JPEG quality is '$quality', expected 75"
}

# render_dump of the production in its own run folder $1 (its velmorin and
# data) under an Xvfb of size $2, which must be titled $3 and play music $4;
# checks 30 frames per second.
render_production() {
    render_dump "$1/velmorin" "$1" "$2"
    [ "$title" = "$3" ] || fail "the production in $1 is titled '$title', expected '$3'"
    [ "$music" = "$4" ] || fail "the production in $1 plays '$music', expected '$4'"
    local rate
    rate=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$avi")
    [ "$rate" = "30/1" ] || fail "frame rate: $rate, expected 30/1"
}

# render_dump, then seven frames spread over the show that are neither black
# nor alike.
check_dump() {
    render_dump "$@"
    # One small grey frame per sample time; for production 3 one in each scene.
    local frames_dir=$run_dir/frames t
    mkdir "$frames_dir"
    for t in $(awk -v s="$song" 'BEGIN { n = split("0.093 0.217 0.373 0.528 0.683 0.807 0.932", f, " ");
                                        for (i = 1; i <= n; i++) printf "%.2f ", f[i] * s }'); do
        ffmpeg -v error -ss "$t" -i "$avi" -frames:v 1 -vf scale=80:45 -f rawvideo -pix_fmt gray \
            "$frames_dir/$t.gray" || fail "cannot extract the frame at ${t}s"
    done
    check_frames_lit_and_distinct "$frames_dir"
}

# Production 2, "Quibbo", shows its shapes only while drum notes are held:
# in its groove (bars 8 to 27 at 120 BPM, two seconds a bar) the kick holds
# the frame from the bar's start for 0.15 s, the snare the red centre from
# one second in, and nothing shows from 0.15 s to 0.25 s. Checks, in the
# AVI $avi, frames at such hits lit and unlike the frames between them,
# which are black.
check_drum_hits() {
    local frames_dir=$run_dir/hits bar
    mkdir "$frames_dir"
    for bar in 8 12 16 20 24; do
        extract_grey "$frames_dir" "hit-$bar-kick" "$(awk -v b="$bar" 'BEGIN { printf "%.3f", b * 2 + 0.05 }')"
        extract_grey "$frames_dir" "hit-$bar-snare" "$(awk -v b="$bar" 'BEGIN { printf "%.3f", b * 2 + 0.55 }')"
        extract_grey "$frames_dir" "gap-$bar" "$(awk -v b="$bar" 'BEGIN { printf "%.3f", b * 2 + 0.19 }')"
    done
    python3 - "$frames_dir" <<'PY' || fail "frames at drum hits are not lit, or frames between hits not black"
import os, sys
d = sys.argv[1]
frames = {n[:-5]: open(os.path.join(d, n), 'rb').read() for n in sorted(os.listdir(d))}
lit = {n: sum(1 for b in f if b > 24) / len(f) for n, f in frames.items()}
for n in frames:
    print(f"{n}: lit {lit[n]:.2%}")
    if n.startswith("hit") and lit[n] < 0.01:
        sys.exit(f"frame {n} at a drum hit is black")
    if n.startswith("gap") and lit[n] > 0.001:
        sys.exit(f"frame {n} between drum hits is not black")
for n in frames:
    if n.startswith("gap"):
        for h in frames:
            if h.startswith("hit"):
                diff = sum(abs(x - y) for x, y in zip(frames[n], frames[h])) / len(frames[n])
                if diff < 1.0:
                    sys.exit(f"frames {n} and {h} are alike (mean difference {diff:.2f})")
PY
}

# Writes the frame of $avi at $3 seconds as a small grey picture $1/$2.gray.
extract_grey() {
    ffmpeg -v error -ss "$3" -i "$avi" -frames:v 1 -vf scale=320:180 -f rawvideo -pix_fmt gray \
        "$1/$2.gray" || fail "cannot extract the frame at ${3}s"
}

# A viewer's check of the show in $avi, which lasts $song seconds: frames
# sampled every $3 seconds from $1 seconds to $2 seconds (the stretch between
# the opening fade and the closing one) each have a mean brightness of at
# least $4 (0 to 255, over the whole frame with its side bars), and no two
# are alike; two frames at seconds $5 and $6, the ending picture, are lit
# and alike (it holds). One decoding pass over the video.
check_show_for_a_viewer() {
    local from=$1 to=$2 every=$3 min_mean=$4 hold_a=$5 hold_b=$6 frames fps
    fps=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$avi")
    frames=$(awk -v f="$from" -v t="$to" -v e="$every" -v a="$hold_a" -v b="$hold_b" -v r="$fps" 'BEGIN {
        split(r, q, "/"); fps = q[1] / q[2]
        for (s = f; s <= t; s += e) printf "%d ", s * fps
        printf "%d %d", a * fps, b * fps }')
    local select=""
    for n in $frames; do select+="eq(n\\,$n)+"; done
    ffmpeg -v error -i "$avi" -vf "select='${select%+}',scale=80:45" -vsync vfr -f rawvideo -pix_fmt gray \
        "$run_dir/viewer.gray" || fail "cannot extract the viewer's frames"
    python3 - "$run_dir/viewer.gray" "$min_mean" $frames <<'PY' || fail "the show is dark or still where a viewer watches it"
import sys
data = open(sys.argv[1], 'rb').read()
min_mean = float(sys.argv[2])
numbers = [int(n) for n in sys.argv[3:]]
size = 80 * 45
wanted = sorted(set(numbers))
if len(data) != size * len(wanted):
    sys.exit(f"expected {len(wanted)} frames, got {len(data) / size}")
frame = {n: data[i * size:(i + 1) * size] for i, n in enumerate(wanted)}
mean = {n: sum(f) / size for n, f in frame.items()}
diff = lambda a, b: sum(abs(x - y) for x, y in zip(frame[a], frame[b])) / size
samples, (hold_a, hold_b) = numbers[:-2], numbers[-2:]
for n in samples:
    print(f"frame {n}: mean {mean[n]:.1f}")
dark = [n for n in samples if mean[n] < min_mean]
if dark:
    sys.exit(f"frames {dark} are darker than {min_mean}")
for i, a in enumerate(samples):
    for b in samples[i + 1:]:
        if diff(a, b) < 2.0:
            sys.exit(f"frames {a} and {b} are alike (mean difference {diff(a, b):.2f})")
print(f"ending picture: frames {hold_a} and {hold_b}, means {mean[hold_a]:.1f} and {mean[hold_b]:.1f}, "
      f"difference {diff(hold_a, hold_b):.2f}")
if min(mean[hold_a], mean[hold_b]) < min_mean or diff(hold_a, hold_b) > 1.0:
    sys.exit("no ending picture held over the last chord")
PY
}

# Plays the production of run folder $1 in a window ("&Run", fullscreen off)
# under an Xvfb of size $2 (the dialog preselects it), from that folder;
# checks that it ends by itself at the end of its music, not before, with
# exit code 0 and no error line. Sets elapsed and song.
play_in_window() {
    use_production "$1"
    start_xvfb "$2"
    cd "$production_dir"
    song=$(song_seconds)
    local log settings="" limit start i
    log=$(mktemp)

    start=$(date +%s)
    ./velmorin >"$log" 2>&1 &
    local pid=$!
    for ((i = 0; i < 600; i++)); do
        settings=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
        [ -n "$settings" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    [ -n "$settings" ] || { kill "$pid" 2>/dev/null; cat "$log"; fail "the settings dialog did not appear"; }
    xdotool windowfocus --sync "$settings" 2>/dev/null || xdotool windowfocus "$settings"
    sleep 0.3
    xdotool key --delay 100 alt+f alt+r

    limit=$(awk -v s="$song" 'BEGIN { printf "%d", s * 3 + 120 }')
    wait_at_most "$pid" "$limit"
    local rc=$wait_rc
    elapsed=$(( $(date +%s) - start ))
    cat "$log"

    [ "$rc" -eq 0 ] || fail "velmorin exited with $rc after ${elapsed}s"
    awk -v e="$elapsed" -v s="$song" 'BEGIN { exit !(e >= s - 2) }' ||
        fail "the show ended after ${elapsed}s, before the end of the ${song}s song"
    ! grep -q "ERROR: " "$log" || fail "an error line was printed"
    rm -f "$log"
}
