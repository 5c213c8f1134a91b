// The fill driver: two tessellation passes in a fixed arena, convex
// polygons out, and recovery after a path that does not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "support/tess_families.h"
#include "util/vectorengine/tesselator.h"

namespace {

struct Fill {
    std::vector<float> vertices;
    std::vector<unsigned> starts;
};

struct Path2 {
    std::vector<double> points;
    std::vector<unsigned> contours;
    void contour(const std::vector<std::pair<double, double>>& p)
    {
        contours.push_back(static_cast<unsigned>(points.size()));
        for (auto [x, y] : p)
            points.insert(points.end(), {x, y, 0.0});
    }
};

Fill fill(const Path2& path)
{
    Fill f;
    tessellate_path(path.points, path.contours, f.vertices, f.starts);
    return f;
}

std::vector<std::vector<tessfam::Point>> polygons(const Fill& f)
{
    std::vector<std::vector<tessfam::Point>> out;
    for (std::size_t k = 0; k < f.starts.size(); k++) {
        const std::size_t end = k + 1 < f.starts.size() ? f.starts[k + 1] : f.vertices.size();
        std::vector<tessfam::Point> p;
        for (std::size_t i = f.starts[k]; i < end; i += 3)
            p.push_back({f.vertices[i], f.vertices[i + 1]});
        out.push_back(p);
    }
    return out;
}

double area(const Fill& f)
{
    double a = 0;
    for (const auto& p : polygons(f)) {
        EXPECT_GE(p.size(), 3u);
        EXPECT_LE(p.size(), 6u);
        a += std::abs(tessfam::signed_area(p));
    }
    return a;
}

const std::vector<std::pair<double, double>> kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};

}

TEST(FillDriver, AreasOfBasicShapes)
{
    struct Case {
        const char* name;
        std::vector<std::vector<std::pair<double, double>>> contours;
        double area;
    };
    const std::vector<Case> cases = {
        {"square", {kSquare}, 10000},
        {"ring", {kSquare, {{25, 25}, {75, 25}, {75, 75}, {25, 75}}}, 7500},
        {"overlapping squares", {kSquare, {{50, 50}, {150, 50}, {150, 150}, {50, 150}}}, 15000},
        {"figure eight", {{{0, 0}, {100, 100}, {100, 0}, {0, 100}}}, 5000},
        {"collinear", {{{0, 0}, {10, 10}, {20, 20}}}, 0},
        {"two points", {{{0, 0}, {10, 10}}}, 0},
        {"one point", {{{5, 5}}}, 0},
    };
    for (const Case& c : cases) {
        Path2 path;
        for (const auto& contour : c.contours)
            path.contour(contour);
        const Fill f = fill(path);
        EXPECT_NEAR(c.area, area(f), 1e-2 * std::max(1.0, c.area)) << c.name;
        for (float v : f.vertices)
            EXPECT_TRUE(std::isfinite(v)) << c.name;
        if (c.area == 0) {
            EXPECT_TRUE(f.starts.empty()) << c.name;
        }
    }
}

TEST(FillDriver, NonFiniteContoursAreLeftOut)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Path2 path;
    path.contour({{0, 0}, {nan, 0}, {10, 10}});
    path.contour(kSquare);
    path.contour({{1e300, 0}, {0, 1e300}, {5, 5}}); // infinite once narrowed to float
    EXPECT_NEAR(10000, area(fill(path)), 1e-2);
    Path2 only;
    only.contour({{nan, nan}, {1, 1}, {2, 0}});
    EXPECT_TRUE(fill(only).starts.empty());
}

// A path too big for the arena (here kept to its first megabyte) gets an
// empty fill; the next path fills as if nothing had happened, and so does a
// big one after the reset.
TEST(FillDriver, ArenaExhaustionRecovers)
{
    const std::size_t limit = tess_set_arena_limit(0);
    Path2 huge;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0, 1000);
    std::vector<std::pair<double, double>> soup;
    for (int i = 0; i < 6000; i++)
        soup.push_back({u(rng), u(rng)});
    huge.contour(soup);
    testing::internal::CaptureStdout();
    const Fill failed = fill(huge);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(failed.starts.empty());
    EXPECT_TRUE(failed.vertices.empty());
    EXPECT_NE(std::string::npos, out.find("out of mem: ")) << out;
    EXPECT_NE(std::string::npos, out.find("not filled")) << out;

    for (int round = 0; round < 3; round++) {
        Path2 square;
        square.contour(kSquare);
        EXPECT_NEAR(10000, area(fill(square)), 1e-2) << round;
    }
    // A path that needs most of the arena still fits after the resets.
    Path2 big;
    std::vector<std::pair<double, double>> circle;
    for (int i = 0; i < 1000; i++)
        circle.push_back({500 + 400 * std::cos(i * 2 * M_PI / 1000), 500 + 400 * std::sin(i * 2 * M_PI / 1000)});
    big.contour(circle);
    EXPECT_NEAR(M_PI * 400 * 400, area(fill(big)), 0.01 * M_PI * 400 * 400);
    tess_set_arena_limit(limit);
}

TEST(FillDriver, ArenaAllocation)
{
    std::vector<unsigned char> buffer(1024);
    TessArena arena = {buffer.data(), 1024, 0, 0, 0};
    void* a = tess_arena_alloc(&arena, 10);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(a) % 8);
    testing::internal::CaptureStdout();
    EXPECT_EQ(nullptr, tess_arena_alloc(&arena, 0xFFFFFFFFu)); // rounding must not wrap around
    EXPECT_EQ(nullptr, tess_arena_alloc(&arena, 2000));
    testing::internal::GetCapturedStdout();
    std::memcpy(a, "0123456789", 10);
    void* b = tess_arena_realloc(&arena, a, 40);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0, std::memcmp(b, "0123456789", 10));
}

// Past its first block the arena adds blocks up to its limit and keeps them:
// after a reset the same requests are served from the same memory.
TEST(FillDriver, ArenaGrowsAndKeepsItsBlocks)
{
    std::vector<unsigned char> buffer(1024);
    TessArena arena = {buffer.data(), 1024, 0, 0, 64 * 1024};
    const std::vector<unsigned> sizes = {500, 400, 3000, 100, 9000, 20};
    std::vector<void*> first;
    for (unsigned size : sizes) {
        void* p = tess_arena_alloc(&arena, size);
        ASSERT_NE(nullptr, p) << size;
        EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(p) % 8);
        std::memset(p, 0xAB, size);
        first.push_back(p);
    }
    const std::size_t blocks = arena.grown.size();
    EXPECT_GT(blocks, 0u);
    tess_arena_reset(arena);
    for (std::size_t i = 0; i < sizes.size(); i++)
        EXPECT_EQ(first[i], tess_arena_alloc(&arena, sizes[i])) << i;
    EXPECT_EQ(blocks, arena.grown.size());

    testing::internal::CaptureStdout();
    EXPECT_EQ(nullptr, tess_arena_alloc(&arena, 64 * 1024));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0u, out.find("out of mem: ")) << out;
    std::size_t held = 1024;
    for (const TessArenaBlock& block : arena.grown)
        held += block.capacity;
    EXPECT_LE(held, 64u * 1024u);
    // Smaller requests still fit after a refused one.
    EXPECT_NE(nullptr, tess_arena_alloc(&arena, 100));
}

namespace {

// n points on a circle of radius r around (500, 500), visited step by step
// around it (step 1 gives a convex polygon, larger steps a star polygon
// that crosses itself).
std::vector<std::pair<double, double>> circle_walk(int n, int step, double r)
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < n; i++) {
        const double a = 2 * M_PI * static_cast<double>((static_cast<long long>(i) * step) % n) / n;
        p.push_back({500 + r * std::cos(a), 500 + r * std::sin(a)});
    }
    return p;
}

std::vector<std::pair<double, double>> star_outline(int n)
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < n; i++) {
        const double a = 2 * M_PI * i / n, r = i % 2 ? 250 : 500;
        p.push_back({500 + r * std::cos(a), 500 + r * std::sin(a)});
    }
    return p;
}

}

// Paths far beyond the arena's first megabyte fill as the parity rule says,
// checked on a grid of points clear of the edges: each inside point lies in
// exactly one polygon, each outside point in none.
TEST(FillDriver, LargePathsFillAsTheParityRuleSays)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> contour;
        int grid;
    };
    const std::vector<Case> cases = {
        {"4097-point star outline", star_outline(4097), 40},
        {"301-point star polygon, 45,000 crossings", circle_walk(301, 150, 500), 40},
        {"2000-point self-crossing path", circle_walk(2000, 7, 500), 40},
        {"100,000-gon", circle_walk(100000, 1, 500), 12},
    };
    for (const Case& c : cases) {
        Path2 path;
        path.contour(c.contour);
        tessfam::Shape shape(1);
        for (auto [x, y] : c.contour)
            shape[0].push_back({static_cast<float>(x), static_cast<float>(y)});
        const Fill f = fill(path);
        if (f.starts.empty()) {
            ADD_FAILURE() << c.name << ": empty fill";
            continue;
        }
        const auto pieces = polygons(f);
        int inside = 0;
        for (int i = 0; i < c.grid; i++) {
            for (int j = 0; j < c.grid; j++) {
                const float x = 0.5f + (999.0f * i + 0.5f) / c.grid, y = 0.25f + (999.0f * j + 0.5f) / c.grid;
                if (tessfam::edge_distance(shape, x, y) < 0.05f)
                    continue;
                const bool expected = tessfam::inside_odd(shape, x, y);
                int covering = 0;
                for (const auto& piece : pieces)
                    covering += tessfam::polygon_contains(piece, x, y) ? 1 : 0;
                EXPECT_EQ(expected ? 1 : 0, covering) << c.name << " at " << x << ", " << y;
                inside += expected;
            }
        }
        EXPECT_GT(inside, 0) << c.name;
    }
}
