#pragma once
// The background flash of the text-mode scenes that read the "flash" track.
#include "util/ascii/asciiengine.h"

// Clears or fills the canvas by the "flash" track value (truncated): 0 or
// less clears, 1 dark grey, 2 light grey, 3 or more white.
void flash_background(AsciiEngine& canvas, float flash);
