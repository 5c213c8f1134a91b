// Stroke triangles: quads along segments and bevel joints.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "util/vectorengine/flatten.h"
#include "support/fatal_message.h"
#include "util/vectorengine/stroke.h"

namespace {

struct Stroke {
    std::vector<float> vertices;
    std::vector<unsigned> starts;
    std::size_t triangles() const { return vertices.size() / 9; }
};

Stroke stroke(const std::vector<double>& points, const std::vector<unsigned>& contours, bool close)
{
    Stroke s;
    build_stroke(points, contours, close, 10.0f, s.vertices, s.starts);
    return s;
}

std::vector<double> polyline(const std::vector<std::pair<double, double>>& p)
{
    std::vector<double> out;
    for (auto [x, y] : p)
        out.insert(out.end(), {x, y, 0.0});
    return out;
}

}

TEST(Stroke, SingleSegmentIsOneQuad)
{
    const Stroke s = stroke(polyline({{0, 0}, {10, 0}}), {0}, false);
    EXPECT_EQ((std::vector<float>{0, -5, 0, 10, -5, 0, 0, 5, 0, 0, 5, 0, 10, -5, 0, 10, 5, 0}), s.vertices);
    EXPECT_EQ(std::vector<unsigned>{0}, s.starts);
}

TEST(Stroke, TriangleCounts)
{
    struct Case {
        int k;
        bool close;
        std::size_t triangles;
    };
    for (const Case& c : {Case{1, false, 0}, Case{2, false, 2}, Case{3, false, 5}, Case{5, false, 11},
                          Case{5, true, 3 * 6 - 3}}) {
        std::vector<std::pair<double, double>> p;
        for (int i = 0; i < c.k; i++)
            p.push_back({i * 10.0, (i % 2) * 7.0});
        if (c.close)
            p.push_back({1e-7, 1e-7});
        const Stroke s = stroke(polyline(p), {0}, c.close);
        EXPECT_EQ(c.triangles, s.triangles()) << c.k << (c.close ? " closed" : "");
        EXPECT_EQ(1u, s.starts.size());
    }
}

// The bevel lies on the outside of the bend: left turns and right turns put
// the joint vertex on opposite sides of the centre line.
TEST(Stroke, JointSideFollowsTheTurn)
{
    for (const auto& [turnY, jointSign] : {std::pair{10.0, -1.0f}, std::pair{-10.0, 1.0f}}) {
        const Stroke s = stroke(polyline({{0, 0}, {10, 0}, {20, turnY}}), {0}, false);
        ASSERT_EQ(5u, s.triangles());
        // The joint triangle comes after the first quad; its third vertex.
        const float jointY = s.vertices[2 * 9 + 7];
        EXPECT_EQ(jointSign, std::copysign(1.0f, jointY)) << turnY;
    }
}

TEST(Stroke, ClosingJointOnEveryContourOnlyWhenThePathEndsClosed)
{
    const std::vector<double> points = polyline({{0, 0}, {10, 0}, {10, 10}, {1e-7, 1e-7}, {50, 0}, {60, 0}, {60, 10}});
    EXPECT_EQ(8u + 5u, stroke(points, {0, 12}, false).triangles());
    EXPECT_EQ(9u + 6u, stroke(points, {0, 12}, true).triangles());
    EXPECT_EQ((std::vector<unsigned>{0, 9 * 9}), stroke(points, {0, 12}, true).starts);
}

// Zero-length segments, repeated closes, two-point contours and
// non-finite points never give a non-finite vertex; each contour still gets
// its start.
TEST(Stroke, DegenerateInputsGiveFiniteVertices)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<double> points;
        std::vector<unsigned> contours;
        bool close;
        std::size_t triangles;
    };
    const std::vector<Case> cases = {
        {"zero-length middle", polyline({{0, 0}, {10, 0}, {10, 0}, {10, 10}}), {0}, false, 5},
        {"all one point", polyline({{3, 3}, {3, 3}, {3, 3}}), {0}, true, 0},
        {"two points closed", polyline({{0, 0}, {1e-7, 1e-7}}), {0}, true, 2},
        {"two equal points closed", polyline({{5, 5}, {5, 5}}), {0}, true, 0},
        {"non-finite point", polyline({{0, 0}, {nan, 1}, {10, 0}, {inf, inf}, {10, 10}}), {0}, false, 5},
        {"empty contours", polyline({{0, 0}, {10, 0}}), {0, 6, 6}, true, 2},
        {"no points", {}, {0}, true, 0},
        {"starts past the end", polyline({{0, 0}, {10, 0}}), {0, 300}, false, 2},
    };
    for (const Case& c : cases) {
        const Stroke s = stroke(c.points, c.contours, c.close);
        EXPECT_EQ(c.triangles, s.triangles()) << c.name;
        EXPECT_EQ(c.contours.size(), s.starts.size()) << c.name;
        for (float v : s.vertices)
            ASSERT_TRUE(std::isfinite(v)) << c.name;
    }
}

TEST(Stroke, MalformedPointListStops)
{
    testsupport::ThrowingFatalErrors fatalErrors;
    std::vector<float> vertices;
    std::vector<unsigned> starts;
    EXPECT_EQ("Stroke input vertices not divisible by 3, got 4 verts.",
              testsupport::fatal_message([&] { build_stroke({1, 2, 3, 4}, {0}, false, 10, vertices, starts); }));
}
