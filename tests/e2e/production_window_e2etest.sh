#!/usr/bin/env bash
# The production plays in a window ("&Run", fullscreen off) and ends by itself
# at the end of its music with exit code 0 and no error line.
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

play_in_window "$binary_dir" 1280x720
echo "PASS: played ${elapsed}s of a ${song}s song"
