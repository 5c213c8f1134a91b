#pragma once
// Turns a path's segments into its point list: three doubles (x, y, z) per
// point, and the offset (in doubles) where each contour starts.
#include <memory>
#include <vector>

#include "util/vectorengine/segment.h"

using SegmentList = std::vector<std::unique_ptr<Vectors::Segment>>;

// A list that does not start with a move gets a move to (0, 0) in front (the
// insertion stays), so every point belongs to a contour.
void flatten_path(SegmentList& segments, std::vector<double>& points, std::vector<unsigned>& contourStarts);
