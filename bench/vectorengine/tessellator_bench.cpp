// Time per input vertex of the sweep-line tessellator (bare, heap
// allocator), of the fill driver (two passes in its arena, convex
// polygons) and of GLU's tessellator, on the same seeded families for n = 16
// to 4096. Like is timed with like: triangles against triangles, boundary
// contours against boundary contours; the driver against GLU's triangles.
// Before timing, each output's coverage is checked against the parity of
// the input edges at sample points (and the run skipped if it differs).
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/tess_families.h"
#include "support/tess_glu.h"
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

void register_all()
{
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
