#include "util/vectorengine/segment.h"

#include <algorithm>
#include <cmath>

namespace {

// Subdivision beyond this many levels stops and takes the piece as flat, so
// curves that never pass the flatness test (huge or degenerate control
// points) still end.
const int kMaxSubdivisionLevel = 13;

// Pieces whose control points all lie beyond this distance from the page's
// origin, on the same side, are too far off the page for any detail to
// show: they are not split further. A far-flung curve thus costs a few
// pieces per level of the part of it that comes near the page, instead of
// the full 2^13 pieces of a curve that never passes the flatness test.
const float kReach = 1e5f;

// Also true when a coordinate has overflowed to infinity or NaN in the
// splitting: such a piece has no shape left to follow.
bool beyond_reach(float a, float b, float c, float d)
{
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d))
        return true;
    return (a > kReach && b > kReach && c > kReach && d > kReach) ||
           (a < -kReach && b < -kReach && c < -kReach && d < -kReach);
}

void lerp_point(vec3& point, const vec3& from, const vec3& to, float t)
{
    point.x = (1.0f - t) * from.x + t * to.x;
    point.y = (1.0f - t) * from.y + t * to.y;
    point.z = (1.0f - t) * from.z + t * to.z;
}

void extend(const vec3& point, float& minX, float& minY, float& maxX, float& maxY)
{
    minX = std::min(minX, point.x);
    maxX = std::max(maxX, point.x);
    minY = std::min(minY, point.y);
    maxY = std::max(maxY, point.y);
}

template <class T>
const T& same_class(const Vectors::Segment& segment)
{
    return dynamic_cast<const T&>(segment);
}

bool finite(float x, float y)
{
    return std::isfinite(x) && std::isfinite(y);
}

}

void append_point(std::vector<double>& points, double x, double y, PointJitter& jitter)
{
    if (jitter.seen(points, points.size(), x, y)) {
        double dx, dy;
        jitter.next(dx, dy);
        x += dx;
        y += dy;
    }
    points.push_back(x);
    points.push_back(y);
    points.push_back(0.0);
}

void jitter_last_point(std::vector<double>& points, PointJitter& jitter)
{
    if (points.size() < 3)
        return;
    const std::size_t last = points.size() - 3;
    if (!jitter.seen(points, last, points[last], points[last + 1]))
        return;
    double dx, dy;
    jitter.next(dx, dy);
    points[last] += dx;
    points[last + 1] += dy;
}

void warp_point(vec3& point, float value, float fromX, float toX)
{
    auto lerp = [](float a, float b, float t) { return (1.0f - t) * a + t * b; };
    if (fromX < toX) {
        if (point.x <= fromX)
            return;
        if (point.x <= toX)
            point.y = lerp(point.y, value, (point.x - fromX) / (toX - fromX));
        else
            point.y = value;
    } else {
        if (point.x >= fromX)
            return;
        if (point.x >= toX)
            point.y = lerp(point.y, value, (fromX - point.x) / (fromX - toX));
        else
            point.y = value;
    }
}

namespace Vectors {

void Segment::Flatten(std::vector<double>&, std::vector<unsigned>&, PointJitter&) {}
void Segment::Interpolate(const Segment&, const Segment&, float) {}
void Segment::ExtendBounds(float&, float&, float&, float&) {}
void Segment::Warp(float, float, float) {}

template <int Type>
void SegmentToPoint<Type>::Interpolate(const Segment& from, const Segment& to, float t)
{
    lerp_point(point, same_class<SegmentToPoint>(from).point, same_class<SegmentToPoint>(to).point, t);
}

template <int Type>
void SegmentToPoint<Type>::ExtendBounds(float& minX, float& minY, float& maxX, float& maxY)
{
    extend(point, minX, minY, maxX, maxY);
}

template <int Type>
void SegmentToPoint<Type>::Warp(float value, float fromX, float toX)
{
    warp_point(point, value, fromX, toX);
}

template class SegmentToPoint<SEGMENT_MOVE>;
template class SegmentToPoint<SEGMENT_LINE>;

void SegmentMove::Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter)
{
    contourStarts.push_back(static_cast<unsigned>(points.size()));
    append_point(points, point.x, point.y, jitter);
}

void SegmentLine::Flatten(std::vector<double>& points, std::vector<unsigned>&, PointJitter& jitter)
{
    append_point(points, point.x, point.y, jitter);
}

void SegmentCubic::Flatten(std::vector<double>& points, std::vector<unsigned>&, PointJitter& jitter)
{
    if (points.empty()) {
        points.push_back(0.0);
        points.push_back(0.0);
        points.push_back(0.0);
    }
    const std::size_t last = points.size() - 3;
    const float x0 = static_cast<float>(points[last]);
    const float y0 = static_cast<float>(points[last + 1]);
    if (type == SEGMENT_SMOOTH_CUBIC) {
        control1.x = x0;
        control1.y = y0;
    }
    // A curve with a non-finite point has no shape to follow: it adds nothing.
    if (!finite(x0, y0) || !finite(control1.x, control1.y) || !finite(control2.x, control2.y) ||
        !finite(end.x, end.y))
        return;
    Subdivide(points, depth, 0, x0, y0, control1.x, control1.y, control2.x, control2.y, end.x, end.y);
    jitter_last_point(points, jitter);
}

void SegmentCubic::Subdivide(std::vector<double>& points, int d, int level, float x0, float y0, float x1,
                             float y1, float x2, float y2, float x3, float y3) const
{
    const float x01 = (x0 + x1) / 2, y01 = (y0 + y1) / 2;
    const float x12 = (x1 + x2) / 2, y12 = (y1 + y2) / 2;
    const float x23 = (x2 + x3) / 2, y23 = (y2 + y3) / 2;
    const float x012 = (x01 + x12) / 2, y012 = (y01 + y12) / 2;
    const float x123 = (x12 + x23) / 2, y123 = (y12 + y23) / 2;
    const float x0123 = (x012 + x123) / 2, y0123 = (y012 + y123) / 2;

    const float dx = x3 - x0, dy = y3 - y0;
    const float d1 = std::fabs((x1 - x3) * dy - (y1 - y3) * dx);
    const float d2 = std::fabs((x2 - x3) * dy - (y2 - y3) * dx);
    const bool flat = d <= 0 && (dx * dx + dy * dy) * tolerance >= (d1 + d2) * (d1 + d2);
    if (flat || level >= kMaxSubdivisionLevel) {
        points.push_back(x0123);
        points.push_back(y0123);
        points.push_back(0.0);
        return;
    }
    if (d <= 0 && (beyond_reach(x0, x1, x2, x3) || beyond_reach(y0, y1, y2, y3))) {
        points.push_back(x3);
        points.push_back(y3);
        points.push_back(0.0);
        return;
    }
    Subdivide(points, d - 1, level + 1, x0, y0, x01, y01, x012, y012, x0123, y0123);
    Subdivide(points, d - 1, level + 1, x0123, y0123, x123, y123, x23, y23, x3, y3);
}

void SegmentCubic::Interpolate(const Segment& from, const Segment& to, float t)
{
    const SegmentCubic& a = same_class<SegmentCubic>(from);
    const SegmentCubic& b = same_class<SegmentCubic>(to);
    lerp_point(control1, a.control1, b.control1, t);
    lerp_point(control2, a.control2, b.control2, t);
    lerp_point(end, a.end, b.end, t);
}

void SegmentCubic::ExtendBounds(float& minX, float& minY, float& maxX, float& maxY)
{
    extend(end, minX, minY, maxX, maxY);
}

void SegmentCubic::Warp(float value, float fromX, float toX)
{
    warp_point(control1, value, fromX, toX);
    warp_point(control2, value, fromX, toX);
    warp_point(end, value, fromX, toX);
}

void SegmentClose::Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter&)
{
    if (points.empty())
        return;
    const unsigned s = contourStarts.empty() ? 0 : contourStarts.back();
    const double shift = 1e-7f;
    points.push_back(points[s] + shift);
    points.push_back(points[s + 1] + shift);
    points.push_back(points[s + 2]);
}

}
