// Flattening of path segments into the point list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "util/vectorengine/flatten.h"

namespace {

using Vectors::SegmentClose;
using Vectors::SegmentCubic;
using Vectors::SegmentLine;
using Vectors::SegmentMove;

struct Flat {
    std::vector<double> points;
    std::vector<unsigned> starts;
};

Flat flatten(SegmentList& segments)
{
    Flat f;
    flatten_path(segments, f.points, f.starts);
    return f;
}

template <class... S>
SegmentList list(S*... s)
{
    SegmentList l;
    (l.emplace_back(s), ...);
    return l;
}

const float kJ = 0.001f;

}

TEST(Flatten, RepeatedPositionsTakeJitterInTurn)
{
    SegmentList segments;
    segments.emplace_back(new SegmentMove(10, 10));
    segments.emplace_back(new SegmentLine(20, 10));
    // Nine repeats of (10, 10): the offsets in table order, the ninth wraps.
    for (int i = 0; i < 9; i++)
        segments.emplace_back(new SegmentLine(10, 10));
    const Flat f = flatten(segments);
    ASSERT_EQ(3u * 11, f.points.size());
    const double table[8][2] = {{kJ, kJ}, {kJ, 0}, {kJ, -kJ}, {0, -kJ}, {-kJ, -kJ}, {-kJ, 0}, {-kJ, kJ}, {0, kJ}};
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(10.0 + table[i % 8][0], f.points[3 * (2 + i)]) << i;
        EXPECT_EQ(10.0 + table[i % 8][1], f.points[3 * (2 + i) + 1]) << i;
        EXPECT_EQ(0.0, f.points[3 * (2 + i) + 2]);
    }
    EXPECT_EQ(std::vector<unsigned>{0}, f.starts);
}

TEST(Flatten, CloseShiftsTheFirstPoint)
{
    SegmentList segments =
        list(new SegmentMove(0, 0), new SegmentLine(100, 0), new SegmentLine(100, 100), new SegmentClose());
    const Flat f = flatten(segments);
    ASSERT_EQ(12u, f.points.size());
    EXPECT_EQ(double(1e-7f), f.points[9]);
    EXPECT_EQ(double(1e-7f), f.points[10]);
    EXPECT_EQ(0.0, f.points[11]);
}

TEST(Flatten, StraightCubicGivesEightMidpoints)
{
    SegmentList segments = list(new SegmentMove(0, 0), new SegmentCubic(vec3(16, 0, 0), vec3(32, 0, 0), vec3(48, 0, 0)));
    const Flat f = flatten(segments);
    ASSERT_EQ(3u * 9, f.points.size());
    // Control points at thirds: x = 48 t, so the midpoints of the eight
    // equal-parameter pieces lie at t = 1/16, 3/16, ..., 15/16.
    for (int i = 0; i < 8; i++)
        EXPECT_NEAR(48.0 * (2 * i + 1) / 16, f.points[3 * (i + 1)], 1e-4) << i;
    EXPECT_NE(48.0, f.points[3 * 8]);
}

TEST(Flatten, CurvedCubicSplitsUntilFlat)
{
    SegmentList segments = list(new SegmentMove(0, 0), new SegmentCubic(vec3(0, 200, 0), vec3(200, 200, 0), vec3(200, 0, 0)));
    const Flat f = flatten(segments);
    EXPECT_GT(f.points.size(), 3u * 9);
    // Every point lies inside the curve's hull, moving steadily right.
    for (std::size_t i = 3; i < f.points.size(); i += 3) {
        EXPECT_GT(f.points[i], f.points[i - 3]);
        EXPECT_GE(f.points[i + 1], 0.0);
        EXPECT_LE(f.points[i + 1], 150.0);
    }
}

TEST(Flatten, SmoothCubicTakesTheCurrentPointAsFirstControl)
{
    auto* smooth = new SegmentCubic(vec3(99, 99, 0), vec3(30, 10, 0), vec3(40, 10, 0), true);
    SegmentList a = list(new SegmentMove(0, 0), new SegmentLine(20, 10), smooth);
    SegmentList b = list(new SegmentMove(0, 0), new SegmentLine(20, 10),
                         new SegmentCubic(vec3(20, 10, 0), vec3(30, 10, 0), vec3(40, 10, 0)));
    EXPECT_EQ(flatten(b).points, flatten(a).points);
    EXPECT_EQ(20.0f, smooth->control1.x);
    EXPECT_EQ(10.0f, smooth->control1.y);
}

TEST(Flatten, LeadingMoveIsInsertedOnce)
{
    SegmentList segments = list(new SegmentLine(5, 5));
    Flat f = flatten(segments);
    ASSERT_EQ(2u, segments.size());
    EXPECT_EQ(Vectors::SEGMENT_MOVE, segments[0]->GetType());
    EXPECT_EQ((std::vector<double>{0, 0, 0, 5, 5, 0}), f.points);
    f = flatten(segments);
    EXPECT_EQ(2u, segments.size());
}

TEST(Flatten, CubicLastPointJitteredOnlyOnRepeat)
{
    // The curve ends where the path started: its last midpoint is not the
    // start exactly, so nothing moves; a degenerate cubic (all points equal)
    // gives eight copies of the start, each moved apart.
    SegmentList segments = list(new SegmentMove(0, 0), new SegmentCubic(vec3(0, 0, 0), vec3(0, 0, 0), vec3(0, 0, 0)));
    const Flat f = flatten(segments);
    ASSERT_EQ(3u * 9, f.points.size());
    EXPECT_EQ(kJ, float(f.points[3 * 8]));
    EXPECT_EQ(kJ, float(f.points[3 * 8 + 1]));
}

TEST(Flatten, NonFiniteOrHugeCubicsEnd)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    SegmentList segments = list(new SegmentMove(0, 0), new SegmentCubic(vec3(nan, 0, 0), vec3(1, 1, 0), vec3(2, 2, 0)),
                                new SegmentCubic(vec3(inf, 0, 0), vec3(1, 1, 0), vec3(2, 2, 0)),
                                new SegmentCubic(vec3(3e38f, -3e38f, 0), vec3(-3e38f, 3e38f, 0), vec3(1, 1, 0)));
    const Flat f = flatten(segments);
    // The non-finite curves add nothing; the huge one is cut off at the
    // subdivision limit.
    EXPECT_GT(f.points.size(), 3u);
    EXPECT_LE(f.points.size(), 3u + 3u * 8192);
}
