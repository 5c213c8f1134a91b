// Building a path of 2,000 far-flung cubic curves (flattening and stroke),
// the cost that must grow with the path's size on the page rather than with
// its curve count times the subdivision limit: CPU time per build, the
// points and stroke floats it makes, the bytes its lists hold and the
// process's peak resident size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <vector>

#include "support/far_cubics.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/stroke.h"

namespace {

void far_flung_build(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::vector<double> points;
    std::vector<unsigned> contours, strokeStarts;
    std::vector<float> stroke;
    for (auto _ : state) {
        state.PauseTiming();
        SegmentList segments = testsupport::far_flung_cubics(count, 7);
        points = {};
        stroke = {};
        strokeStarts.clear();
        state.ResumeTiming();
        flatten_path(segments, points, contours);
        build_stroke(points, contours, false, 10.0f, stroke, strokeStarts);
        benchmark::DoNotOptimize(stroke.data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["points"] = static_cast<double>(points.size() / 3);
    state.counters["stroke_floats"] = static_cast<double>(stroke.size());
    state.counters["held_MB"] =
        static_cast<double>(points.capacity() * sizeof(double) + stroke.capacity() * sizeof(float)) / 1e6;
    state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
}

}

BENCHMARK(far_flung_build)->Arg(2000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

BENCHMARK_MAIN();
