#!/usr/bin/env bash
# The build's production renders to AVI as scripts/play does without a
# display, in a folder of its own (check_dump): Motion JPEG at the quality
# asked for, video and audio of the song's full length, frames spread over
# the show neither black nor alike.
#   production_dump_e2etest.sh <velmorin>
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

check_dump "$1" "$binary_dir" 960x540  # the whole show, about 4900 frames: kept small for CI
echo "PASS: $avi"
