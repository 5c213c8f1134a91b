#pragma once
// Paths whose fill is costly for a sweep over a half-edge mesh: a long
// zigzag (one huge face split again and again) and a closed polyline
// through random points of a square (crossings growing with the square of
// its length). Far-flung cubics are in far_cubics.h.
#include <cstdint>

#include "util/vectorengine/flatten.h"

namespace testsupport {

// From (0, 0), n lines to (i * step, height or 0 for odd or even i), closed.
SegmentList zigzag_path(int n, double step, double height);

// A move and n lines to seeded random points of [0, size) x [0, size),
// closed. The numbers do not depend on the standard library's
// distributions, so the path is the same with any of them.
SegmentList random_segments_path(int n, std::uint32_t seed, double size);

}
