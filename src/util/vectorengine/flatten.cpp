#include "util/vectorengine/flatten.h"

void flatten_path(SegmentList& segments, std::vector<double>& points, std::vector<unsigned>& contourStarts)
{
    points.clear();
    contourStarts.clear();
    if (segments.empty())
        return;
    if (segments.front()->GetType() != Vectors::SEGMENT_MOVE)
        segments.insert(segments.begin(), std::make_unique<Vectors::SegmentMove>(0.0f, 0.0f, 0.0f));
    PointJitter jitter;
    for (auto& segment : segments)
        segment->Flatten(points, contourStarts, jitter);
}
