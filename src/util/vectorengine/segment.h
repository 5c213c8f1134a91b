#pragma once
// The pieces a vector path is made of: move, line, cubic Bezier and close.
// Flattening appends each piece's points (x, y, z doubles) to the path's point
// list; the other three operations serve shape morphing and bending.
#include <vector>

#include "util/math/vec3.h"
#include "util/vectorengine/point_jitter.h"

namespace Vectors {

enum SegmentType { SEGMENT_MOVE = 0, SEGMENT_LINE = 1, SEGMENT_CUBIC = 2, SEGMENT_SMOOTH_CUBIC = 3, SEGMENT_CLOSE = 4 };

class Segment {
public:
    explicit Segment(int type) : type(type) {}
    Segment(const Segment&) = default;
    // Paths own their segments and delete them through this base.
    virtual ~Segment() = default;

    virtual void Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter);
    virtual void Interpolate(const Segment& from, const Segment& to, float t);
    virtual void ExtendBounds(float& minX, float& minY, float& maxX, float& maxY);
    virtual void Warp(float value, float fromX, float toX);

    int GetType() const { return type; }

protected:
    int type;
};

// A piece that ends at one point: a move or a line. Interpolating needs both
// ends of the same kind.
template <int Type>
class SegmentToPoint : public Segment {
public:
    SegmentToPoint(float x, float y, float z) : Segment(Type), point(x, y, z) {}
    SegmentToPoint(const SegmentToPoint&) = default;

    void Interpolate(const Segment& from, const Segment& to, float t) override;
    void ExtendBounds(float& minX, float& minY, float& maxX, float& maxY) override;
    void Warp(float value, float fromX, float toX) override;

    vec3 point;
};

class SegmentMove : public SegmentToPoint<SEGMENT_MOVE> {
public:
    SegmentMove(float x, float y, float z = 0.0f) : SegmentToPoint(x, y, z) {}
    SegmentMove(const SegmentMove&) = default;

    void Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter) override;
};

class SegmentLine : public SegmentToPoint<SEGMENT_LINE> {
public:
    SegmentLine(float x, float y, float z = 0.0f) : SegmentToPoint(x, y, z) {}
    SegmentLine(const SegmentLine&) = default;

    void Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter) override;
};

class SegmentCubic : public Segment {
public:
    SegmentCubic(const vec3& control1, const vec3& control2, const vec3& end, bool smooth = false)
        : Segment(smooth ? SEGMENT_SMOOTH_CUBIC : SEGMENT_CUBIC), control1(control1), control2(control2), end(end) {}
    SegmentCubic(const SegmentCubic&) = default;

    void Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter) override;
    void Interpolate(const Segment& from, const Segment& to, float t) override;
    void ExtendBounds(float& minX, float& minY, float& maxX, float& maxY) override;
    void Warp(float value, float fromX, float toX) override;

    // Appends the midpoint of every flat piece of the curve P0..P3; a piece
    // that lies wholly far off the page adds its end point instead.
    void Subdivide(std::vector<double>& points, int depth, int level, float x0, float y0, float x1, float y1,
                   float x2, float y2, float x3, float y3) const;

    vec3 control1;
    vec3 control2;
    vec3 end;
    float tolerance = 0.2f;
    int depth = 3;
};

class SegmentClose : public Segment {
public:
    SegmentClose() : Segment(SEGMENT_CLOSE) {}
    SegmentClose(const SegmentClose&) = default;

    void Flatten(std::vector<double>& points, std::vector<unsigned>& contourStarts, PointJitter& jitter) override;
};

}

// Appends (x, y, 0); a position already in the list is moved by the next
// jitter offset first.
void append_point(std::vector<double>& points, double x, double y, PointJitter& jitter);
// Moves the last point by the next jitter offset when an earlier point has
// exactly its x and y.
void jitter_last_point(std::vector<double>& points, PointJitter& jitter);
// Bends a point's y toward value over the x range from fromX to toX.
void warp_point(vec3& point, float value, float fromX, float toX);
