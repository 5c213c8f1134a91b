# Shared by the production's end-to-end tests (sourced, not a test itself).
# Each test starts its own Xvfb, small, so that the settings dialog
# preselects that size and the software renderer stays quick.

source_dir=${VELMO_SOURCE_DIR:?}
binary_dir=${VELMO_BINARY_DIR:?}
title="Glass Harbour Signal"

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

# A temporary folder to run velmorin in, holding links to the program and to
# the build's data.vlm, so that the files a test writes never touch the build
# folder (where a user's own render may lie). Sets run_dir; removed on exit.
make_run_dir() {
    run_dir=$(mktemp -d)
    trap 'clean_up' EXIT
    ln -s "$binary_dir/data.vlm" "$run_dir/data.vlm"
    ln -s "$1" "$run_dir/velmorin"
}

clean_up() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${run_dir:-}" ] && rm -rf -- "$run_dir" || true
}

# Length in seconds of the song the production plays, from the audio file
# its music description names.
song_seconds() {
    local xml=$source_dir/data/music/glass_harbour_signal.xml audio
    audio=$(sed -n 's/.*stream_filename="\([^"]*\)".*/\1/p' "$xml" | head -n 1)
    [ -n "$audio" ] || fail "no audio file named in $xml"
    ffprobe -v error -show_entries format=duration -of csv=p=0 "$source_dir/data/music/$audio"
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
