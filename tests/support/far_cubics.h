#pragma once
// A path of far-flung cubic curves: control and end points spread over
// magnitudes from a million to 1e30 page units, with random signs; every
// other curve ends back on the page, so it passes the page twice.
#include <cstdint>

#include "util/vectorengine/flatten.h"

namespace testsupport {

SegmentList far_flung_cubics(int count, std::uint32_t seed);

}
