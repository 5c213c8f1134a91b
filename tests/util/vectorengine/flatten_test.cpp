// Flattening of path segments into the point list.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "support/far_cubics.h"
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
    // The non-finite curves add nothing; the huge one (whose splitting
    // overflows) is not split all the way to the subdivision limit.
    EXPECT_GT(f.points.size(), 3u);
    EXPECT_LE(f.points.size(), 3u + 3u * 100);
}

namespace {

// The flattening done the plain way: every repeat found by scanning the
// whole list, every curve split until flat (or 13 levels deep).
class ScanningFlattener {
public:
    std::vector<double> points;
    std::vector<unsigned> starts;

    void move(float x, float y)
    {
        starts.push_back(static_cast<unsigned>(points.size()));
        append(x, y);
    }
    void line(float x, float y) { append(x, y); }
    void close()
    {
        if (points.empty())
            return;
        const unsigned s = starts.back();
        points.insert(points.end(), {points[s] + double(1e-7f), points[s + 1] + double(1e-7f), points[s + 2]});
    }
    void cubic(float x1, float y1, float x2, float y2, float x3, float y3)
    {
        const std::size_t last = points.size() - 3;
        subdivide(3, 0, float(points[last]), float(points[last + 1]), x1, y1, x2, y2, x3, y3);
        if (seen(points.size() - 3, points[points.size() - 3], points[points.size() - 2])) {
            points[points.size() - 3] += table[jitter];
            points[points.size() - 2] += table[jitter + 1];
            jitter = (jitter + 2) % 16;
        }
    }

private:
    const float table[16] = {kJ, kJ, kJ, 0, kJ, -kJ, 0, -kJ, -kJ, -kJ, -kJ, 0, -kJ, kJ, 0, kJ};
    unsigned jitter = 0;

    bool seen(std::size_t count, double x, double y) const
    {
        for (std::size_t i = 0; i < count; i += 3)
            if (points[i] == x && points[i + 1] == y)
                return true;
        return false;
    }
    void append(double x, double y)
    {
        if (seen(points.size(), x, y)) {
            x += table[jitter];
            y += table[jitter + 1];
            jitter = (jitter + 2) % 16;
        }
        points.insert(points.end(), {x, y, 0.0});
    }
    void subdivide(int d, int level, float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3)
    {
        const float x01 = (x0 + x1) / 2, y01 = (y0 + y1) / 2, x12 = (x1 + x2) / 2, y12 = (y1 + y2) / 2;
        const float x23 = (x2 + x3) / 2, y23 = (y2 + y3) / 2;
        const float x012 = (x01 + x12) / 2, y012 = (y01 + y12) / 2, x123 = (x12 + x23) / 2, y123 = (y12 + y23) / 2;
        const float x0123 = (x012 + x123) / 2, y0123 = (y012 + y123) / 2;
        const float dx = x3 - x0, dy = y3 - y0;
        const float d1 = std::fabs((x1 - x3) * dy - (y1 - y3) * dx), d2 = std::fabs((x2 - x3) * dy - (y2 - y3) * dx);
        if ((d <= 0 && (dx * dx + dy * dy) * 0.2f >= (d1 + d2) * (d1 + d2)) || level >= 13) {
            points.insert(points.end(), {x0123, y0123, 0.0});
            return;
        }
        subdivide(d - 1, level + 1, x0, y0, x01, y01, x012, y012, x0123, y0123);
        subdivide(d - 1, level + 1, x0123, y0123, x123, y123, x23, y23, x3, y3);
    }
};

}

// Seeded paths of the kind scenes draw (on a coarse grid of the page, so
// positions repeat often, with curves up to a hundred pages across) give
// exactly the points of the plain scanning flattening.
TEST(Flatten, OrdinaryPathsGiveTheSamePointsAsAScan)
{
    for (std::uint32_t seed = 1; seed <= 30; seed++) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> grid(0, 20), kind(0, 9);
        std::uniform_real_distribution<float> wide(-20000.0f, 20000.0f);
        auto coordinate = [&] { return seed % 4 == 0 ? wide(rng) : 10.0f * float(grid(rng)); };
        SegmentList segments;
        ScanningFlattener reference;
        const int count = 20 + 20 * static_cast<int>(seed);
        for (int i = 0; i < count; i++) {
            const int k = i == 0 ? 0 : kind(rng);
            if (k == 0) {
                const float x = coordinate(), y = coordinate();
                segments.emplace_back(new SegmentMove(x, y));
                reference.move(x, y);
            } else if (k <= 4) {
                const float x = coordinate(), y = coordinate();
                segments.emplace_back(new SegmentLine(x, y));
                reference.line(x, y);
            } else if (k <= 8) {
                float c[6];
                for (float& v : c)
                    v = coordinate();
                segments.emplace_back(new SegmentCubic(vec3(c[0], c[1], 0), vec3(c[2], c[3], 0), vec3(c[4], c[5], 0)));
                reference.cubic(c[0], c[1], c[2], c[3], c[4], c[5]);
            } else {
                segments.emplace_back(new SegmentClose());
                reference.close();
            }
        }
        const Flat f = flatten(segments);
        EXPECT_EQ(reference.starts, f.starts) << seed;
        ASSERT_EQ(reference.points.size(), f.points.size()) << seed;
        EXPECT_TRUE(reference.points == f.points) << seed;
    }
}

// Far-flung curves are not split to the subdivision limit all along: what
// each adds is bounded by the part of it near the page. Every point is
// finite, and the curves ending on the page end there.
TEST(Flatten, FarFlungCubicsAddFewPoints)
{
    SegmentList segments = testsupport::far_flung_cubics(2000, 7);
    const Flat f = flatten(segments);
    EXPECT_LT(f.points.size() / 3, 2000u * 100u);
    for (double v : f.points)
        ASSERT_TRUE(std::isfinite(v));
}
