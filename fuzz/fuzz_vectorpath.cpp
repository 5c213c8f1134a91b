// Vector paths: any sequence of moves, lines, cubics and closes, with any
// coordinates (NaN, infinities, huge, tiny, repeated, collinear), is
// flattened, stroked and filled without crashing, hanging or leaking, and
// gives only finite stroke and fill vertices. The same contours also go
// through the tessellator with every winding rule and element type.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_support.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/stroke.h"
#include "util/vectorengine/sweep_tessellator.h"
#include "util/vectorengine/tesselator.h"

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool more() const { return pos < size; }
    std::uint8_t byte() { return pos < size ? data[pos++] : 0; }

    // Mostly a coarse grid (repeats, collinear runs, shared edges), else raw
    // float bits or a special value.
    float coordinate()
    {
        const std::uint8_t b = byte();
        if (b < 200)
            return static_cast<float>(b % 25 - 12) * 10.0f;
        if (b < 246) {
            float f;
            std::uint8_t bytes[4] = {byte(), byte(), byte(), byte()};
            std::memcpy(&f, bytes, 4);
            return f;
        }
        const float odd_values[10] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(), 3.4e38f, -3.4e38f, 1e-40f, 0.0f, 1e20f,
                                    0.001f, -1e-7f};
        return odd_values[b - 246];
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

void require_finite(const std::vector<float>& values)
{
    for (float v : values)
        if (!std::isfinite(v))
            std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init();
    // The fill's arena may grow; kept small here so that every run stays
    // short (a path that needs more gets an empty fill).
    tess_set_arena_limit(8u << 20);
    Reader in(data, size);
    const std::uint8_t options = in.byte();
    SegmentList segments;
    while (in.more() && segments.size() < 2000) {
        switch (in.byte() % 5) {
        case 0: {
            const float x = in.coordinate(), y = in.coordinate();
            segments.push_back(std::make_unique<Vectors::SegmentMove>(x, y));
            break;
        }
        case 1: {
            const float x = in.coordinate(), y = in.coordinate();
            segments.push_back(std::make_unique<Vectors::SegmentLine>(x, y));
            break;
        }
        case 2:
        case 3: {
            float c[6];
            for (float& v : c)
                v = in.coordinate();
            segments.push_back(std::make_unique<Vectors::SegmentCubic>(vec3(c[0], c[1], 0), vec3(c[2], c[3], 0),
                                                                       vec3(c[4], c[5], 0), (options & 1) != 0));
            break;
        }
        default:
            segments.push_back(std::make_unique<Vectors::SegmentClose>());
        }
    }

    std::vector<double> points;
    std::vector<unsigned> contours;
    flatten_path(segments, points, contours);

    std::vector<float> stroke;
    std::vector<unsigned> strokeStarts;
    const bool closed = !segments.empty() && segments.back()->GetType() == Vectors::SEGMENT_CLOSE;
    build_stroke(points, contours, closed, 10.0f, stroke, strokeStarts);
    require_finite(stroke);
    if (points.size() > 3 * 6000)
        return 0; // beyond any path a scene fills; keeps each run short

    std::vector<float> fill;
    std::vector<unsigned> fillStarts;
    tessellate_path(points, contours, fill, fillStarts);
    require_finite(fill);
    for (unsigned s : fillStarts)
        if (s >= fill.size() || s % 3 != 0)
            std::abort();

    Tessellator* tess = tessellator_create(nullptr);
    const std::vector<float> floats(points.begin(), points.end());
    for (std::size_t c = 0; c < contours.size(); c++) {
        const std::size_t end = c + 1 < contours.size() ? contours[c + 1] : floats.size();
        if (end > contours[c])
            tessellator_add_contour(tess, 3, floats.data() + contours[c], 12, static_cast<int>((end - contours[c]) / 3));
    }
    const int rule = (options >> 1) % 5;
    const int type = (options >> 4) % 3;
    const int polySize = 3 + (options >> 6);
    if (tessellator_tessellate(tess, rule, type, polySize, 3, nullptr)) {
        const int count = tessellator_get_vertex_count(tess);
        const float* v = tessellator_get_vertices(tess);
        for (int i = 0; i < 3 * count; i++)
            if (!std::isfinite(v[i]))
                std::abort();
        const int* e = tessellator_get_elements(tess);
        const int stride = type == TESS_BOUNDARY_CONTOURS ? 2 : (type == TESS_CONNECTED_POLYGONS ? 2 : 1) * polySize;
        for (int i = 0; i < tessellator_get_element_count(tess) * stride; i++)
            if (e[i] < -1 || (type != TESS_BOUNDARY_CONTOURS && e[i] >= count && i % stride < polySize))
                std::abort();
    }
    tessellator_delete(tess);
    return 0;
}
