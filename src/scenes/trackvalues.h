#pragma once
// Sync-track values as the ints the text-mode scenes draw with. A track can
// hold anything (NaN, infinities, 1e30); each use clamps to what it can take.
#include "util/math/mathutils.h"

// A position this far off the 80 x 50 canvas draws nothing, and the offsets
// the scenes add to it stay well inside int.
constexpr int kFarOffCanvas = 1 << 20;
// Cells of the canvas: no per-frame loop of cells needs to run more often.
constexpr int kCanvasCells = 80 * 50;

inline int track_position(float value)
{
    return clamp_to_int(value, -kFarOffCanvas, kFarOffCanvas);
}

// A number of things to draw: 0 to one per canvas cell.
inline int track_count(float value)
{
    return clamp_to_int(value, 0, kCanvasCells);
}

// The "flash" level: 0 (none or less) to 3 (white).
inline int flash_level(float value)
{
    return clamp_to_int(value, 0, 3);
}
