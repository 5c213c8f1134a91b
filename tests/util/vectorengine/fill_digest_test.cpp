// The exact output of the fill driver and of the sweep-line tessellator,
// every vertex, vertex index and element in order, for a fixed set of
// paths: a thousand seeded random paths (lines, cubics, several contours,
// self-crossing ones, zigzags, segment soups, far-flung cubics, degenerate
// and huge ones), the paths the other fill and tessellator tests use, and a
// few large ones. Each output is hashed and compared with the digest
// recorded in fill_digests.txt beside this file, so a change that is meant
// only to make the fill faster must leave every digest as it is.
//
// After a change that is meant to alter fills, the file is written anew by
//   VELMO_WRITE_FILL_DIGESTS=1 build/tests/util_vectorengine_fill_digest_test
// and VELMO_FILL_DUMP=<file> writes the raw outputs of a run, for comparing
// two builds byte for byte (cmp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/far_cubics.h"
#include "support/large_paths.h"
#include "support/tess_families.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/sweep_tessellator.h"
#include "util/vectorengine/tesselator.h"

namespace {

const std::string kDigestFile = std::string(VELMO_SOURCE_DIR) + "/tests/util/vectorengine/fill_digests.txt";

// The bytes of one output, and their FNV-1a hash.
class Record {
public:
    template <class T>
    void add(const T* data, std::size_t count)
    {
        add_bytes(&count, sizeof(count));
        add_bytes(data, count * sizeof(T));
    }
    template <class T>
    void add(const std::vector<T>& values)
    {
        add(values.data(), values.size());
    }
    std::uint64_t hash() const
    {
        std::uint64_t h = 1469598103934665603ull;
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
        return h;
    }
    const std::string& data() const { return bytes; }

private:
    void add_bytes(const void* p, std::size_t n)
    {
        if (n > 0)
            bytes.append(static_cast<const char*>(p), n);
    }
    std::string bytes;
};

// Seeded numbers that do not depend on the standard library's
// distributions.
class Random {
public:
    explicit Random(std::uint32_t seed) : rng(seed) {}
    double uniform(double lo, double hi) { return lo + (hi - lo) * (rng() >> 8) * (1.0 / 16777216.0); }
    int below(int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); }
    bool coin() { return (rng() & 1) != 0; }

private:
    std::mt19937 rng;
};

struct Fill {
    std::vector<float> vertices;
    std::vector<unsigned> starts;
};

Record fill_segments(SegmentList& segments)
{
    std::vector<double> points;
    std::vector<unsigned> contours;
    flatten_path(segments, points, contours);
    Fill f;
    tessellate_path(points, contours, f.vertices, f.starts);
    Record r;
    r.add(f.vertices);
    r.add(f.starts);
    return r;
}

Record fill_points(const std::vector<std::vector<std::pair<double, double>>>& path)
{
    std::vector<double> points;
    std::vector<unsigned> contours;
    for (const auto& contour : path) {
        contours.push_back(static_cast<unsigned>(points.size()));
        for (auto [x, y] : contour)
            points.insert(points.end(), {x, y, 0.0});
    }
    Fill f;
    tessellate_path(points, contours, f.vertices, f.starts);
    Record r;
    r.add(f.vertices);
    r.add(f.starts);
    return r;
}

// The bare tessellator on a shape: the success value and every result.
Record tessellate_shape(const tessfam::Shape& shape, int rule, int type, int polySize, bool givenNormal)
{
    struct Deleter {
        void operator()(Tessellator* t) const { tessellator_delete(t); }
    };
    std::unique_ptr<Tessellator, Deleter> tess(tessellator_create(nullptr));
    for (const auto& c : shape)
        tessellator_add_contour(tess.get(), 2, c.data(), sizeof(tessfam::Point), static_cast<int>(c.size()));
    const float up[3] = {0, 0, 1};
    const int ok = tessellator_tessellate(tess.get(), rule, type, polySize, 2, givenNormal ? up : nullptr);
    Record r;
    r.add(&ok, 1);
    if (!ok)
        return r;
    const int count = tessellator_get_vertex_count(tess.get());
    const int elements = tessellator_get_element_count(tess.get());
    const int stride = type == TESS_BOUNDARY_CONTOURS ? 2 : (type == TESS_CONNECTED_POLYGONS ? 2 : 1) * polySize;
    r.add(tessellator_get_vertices(tess.get()), static_cast<std::size_t>(count) * 2);
    r.add(tessellator_get_vertex_indices(tess.get()), static_cast<std::size_t>(count));
    r.add(tessellator_get_elements(tess.get()), static_cast<std::size_t>(elements) * stride);
    return r;
}

// ---- seeded random paths ----

using Pt = std::pair<double, double>;

void move(SegmentList& s, Pt p)
{
    s.push_back(std::make_unique<Vectors::SegmentMove>(static_cast<float>(p.first), static_cast<float>(p.second)));
}

void line(SegmentList& s, Pt p)
{
    s.push_back(std::make_unique<Vectors::SegmentLine>(static_cast<float>(p.first), static_cast<float>(p.second)));
}

void cubic(SegmentList& s, Pt c1, Pt c2, Pt end, bool smooth = false)
{
    auto v = [](Pt p) { return vec3(static_cast<float>(p.first), static_cast<float>(p.second), 0.0f); };
    s.push_back(std::make_unique<Vectors::SegmentCubic>(v(c1), v(c2), v(end), smooth));
}

void close(SegmentList& s)
{
    s.push_back(std::make_unique<Vectors::SegmentClose>());
}

// Lines between random points of a box: a soup that crosses itself.
SegmentList random_lines(Random& r, int n, double size, bool closed)
{
    SegmentList s;
    move(s, {r.uniform(0, size), r.uniform(0, size)});
    for (int i = 0; i < n; i++)
        line(s, {r.uniform(0, size), r.uniform(0, size)});
    if (closed)
        close(s);
    return s;
}

// Cubics with control points in a box, over one or more contours.
SegmentList random_cubics(Random& r, int n, double size, int contours)
{
    SegmentList s;
    for (int c = 0; c < contours; c++) {
        move(s, {r.uniform(0, size), r.uniform(0, size)});
        for (int i = 0; i < n; i++) {
            if (r.below(4) == 0)
                line(s, {r.uniform(0, size), r.uniform(0, size)});
            else {
                const Pt c1 = {r.uniform(0, size), r.uniform(0, size)};
                const Pt c2 = {r.uniform(0, size), r.uniform(0, size)};
                const Pt end = {r.uniform(0, size), r.uniform(0, size)};
                cubic(s, c1, c2, end, r.below(5) == 0);
            }
        }
        if (r.coin())
            close(s);
    }
    return s;
}

// Closed outlines that do not cross themselves, with holes: circles,
// stars, rounded boxes, side by side and nested.
SegmentList outlines(Random& r, int n)
{
    SegmentList s;
    const int contours = 1 + r.below(4);
    for (int c = 0; c < contours; c++) {
        const double cx = r.uniform(0, 300), cy = r.uniform(0, 300), radius = r.uniform(5, 150);
        const int points = 3 + r.below(std::max(1, n));
        const bool starred = r.coin();
        for (int i = 0; i < points; i++) {
            const double a = 2 * M_PI * i / points * (r.below(3) == 0 ? -1 : 1);
            const double rr = starred && i % 2 ? radius / 2 : radius;
            const Pt p = {cx + rr * std::cos(a), cy + rr * std::sin(a)};
            if (i == 0)
                move(s, p);
            else
                line(s, p);
        }
        close(s);
    }
    return s;
}

// Points on a coarse grid: repeated points, shared and collinear edges,
// zero-length segments.
SegmentList grid_path(Random& r, int n)
{
    SegmentList s;
    const int contours = 1 + r.below(3);
    for (int c = 0; c < contours; c++) {
        move(s, {10.0 * r.below(6), 10.0 * r.below(6)});
        for (int i = 0; i < n; i++)
            line(s, {10.0 * r.below(6), 10.0 * r.below(6)});
        if (r.coin())
            close(s);
    }
    return s;
}

// A polygon visiting n points of a circle in steps of k: a star polygon
// whose edges cross many times.
SegmentList circle_walk_path(int n, int k, double radius)
{
    SegmentList s;
    for (int i = 0; i < n; i++) {
        const double a = 2 * M_PI * static_cast<double>((static_cast<long long>(i) * k) % n) / n;
        const Pt p = {500 + radius * std::cos(a), 500 + radius * std::sin(a)};
        if (i == 0)
            move(s, p);
        else
            line(s, p);
    }
    close(s);
    return s;
}

// Shapes far from the origin or tiny: rounding decides the crossings.
SegmentList scaled_lines(Random& r, int n)
{
    const double scales[] = {1e-4, 1e-2, 1e4, 1e7, 1e12};
    const double scale = scales[r.below(5)];
    const double offset = r.coin() ? 0 : scale * 1000;
    SegmentList s;
    move(s, {offset + r.uniform(0, scale), r.uniform(0, scale)});
    for (int i = 0; i < n; i++)
        line(s, {offset + r.uniform(0, scale), r.uniform(0, scale)});
    close(s);
    return s;
}

// The random choices are taken one by one into named values: the order in
// which a call's arguments are evaluated is not fixed.
SegmentList seeded_path(std::uint32_t seed)
{
    Random r(seed * 2654435761u + 12345u);
    switch (seed % 10) {
    case 0: {
        const int n = 3 + r.below(60);
        return random_lines(r, n, 100, n % 2 == 0);
    }
    case 1:
        return random_lines(r, 5 + r.below(150), 100, true); // random segments in a square
    case 2: {
        const int n = 1 + r.below(12);
        return random_cubics(r, n, 200, 1 + n % 3);
    }
    case 3: {
        const int n = 10 + r.below(800);
        const double step = r.coin() ? 0.01 : r.uniform(0.001, 2);
        const double height = r.coin() ? 50 : r.uniform(1, 100);
        return testsupport::zigzag_path(n, step, height);
    }
    case 4:
        return testsupport::far_flung_cubics(2 + r.below(30), seed);
    case 5:
        return outlines(r, 40);
    case 6:
        return grid_path(r, 4 + r.below(40));
    case 7: {
        const int n = 5 + r.below(150);
        const int k = 2 + r.below(40);
        return circle_walk_path(n, k, 100 + r.uniform(0, 300));
    }
    case 8:
        return scaled_lines(r, 3 + r.below(40));
    default: {
        // Lines and cubics mixed, some contours open, some closed.
        const int n = 2 + r.below(20);
        SegmentList s = random_cubics(r, n, 500, 1 + n % 4);
        const int lines = 3 + r.below(30);
        SegmentList more = random_lines(r, lines, 500, lines % 2 == 0);
        for (auto& segment : more)
            s.push_back(std::move(segment));
        return s;
    }
    }
}

// ---- the paths of the other tests ----

const std::vector<Pt> kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};

std::vector<Pt> circle_walk(int n, int step, double r)
{
    std::vector<Pt> p;
    for (int i = 0; i < n; i++) {
        const double a = 2 * M_PI * static_cast<double>((static_cast<long long>(i) * step) % n) / n;
        p.push_back({500 + r * std::cos(a), 500 + r * std::sin(a)});
    }
    return p;
}

std::vector<Pt> star_outline(int n)
{
    std::vector<Pt> p;
    for (int i = 0; i < n; i++) {
        const double a = 2 * M_PI * i / n, r = i % 2 ? 250 : 500;
        p.push_back({500 + r * std::cos(a), 500 + r * std::sin(a)});
    }
    return p;
}

std::vector<Pt> random_points(int n, std::uint32_t seed, double size)
{
    Random r(seed);
    std::vector<Pt> p;
    for (int i = 0; i < n; i++)
        p.push_back({r.uniform(0, size), r.uniform(0, size)});
    return p;
}

using Case = std::pair<std::string, std::function<Record()>>;

void add_driver_cases(std::vector<Case>& cases)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::map<std::string, std::vector<std::vector<Pt>>> shapes = {
        {"square", {kSquare}},
        {"ring", {kSquare, {{25, 25}, {75, 25}, {75, 75}, {25, 75}}}},
        {"overlapping squares", {kSquare, {{50, 50}, {150, 50}, {150, 150}, {50, 150}}}},
        {"figure eight", {{{0, 0}, {100, 100}, {100, 0}, {0, 100}}}},
        {"collinear", {{{0, 0}, {10, 10}, {20, 20}}}},
        {"two points", {{{0, 0}, {10, 10}}}},
        {"one point", {{{5, 5}}}},
        {"non-finite", {{{0, 0}, {nan, 0}, {10, 10}}, kSquare, {{1e300, 0}, {0, 1e300}, {5, 5}}}},
        {"triangle", {{{150, 20}, {190, 20}, {190, 50}}}},
        {"4097-point star outline", {star_outline(4097)}},
        {"301-point star polygon", {circle_walk(301, 150, 500)}},
        {"2000-point self-crossing path", {circle_walk(2000, 7, 500)}},
        {"1000-gon", {circle_walk(1000, 1, 400)}},
    };
    for (const auto& [name, shape] : shapes)
        cases.push_back({"driver " + name, [shape] { return fill_points(shape); }});
    // A rounded box of cubics, as the scenes draw.
    cases.push_back({"driver rounded box", [] {
                         SegmentList s;
                         const double x0 = 100, x1 = 300, y0 = 50, y1 = 150, xc = 200, yc = 100;
                         move(s, {x0, yc});
                         cubic(s, {x0, y0}, {x0, y0}, {xc, y0});
                         cubic(s, {x1, y0}, {x1, y0}, {x1, yc});
                         cubic(s, {x1, y1}, {x1, y1}, {xc, y1});
                         cubic(s, {x0, y1}, {x0, y1}, {x0, yc});
                         close(s);
                         return fill_segments(s);
                     }});
    for (std::uint32_t seed = 0; seed < 1000; seed++)
        cases.push_back({"driver seeded " + std::to_string(seed), [seed] {
                             SegmentList s = seeded_path(seed);
                             return fill_segments(s);
                         }});
}

void add_tessellator_cases(std::vector<Case>& cases)
{
    // A soup of 1,024 points crosses itself about 130,000 times: one output
    // of it is enough.
    cases.push_back({"tess soup1024 seed 1 triangles", [] {
                         return tessellate_shape(tessfam::make_shape(tessfam::SOUP, 1024, 1), TESS_WINDING_ODD,
                                                 TESS_POLYGONS, 3, true);
                     }});
    struct FamilyCase {
        tessfam::Family family;
        int n;
    };
    const std::vector<FamilyCase> families = {
        {tessfam::CONVEX, 16}, {tessfam::CONVEX, 200},    {tessfam::STAR, 17},       {tessfam::STAR, 101},
        {tessfam::SOUP, 12},   {tessfam::SOUP, 200},      {tessfam::RINGS, 128},     {tessfam::GRID, 100},
        {tessfam::GRID, 400},  {tessfam::COLLINEAR, 160}, {tessfam::TJUNCTION, 40},  {tessfam::GLYPHS, 400},
        {tessfam::STAR, 1024},     {tessfam::RINGS, 1024},    {tessfam::GRID, 1024},
    };
    for (const FamilyCase& fc : families) {
        for (std::uint32_t seed : {1u, 2u, 3u, 7u, 11u}) {
            const std::string base = std::string("tess ") + tessfam::family_name(fc.family) + std::to_string(fc.n) +
                                     " seed " + std::to_string(seed);
            cases.push_back({base + " triangles", [=] {
                                 return tessellate_shape(tessfam::make_shape(fc.family, fc.n, seed),
                                                         TESS_WINDING_ODD, TESS_POLYGONS, 3, true);
                             }});
            cases.push_back({base + " hexagons", [=] {
                                 return tessellate_shape(tessfam::make_shape(fc.family, fc.n, seed),
                                                         TESS_WINDING_ODD, TESS_POLYGONS, 6, true);
                             }});
            cases.push_back({base + " boundary", [=] {
                                 return tessellate_shape(tessfam::make_shape(fc.family, fc.n, seed),
                                                         TESS_WINDING_ODD, TESS_BOUNDARY_CONTOURS, 0, true);
                             }});
        }
        // Every rule and the connected polygons, with a computed normal.
        for (int rule = TESS_WINDING_ODD; rule <= TESS_WINDING_ABS_GEQ_TWO; rule++)
            cases.push_back({std::string("tess ") + tessfam::family_name(fc.family) + std::to_string(fc.n) +
                                 " rule " + std::to_string(rule),
                             [=] {
                                 return tessellate_shape(tessfam::make_shape(fc.family, fc.n, 5), rule,
                                                         TESS_CONNECTED_POLYGONS, 4, false);
                             }});
    }
}

// Larger paths, each filling in well under a second.
void add_large_cases(std::vector<Case>& cases)
{
    cases.push_back({"large zigzag 20000", [] {
                         SegmentList s = testsupport::zigzag_path(20000, 0.01, 50);
                         return fill_segments(s);
                     }});
    cases.push_back({"large random segments 1000", [] {
                         SegmentList s = testsupport::random_segments_path(1000, 5, 100);
                         return fill_segments(s);
                     }});
    cases.push_back({"large far-flung cubics 400", [] {
                         SegmentList s = testsupport::far_flung_cubics(400, 7);
                         return fill_segments(s);
                     }});
    cases.push_back({"large 100000-gon", [] { return fill_points({circle_walk(100000, 1, 500)}); }});
    // Past the arena's first megabyte, with the arena kept to it: an empty
    // fill, and the next path as usual.
    cases.push_back({"large soup over a 1 MB arena", [] {
                         const std::size_t limit = tess_set_arena_limit(0);
                         testing::internal::CaptureStdout();
                         Record r = fill_points({random_points(6000, 3, 1000)});
                         testing::internal::GetCapturedStdout();
                         tess_set_arena_limit(limit);
                         return r;
                     }});
}

std::map<std::string, std::string> read_digests()
{
    std::map<std::string, std::string> digests;
    std::ifstream in(kDigestFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 18)
            continue;
        digests[line.substr(17)] = line.substr(0, 16);
    }
    return digests;
}

std::string hex(std::uint64_t h)
{
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(h));
    return text;
}

void check_cases(const std::vector<Case>& cases)
{
    const bool write = std::getenv("VELMO_WRITE_FILL_DIGESTS") != nullptr;
    const char* dumpPath = std::getenv("VELMO_FILL_DUMP");
    std::ofstream dump;
    if (dumpPath)
        dump.open(std::string(dumpPath) + "." + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                  std::ios::binary);
    std::map<std::string, std::string> digests = read_digests();
    int differ = 0;
    for (const auto& [name, run] : cases) {
        const Record r = run();
        const std::string h = hex(r.hash());
        if (dump)
            dump << name << '\n' << r.data().size() << '\n' << r.data();
        if (write) {
            digests[name] = h;
            continue;
        }
        const auto it = digests.find(name);
        if (it == digests.end()) {
            ADD_FAILURE() << name << ": no recorded digest";
        } else if (it->second != h && ++differ <= 20) {
            ADD_FAILURE() << name << ": the output changed (" << h << ", recorded " << it->second << ")";
        }
    }
    EXPECT_EQ(0, differ) << "of " << cases.size() << " outputs changed";
    if (write) {
        std::ofstream out(kDigestFile);
        for (const auto& [name, h] : digests)
            out << h << ' ' << name << '\n';
    }
}

}

TEST(FillDigest, SeededAndTestPathsFillAsRecorded)
{
    std::vector<Case> cases;
    add_driver_cases(cases);
    check_cases(cases);
}

TEST(FillDigest, TessellatorOutputsAsRecorded)
{
    std::vector<Case> cases;
    add_tessellator_cases(cases);
    check_cases(cases);
}

TEST(FillDigest, LargePathsFillAsRecorded)
{
    std::vector<Case> cases;
    add_large_cases(cases);
    check_cases(cases);
}

// The paths of the speed benchmark at full size. The old tessellator took
// minutes on some of them, so this runs only when asked for
// (--gtest_also_run_disabled_tests).
TEST(FillDigest, DISABLED_BenchmarkPathsFillAsRecorded)
{
    std::vector<Case> cases;
    for (int n : {5000, 10000, 20000})
        cases.push_back({"bench zigzag " + std::to_string(n), [n] {
                             SegmentList s = testsupport::zigzag_path(n, 0.01, 50);
                             return fill_segments(s);
                         }});
    for (int n : {2000, 3000})
        cases.push_back({"bench random segments " + std::to_string(n), [n] {
                             SegmentList s = testsupport::random_segments_path(n, 5, 100);
                             return fill_segments(s);
                         }});
    for (int n : {1000, 2000})
        cases.push_back({"bench far-flung cubics " + std::to_string(n), [n] {
                             SegmentList s = testsupport::far_flung_cubics(n, 7);
                             return fill_segments(s);
                         }});
    check_cases(cases);
}
