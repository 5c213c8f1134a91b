// Time per input vertex of the sweep-line tessellator (bare, heap
// allocator), of the fill driver (two passes in its arena, convex
// polygons) and of GLU's tessellator, on the same seeded families for n = 16
// to 4096. Like is timed with like: triangles against triangles, boundary
// contours against boundary contours; the driver against GLU's triangles.
// Before timing, each output's coverage is checked against the parity of
// the input edges at sample points (and the run skipped if it differs).
//
// The "path/" benchmarks fill whole paths as a production does (the
// segments flattened first, outside the timing): zigzags of 5,000 to
// 100,000 lines, closed polylines through 1,000 to 3,000 random points of a
// square, and 400 to 2,000 far-flung cubics, each with the fill driver and
// with GLU's triangles of the same flattened points. The 3,000-point
// polyline needs more than the fill's memory limit: the driver gives it an
// empty fill after the out-of-memory line.
//
// The scene-sized paths ("path/scene/") are filled warm, one fill a
// repetition: a 64-point star, a zigzag of 100 lines, closed polylines
// through 30 and 100 random points, a spiral of 256 lines closed across its
// turns, a fan of 16 wedges meeting at one point, and a comb of 200 teeth.
// Median of 300 fills in microseconds
//   --benchmark_filter='^path/scene' --benchmark_repetitions=300
//   --benchmark_min_time=0.000001 --benchmark_report_aggregates_only=true
// for the code before the loops' trees, the trees alone (every loop a
// tree), and now (short loops labelled), medians of five runs taken in
// turn on one machine under a load average of about 9:
//                        before trees  trees alone   now
//   64-point star                42           86      40
//   zigzag, 100 lines           119          160     120
//   30 random points             90          209      92
//   100 random points          1637         3881    1644
//   spiral, 256 lines           102          235      94
//   fan of 16 wedges            105          264     108
//   comb of 200 teeth          1564          971    1583
//
// "path/squares/" (copies of one square) and "path/star/" (star outlines
// of 20,000 to 80,000 points) are the fill's quadratic cases: many vertices
// at one place, many edges across the sweep line at once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "support/far_cubics.h"
#include "support/large_paths.h"
#include "support/tess_families.h"
#include "support/tess_glu.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/sweep_tessellator.h"
#include "util/vectorengine/tesselator.h"

namespace {

using tessfam::Point;
using tessfam::Polygons;
using tessfam::Shape;

enum Engine { SWEEP, GLU, DRIVER };

const std::uint32_t kSeed = 11;

bool covers(const Polygons& polygons, bool boundary, float x, float y)
{
    if (boundary) {
        bool inside = false;
        for (const auto& p : polygons)
            if (tessfam::polygon_contains(p, x, y))
                inside = !inside;
        return inside;
    }
    for (const auto& p : polygons)
        if (tessfam::polygon_contains(p, x, y))
            return true;
    return false;
}

// Mismatching samples of the output against the parity oracle.
int check(const Shape& shape, const Polygons& out, bool boundary)
{
    int wrong = 0;
    for (const Point& s : tessfam::sample_points(shape, 200, 0.05f, kSeed))
        if (covers(out, boundary, s.x, s.y) != tessfam::inside_odd(shape, s.x, s.y))
            wrong++;
    return wrong;
}

Polygons sweep_run(Tessellator* tess, const Shape& shape, bool boundary)
{
    for (const auto& c : shape)
        tessellator_add_contour(tess, 2, c.data(), sizeof(Point), static_cast<int>(c.size()));
    const float up[3] = {0, 0, 1};
    Polygons out;
    if (!tessellator_tessellate(tess, TESS_WINDING_ODD, boundary ? TESS_BOUNDARY_CONTOURS : TESS_POLYGONS, 3, 2, up))
        return out;
    const float* v = tessellator_get_vertices(tess);
    const int* e = tessellator_get_elements(tess);
    for (int i = 0; i < tessellator_get_element_count(tess); i++) {
        std::vector<Point> p;
        const int first = boundary ? e[2 * i] : 0;
        const int count = boundary ? e[2 * i + 1] : 3;
        for (int k = 0; k < count; k++) {
            const int index = boundary ? first + k : e[3 * i + k];
            p.push_back({v[2 * index], v[2 * index + 1]});
        }
        out.push_back(p);
    }
    return out;
}

struct DriverInput {
    std::vector<double> points;
    std::vector<unsigned> contours;
};

DriverInput driver_input(const Shape& shape)
{
    DriverInput in;
    for (const auto& c : shape) {
        in.contours.push_back(static_cast<unsigned>(in.points.size()));
        for (const Point& p : c)
            in.points.insert(in.points.end(), {p.x, p.y, 0.0});
    }
    return in;
}

Polygons driver_run(const DriverInput& in, std::vector<float>& vertices, std::vector<unsigned>& starts)
{
    tessellate_path(in.points, in.contours, vertices, starts);
    Polygons out;
    for (std::size_t k = 0; k < starts.size(); k++) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : vertices.size();
        std::vector<Point> p;
        for (std::size_t i = starts[k]; i < end; i += 3)
            p.push_back({vertices[i], vertices[i + 1]});
        out.push_back(p);
    }
    return out;
}

void run(benchmark::State& state, Engine engine, tessfam::Family family, bool boundary)
{
    const Shape shape = tessfam::make_shape(family, static_cast<int>(state.range(0)), kSeed);
    const int n = tessfam::vertex_count(shape);
    Tessellator* tess = tessellator_create(nullptr);
    tessfam::GluTessellator glu(boundary);
    const DriverInput input = driver_input(shape);
    std::vector<float> vertices;
    std::vector<unsigned> starts;

    Polygons first;
    if (engine == SWEEP)
        first = sweep_run(tess, shape, boundary);
    else if (engine == GLU)
        first = glu.run(shape);
    else
        first = driver_run(input, vertices, starts);
    const int wrong = check(shape, first, boundary);
    if (wrong > 0 || (first.empty() && n > 0 && family != tessfam::GRID)) {
        state.SkipWithError(("output differs from the oracle at " + std::to_string(wrong) + " samples").c_str());
        tessellator_delete(tess);
        return;
    }

    for (auto _ : state) {
        if (engine == SWEEP) {
            for (const auto& c : shape)
                tessellator_add_contour(tess, 2, c.data(), sizeof(Point), static_cast<int>(c.size()));
            const float up[3] = {0, 0, 1};
            benchmark::DoNotOptimize(tessellator_tessellate(
                tess, TESS_WINDING_ODD, boundary ? TESS_BOUNDARY_CONTOURS : TESS_POLYGONS, 3, 2, up));
        } else if (engine == GLU) {
            benchmark::DoNotOptimize(glu.run(shape).size());
        } else {
            tessellate_path(input.points, input.contours, vertices, starts);
            benchmark::DoNotOptimize(starts.size());
        }
    }
    state.counters["vertices"] = n;
    state.counters["ns_per_vertex"] =
        benchmark::Counter(static_cast<double>(n) * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
    tessellator_delete(tess);
}

const std::vector<int> kSizes = {16, 64, 256, 1024, 4096};
// A soup of n random points has about n * n / 8 crossings: beyond 1024 a
// single run takes minutes with either tessellator.
const int kMaxSoup = 1024;

void add_sizes(benchmark::internal::Benchmark* b, tessfam::Family family)
{
    for (int n : kSizes)
        if (family != tessfam::SOUP || n <= kMaxSoup)
            b->Arg(n);
}

enum PathKind { ZIGZAG, RANDOM_SEGMENTS, FAR_CUBICS, STAR, SPIRAL, FAN, COMB, SQUARES };

SegmentList polyline(const std::vector<std::vector<Point>>& contours)
{
    SegmentList s;
    for (const auto& c : contours) {
        s.push_back(std::make_unique<Vectors::SegmentMove>(c[0].x, c[0].y));
        for (std::size_t i = 1; i < c.size(); i++)
            s.push_back(std::make_unique<Vectors::SegmentLine>(c[i].x, c[i].y));
        s.push_back(std::make_unique<Vectors::SegmentClose>());
    }
    return s;
}

Point polar(double radius, double angle)
{
    return {static_cast<float>(100 + radius * std::cos(angle)), static_cast<float>(100 + radius * std::sin(angle))};
}

// n points, on two circles in turn.
SegmentList star_path(int n)
{
    std::vector<Point> c;
    for (int i = 0; i < n; i++)
        c.push_back(polar(i % 2 ? 40 : 100, 2 * M_PI * i / n));
    return polyline({c});
}

// n lines over eight turns, growing outwards, closed back to the centre.
SegmentList spiral_path(int n)
{
    std::vector<Point> c;
    for (int i = 0; i <= n; i++)
        c.push_back(polar(10 + 90.0 * i / n, 16 * M_PI * i / n));
    return polyline({c});
}

// n triangles from the centre, with gaps between them.
SegmentList fan_path(int n)
{
    std::vector<std::vector<Point>> wedges;
    for (int i = 0; i < n; i++)
        wedges.push_back({polar(0, 0), polar(100, 2 * M_PI * i / n), polar(100, 2 * M_PI * (i + 0.5) / n)});
    return polyline(wedges);
}

// n copies of one square.
SegmentList squares_path(int n)
{
    return polyline(std::vector<std::vector<Point>>(n, {{0, 0}, {100, 0}, {100, 100}, {0, 100}}));
}

// n teeth standing on a bar.
SegmentList comb_path(int n)
{
    std::vector<Point> c;
    for (int i = 0; i < n; i++) {
        const float x = static_cast<float>(2 * i);
        c.insert(c.end(), {{x, 0}, {x, 50}, {x + 1, 50}, {x + 1, 0}});
    }
    c.insert(c.end(), {{static_cast<float>(2 * n), -10}, {0, -10}});
    return polyline({c});
}

SegmentList make_path(PathKind kind, int n)
{
    switch (kind) {
    case ZIGZAG:
        return testsupport::zigzag_path(n, 0.01, 50);
    case RANDOM_SEGMENTS:
        return testsupport::random_segments_path(n, 5, 100);
    case STAR:
        return star_path(n);
    case SPIRAL:
        return spiral_path(n);
    case FAN:
        return fan_path(n);
    case COMB:
        return comb_path(n);
    case SQUARES:
        return squares_path(n);
    case FAR_CUBICS:
        break;
    }
    return testsupport::far_flung_cubics(n, 7);
}

void run_path(benchmark::State& state, Engine engine, PathKind kind)
{
    SegmentList segments = make_path(kind, static_cast<int>(state.range(0)));
    DriverInput input;
    flatten_path(segments, input.points, input.contours);
    const Shape shape = tessfam::shape_of_points(input.points, input.contours);
    tessfam::GluTessellator glu(false);
    std::vector<float> vertices;
    std::vector<unsigned> starts;
    std::size_t polygons = 0;
    for (auto _ : state) {
        if (engine == GLU) {
            polygons = glu.run(shape).size();
        } else {
            tessellate_path(input.points, input.contours, vertices, starts);
            polygons = starts.size();
        }
        benchmark::DoNotOptimize(polygons);
    }
    state.counters["points"] = static_cast<double>(input.points.size() / 3);
    state.counters["polygons"] = static_cast<double>(polygons);
}

void register_paths()
{
    const std::vector<std::tuple<PathKind, const char*, std::vector<int>>> kinds = {
        {ZIGZAG, "zigzag", {5000, 10000, 20000, 100000}},
        {RANDOM_SEGMENTS, "random_segments", {1000, 2000, 3000}},
        {FAR_CUBICS, "far_cubics", {400, 1000, 2000}},
    };
    for (const auto& [kind, name, sizes] : kinds) {
        for (const auto& [engine, engineName] : {std::pair{DRIVER, "fill"}, std::pair{GLU, "glu"}}) {
            const std::string label = std::string("path/") + name + "/" + engineName;
            auto* b = benchmark::RegisterBenchmark(label.c_str(),
                                                   [=](benchmark::State& s) { run_path(s, engine, kind); });
            for (int n : sizes)
                b->Arg(n);
            b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
        }
    }
    // Paths whose fill grows about as the square of their size: many
    // vertices at one place, many edges across the sweep line at once.
    for (const auto& [kind, name, sizes] : {std::tuple{SQUARES, "squares", std::vector<int>{2500, 5000, 10000}},
                                            std::tuple{STAR, "star", std::vector<int>{20000, 40000, 80000}}}) {
        auto* b = benchmark::RegisterBenchmark((std::string("path/") + name + "/fill").c_str(),
                                               [=](benchmark::State& s) { run_path(s, DRIVER, kind); });
        for (int n : sizes)
            b->Arg(n);
        b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
    }
    const std::vector<std::tuple<PathKind, const char*, int>> scenes = {
        {STAR, "star", 64},     {ZIGZAG, "zigzag", 100}, {RANDOM_SEGMENTS, "random_segments", 30},
        {RANDOM_SEGMENTS, "random_segments", 100},       {SPIRAL, "spiral", 256},
        {FAN, "fan", 16},       {COMB, "comb", 200},
    };
    for (const auto& [kind, name, n] : scenes) {
        const std::string label = std::string("path/scene/") + name + "/fill";
        benchmark::RegisterBenchmark(label.c_str(), [=](benchmark::State& s) { run_path(s, DRIVER, kind); })
            ->Arg(n)
            ->Unit(benchmark::kMicrosecond);
    }
}

void register_all()
{
    register_paths();
    for (tessfam::Family family : tessfam::all_families()) {
        for (const auto& [engine, name] : {std::pair{SWEEP, "sweep"}, std::pair{GLU, "glu"}}) {
            for (bool boundary : {false, true}) {
                const std::string label = std::string(tessfam::family_name(family)) + "/" + name +
                                          (boundary ? "/boundary" : "/triangles");
                auto* b = benchmark::RegisterBenchmark(label.c_str(), [=](benchmark::State& s) {
                    run(s, engine, family, boundary);
                });
                add_sizes(b, family);
            }
        }
        const std::string label = std::string(tessfam::family_name(family)) + "/driver/polygons";
        auto* b = benchmark::RegisterBenchmark(label.c_str(),
                                               [=](benchmark::State& s) { run(s, DRIVER, family, false); });
        add_sizes(b, family);
    }
}

}

int main(int argc, char** argv)
{
    register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
