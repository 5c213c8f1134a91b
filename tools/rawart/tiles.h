#pragma once
#include "picture.h"

// The 256 x 256 tiling texture of the rotozoomer (velmos.raw): waves whose
// periods are the tile's size, so the picture wraps seamlessly.
Picture draw_tiles();
