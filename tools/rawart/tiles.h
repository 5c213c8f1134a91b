#pragma once
#include "picture.h"

// The 256 x 256 tiling texture of the rotozoomer (velmos.raw): interfering
// waves whose periods divide 256, so the picture wraps seamlessly.
Picture draw_tiles();
