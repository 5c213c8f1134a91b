#!/usr/bin/env bash
# Production 1, "orvik - lantern", from its own run folder: plays in a small
# window to the end of its song (its loading screen, then the nine
# scenes in turn) and ends by itself with exit code 0 and no error line.
# Small, so that its heavy sections cost the shared renderer little.
set -euo pipefail
source "$(dirname "$0")/production_support.sh"

play_in_window "${VELMO_PRODUCTION1_DIR:?}" 320x180
[ "$title" = "orvik - lantern" ] || fail "production 1 is titled '$title'"
echo "PASS: played ${elapsed}s of a ${song}s song"
