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
#include <benchmark/benchmark.h>

#include <cmath>
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

enum PathKind { ZIGZAG, RANDOM_SEGMENTS, FAR_CUBICS };

SegmentList make_path(PathKind kind, int n)
{
    switch (kind) {
    case ZIGZAG:
        return testsupport::zigzag_path(n, 0.01, 50);
    case RANDOM_SEGMENTS:
        return testsupport::random_segments_path(n, 5, 100);
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
    Shape shape;
    for (std::size_t c = 0; c < input.contours.size(); c++) {
        const std::size_t end = c + 1 < input.contours.size() ? input.contours[c + 1] : input.points.size();
        tessfam::Contour contour;
        for (std::size_t i = input.contours[c]; i < end; i += 3)
            contour.push_back({static_cast<float>(input.points[i]), static_cast<float>(input.points[i + 1])});
        shape.push_back(contour);
    }
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
