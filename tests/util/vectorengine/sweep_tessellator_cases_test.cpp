// The sweep-line tessellator's interface: small cases with known answers,
// winding rules, element types, and failure handling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "support/large_paths.h"
#include "support/tess_families.h"
#include "util/vectorengine/flatten.h"
#include "util/vectorengine/sweep_queue.h"
#include "util/vectorengine/sweep_tessellator.h"

namespace {

struct TessDeleter {
    void operator()(Tessellator* t) const { tessellator_delete(t); }
};
using TessPtr = std::unique_ptr<Tessellator, TessDeleter>;

void add(Tessellator* tess, const std::vector<float>& xy)
{
    tessellator_add_contour(tess, 2, xy.data(), 8, static_cast<int>(xy.size() / 2));
}

// Area of the polygon output (vertex size 2).
double polygon_area(const Tessellator* tess, int polySize)
{
    const float* v = tessellator_get_vertices(tess);
    const int* e = tessellator_get_elements(tess);
    double area = 0;
    for (int p = 0; p < tessellator_get_element_count(tess); p++) {
        const int* poly = e + p * polySize;
        int n = 0;
        while (n < polySize && poly[n] >= 0)
            n++;
        for (int k = 0; k < n; k++) {
            const float* a = v + 2 * poly[k];
            const float* b = v + 2 * poly[(k + 1) % n];
            area += (double(a[0]) * b[1] - double(b[0]) * a[1]) / 2;
        }
    }
    return area;
}

const std::vector<float> kSquareA = {0, 0, 10, 0, 10, 10, 0, 10};
const std::vector<float> kSquareB = {5, 5, 15, 5, 15, 15, 5, 15};

// A counting allocator that can be told to fail after some allocations.
struct Budget {
    int left;
    int live = 0;
};

void* budget_alloc(void* user, unsigned size)
{
    auto* b = static_cast<Budget*>(user);
    if (b->left-- <= 0)
        return nullptr;
    b->live++;
    return std::malloc(size);
}

void budget_free(void* user, void* p)
{
    static_cast<Budget*>(user)->live--;
    std::free(p);
}

// An allocator whose blocks start a given number of bytes past malloc's
// (so off 16-byte alignment by that much).
void* offset_alloc(void* user, unsigned size)
{
    const std::size_t offset = *static_cast<const std::size_t*>(user);
    auto* p = static_cast<unsigned char*>(std::malloc(size + offset));
    return p ? p + offset : nullptr;
}

void* offset_realloc(void* user, void* block, unsigned size)
{
    const std::size_t offset = *static_cast<const std::size_t*>(user);
    auto* p = static_cast<unsigned char*>(std::realloc(static_cast<unsigned char*>(block) - offset, size + offset));
    return p ? p + offset : nullptr;
}

void offset_free(void* user, void* block)
{
    const std::size_t offset = *static_cast<const std::size_t*>(user);
    std::free(static_cast<unsigned char*>(block) - offset);
}

void add_shape(Tessellator* tess, const tessfam::Shape& shape)
{
    for (const tessfam::Contour& c : shape)
        tessellator_add_contour(tess, 2, c.data(), sizeof(tessfam::Point), static_cast<int>(c.size()));
}

tessfam::Shape flattened(SegmentList segments)
{
    std::vector<double> points;
    std::vector<unsigned> starts;
    flatten_path(segments, points, starts);
    return tessfam::shape_of_points(points, starts);
}

// The vertices and elements of a tessellation, as they came out.
struct Output {
    std::vector<float> vertices;
    std::vector<int> elements;
    bool operator==(const Output&) const = default;
};

Output tessellate(const TessAllocator* record, const tessfam::Shape& shape, int elementType)
{
    TessPtr tess(tessellator_create(record));
    add_shape(tess.get(), shape);
    Output out;
    if (!tessellator_tessellate(tess.get(), TESS_WINDING_ODD, elementType, 3, 2, nullptr))
        return out;
    const float* v = tessellator_get_vertices(tess.get());
    out.vertices.assign(v, v + 2 * tessellator_get_vertex_count(tess.get()));
    const int* e = tessellator_get_elements(tess.get());
    const int per = elementType == TESS_BOUNDARY_CONTOURS ? 2 : 3;
    out.elements.assign(e, e + per * tessellator_get_element_count(tess.get()));
    return out;
}

}

TEST(SweepTessellator, TriangleBoundaryKeepsInputIndices)
{
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), {0, 0, 10, 0, 0, 10});
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_BOUNDARY_CONTOURS, 0, 2, nullptr));
    ASSERT_EQ(1, tessellator_get_element_count(tess.get()));
    EXPECT_EQ(3, tessellator_get_elements(tess.get())[1]);
    std::vector<int> indices(tessellator_get_vertex_indices(tess.get()), tessellator_get_vertex_indices(tess.get()) + 3);
    std::sort(indices.begin(), indices.end());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), indices);
}

TEST(SweepTessellator, FigureEightCrossingHasNoInputIndex)
{
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), {0, 0, 10, 10, 10, 0, 0, 10});
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr));
    EXPECT_EQ(2, tessellator_get_element_count(tess.get()));
    const int* vi = tessellator_get_vertex_indices(tess.get());
    const float* v = tessellator_get_vertices(tess.get());
    int crossings = 0;
    for (int i = 0; i < tessellator_get_vertex_count(tess.get()); i++)
        if (vi[i] == -1) {
            crossings++;
            EXPECT_FLOAT_EQ(5.0f, v[2 * i]);
            EXPECT_FLOAT_EQ(5.0f, v[2 * i + 1]);
        }
    EXPECT_EQ(1, crossings);
    EXPECT_NEAR(50.0, std::abs(polygon_area(tess.get(), 3)), 1e-4);
}

TEST(SweepTessellator, DegenerateContoursGiveNothing)
{
    TessPtr tess(tessellator_create(nullptr));
    for (const std::vector<float>& contour : {std::vector<float>{1, 1, 5, 5}, std::vector<float>{0, 0, 1, 1, 2, 2},
                                              std::vector<float>{3, 0, 3, 4, 3, 9}, std::vector<float>{2, 2}}) {
        add(tess.get(), contour);
        EXPECT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr));
        EXPECT_EQ(0, tessellator_get_element_count(tess.get()));
    }
}

TEST(SweepTessellator, HexagonPolygonSizes)
{
    std::vector<float> hexagon;
    for (int i = 0; i < 6; i++) {
        hexagon.push_back(std::cos(i * 3.14159265f / 3) * 10);
        hexagon.push_back(std::sin(i * 3.14159265f / 3) * 10);
    }
    const double area = 1.5 * std::sqrt(3.0) * 100;
    for (const auto& [size, count] : {std::pair{6, 1}, std::pair{3, 4}, std::pair{4, 2}}) {
        TessPtr tess(tessellator_create(nullptr));
        add(tess.get(), hexagon);
        ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, size, 2, nullptr));
        EXPECT_EQ(count, tessellator_get_element_count(tess.get())) << "size " << size;
        EXPECT_NEAR(area, polygon_area(tess.get(), size), 1e-3);
    }
}

TEST(SweepTessellator, SecondCallWithoutContoursFails)
{
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), kSquareA);
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr));
    EXPECT_EQ(0, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr));
    EXPECT_EQ(0, tessellator_get_element_count(tess.get()));
    EXPECT_EQ(0, tessellator_get_vertex_count(tess.get()));
}

TEST(SweepTessellator, BucketSizesAreClamped)
{
    TessAllocator record = {};
    record.allocate = [](void*, unsigned size) { return std::malloc(size); };
    record.free = [](void*, void* p) { std::free(p); };
    record.meshEdgeBucketSize = 1;
    record.meshVertexBucketSize = 100000;
    TessPtr tess(tessellator_create(&record));
    int sizes[5];
    tessellator_get_bucket_sizes(tess.get(), sizes);
    EXPECT_EQ(16, sizes[0]);
    EXPECT_EQ(4096, sizes[1]);
    EXPECT_EQ(256, sizes[2]);
    EXPECT_EQ(512, sizes[3]);
    EXPECT_EQ(256, sizes[4]);
}

// Two overlapping squares, both counter-clockwise, and a clockwise one over
// them: windings 1, 2 and -1 / 0 / 1 in different parts.
TEST(SweepTessellator, WindingRules)
{
    struct Case {
        int rule;
        double area;
    };
    // Square A (winding 1), B (1, overlap 25 of winding 2), C reversed
    // over x 20..30 (winding -1, area 100).
    const std::vector<float> squareC = {20, 0, 20, 10, 30, 10, 30, 0};
    for (const Case& c : {Case{TESS_WINDING_ODD, 150 + 100}, Case{TESS_WINDING_NONZERO, 175 + 100},
                          Case{TESS_WINDING_POSITIVE, 175}, Case{TESS_WINDING_NEGATIVE, 100},
                          Case{TESS_WINDING_ABS_GEQ_TWO, 25}}) {
        TessPtr tess(tessellator_create(nullptr));
        add(tess.get(), kSquareA);
        add(tess.get(), kSquareB);
        add(tess.get(), squareC);
        const float up[3] = {0, 0, 1};
        ASSERT_EQ(1, tessellator_tessellate(tess.get(), c.rule, TESS_POLYGONS, 3, 2, up));
        EXPECT_NEAR(c.area, polygon_area(tess.get(), 3), 1e-3) << "rule " << c.rule;
    }
}

TEST(SweepTessellator, ConnectedPolygonsNameTheirNeighbours)
{
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), kSquareA);
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_CONNECTED_POLYGONS, 3, 2, nullptr));
    ASSERT_EQ(2, tessellator_get_element_count(tess.get()));
    const int* e = tessellator_get_elements(tess.get());
    for (int p = 0; p < 2; p++) {
        int neighbours = 0;
        for (int k = 3; k < 6; k++) {
            if (e[p * 6 + k] >= 0) {
                EXPECT_EQ(1 - p, e[p * 6 + k]);
                neighbours++;
            }
        }
        EXPECT_EQ(1, neighbours);
    }
}

TEST(SweepTessellator, NonFiniteContourIsLeftOut)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), {0, 0, nan, 0, 10, 10});
    add(tess.get(), {0, 0, inf, 0, 10, -inf});
    add(tess.get(), kSquareA);
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr));
    EXPECT_NEAR(100.0, std::abs(polygon_area(tess.get(), 3)), 1e-4);
    // Indices still count the left-out vertices.
    const int* vi = tessellator_get_vertex_indices(tess.get());
    for (int i = 0; i < tessellator_get_vertex_count(tess.get()); i++)
        EXPECT_GE(vi[i], 6);
}

TEST(SweepTessellator, HugeCoordinatesStayFinite)
{
    TessPtr tess(tessellator_create(nullptr));
    add(tess.get(), {-3e38f, -3e38f, 3e38f, -3e38f, 3e38f, 3e38f, 0, 1, -3e38f, 3e38f});
    add(tess.get(), {-1e38f, 1, 2e38f, -1, 0, 1e-30f});
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 6, 3, nullptr));
    const float* v = tessellator_get_vertices(tess.get());
    for (int i = 0; i < 3 * tessellator_get_vertex_count(tess.get()); i++)
        EXPECT_TRUE(std::isfinite(v[i]));
}

// Every allocation failure on the way ends in a clean 0 with empty results,
// returns all memory, and the next tessellation works.
TEST(SweepTessellator, AllocationFailuresRecover)
{
    for (int budget = 1; budget < 40; budget++) {
        Budget b = {budget};
        TessAllocator record = {};
        record.allocate = budget_alloc;
        record.free = budget_free;
        record.userData = &b;
        record.meshEdgeBucketSize = 16;
        record.meshVertexBucketSize = 16;
        Tessellator* tess = tessellator_create(&record);
        if (!tess)
            continue;
        add(tess, kSquareA);
        add(tess, kSquareB);
        const int ok = tessellator_tessellate(tess, TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr);
        if (!ok) {
            EXPECT_EQ(0, tessellator_get_element_count(tess));
            EXPECT_EQ(0, tessellator_get_vertex_count(tess));
            EXPECT_EQ(nullptr, tessellator_get_elements(tess));
        }
        b.left = 1000;
        add(tess, kSquareA);
        ASSERT_EQ(1, tessellator_tessellate(tess, TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, nullptr)) << budget;
        EXPECT_NEAR(100.0, std::abs(polygon_area(tess, 3)), 1e-4);
        tessellator_delete(tess);
        EXPECT_EQ(0, b.live) << budget;
    }
}

// The event queue hands out vertices in event order from both its parts;
// its heap grows only through the reallocate function, and without one a
// full heap answers with the invalid handle.
TEST(SweepTessellator, EventQueueOrderAndGrowth)
{
    TessAllocator record = {};
    record.allocate = [](void*, unsigned size) { return std::malloc(size); };
    record.free = [](void*, void* p) { std::free(p); };
    std::vector<TessVertex> v(40);
    for (std::size_t i = 0; i < v.size(); i++) {
        v[i].s = double((i * 7) % 13);
        v[i].t = double((i * 5) % 11);
    }
    for (bool grows : {false, true}) {
        record.reallocate = nullptr;
        if (grows)
            record.reallocate = [](void*, void* p, unsigned size) { return std::realloc(p, size); };
        TessEventQueue queue(record, 20);
        for (int i = 0; i < 20; i++)
            v[i].queueHandle = queue.add_sorted(&v[i]);
        queue.sort();
        queue.remove(v[3].queueHandle);
        int invalid = 0;
        for (int i = 20; i < 40; i++) {
            v[i].queueHandle = queue.insert(&v[i]);
            if (v[i].queueHandle == TessEventQueue::kInvalidHandle)
                invalid++;
        }
        EXPECT_EQ(0, invalid);
        // Past the first size, only a growing heap takes more.
        TessVertex extra[30];
        for (TessVertex& e : extra)
            if (queue.insert(&e) == TessEventQueue::kInvalidHandle)
                invalid++;
        EXPECT_EQ(grows ? 0 : 30, invalid);
        int count = 0;
        const TessVertex* last = nullptr;
        while (const TessVertex* next = queue.extract_min()) {
            if (last) {
                EXPECT_TRUE(last->s < next->s || (last->s == next->s && last->t <= next->t));
            }
            EXPECT_NE(&v[3], next);
            last = next;
            count++;
        }
        EXPECT_EQ(grows ? 69 : 39, count);
    }
}

// Any alignment of the allocator's blocks gives the same fill as malloc's:
// a short outline, a long zigzag (one loop split again and again) and a
// star polygon whose crossings grow the event queue through reallocate.
TEST(SweepTessellator, AllocatorsOfAnyAlignmentFillTheSame)
{
    std::vector<tessfam::Point> star;
    for (int i = 0; i < 61; i++) {
        const double a = 2 * M_PI * ((i * 30) % 61) / 61;
        star.push_back({static_cast<float>(100 * std::cos(a)), static_cast<float>(100 * std::sin(a))});
    }
    const std::vector<tessfam::Shape> shapes = {
        {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{5, 5}, {15, 5}, {15, 15}, {5, 15}}},
        flattened(testsupport::zigzag_path(3000, 0.01, 50)),
        {star},
    };
    for (std::size_t offset : {1, 4, 8}) {
        TessAllocator record = {};
        record.allocate = offset_alloc;
        record.reallocate = offset_realloc;
        record.free = offset_free;
        record.userData = &offset;
        for (std::size_t k = 0; k < shapes.size(); k++) {
            for (int type : {TESS_POLYGONS, TESS_BOUNDARY_CONTOURS}) {
                const Output expected = tessellate(nullptr, shapes[k], type);
                ASSERT_FALSE(expected.elements.empty());
                EXPECT_TRUE(expected == tessellate(&record, shapes[k], type))
                    << "offset " << offset << ", shape " << k << ", type " << type;
            }
        }
    }
}

// The loops' trees take a number of steps near n log n on long paths (a
// splay tree's bound); a splay that loses its balance takes far more.
TEST(SweepTessellator, LoopTreeStepsStayNearNLogN)
{
    struct Case {
        const char* name;
        tessfam::Shape shape;
    };
    const std::vector<Case> cases = {
        {"20,000-line zigzag", flattened(testsupport::zigzag_path(20000, 0.01, 50))},
        {"4,000-line zigzag, steep", flattened(testsupport::zigzag_path(4000, 1, 1000))},
        {"400 random lines", flattened(testsupport::random_segments_path(400, 5, 100))},
        {"1,500-point star", tessfam::make_shape(tessfam::STAR, 1500, 3)},
    };
    for (const Case& c : cases) {
        // n: the points with the crossings, as the triangles' vertices count them.
        double n = 0;
        for (int type : {TESS_POLYGONS, TESS_BOUNDARY_CONTOURS}) {
            TessPtr tess(tessellator_create(nullptr));
            add_shape(tess.get(), c.shape);
            ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, type, 3, 2, nullptr)) << c.name;
            if (type == TESS_POLYGONS)
                n = tessellator_get_vertex_count(tess.get());
            // These take up to about 8 n log2 n steps; with the splay's two
            // double rotations swapped, the long zigzag's boundary over 500.
            EXPECT_LE(tessellator_get_loop_tree_steps(tess.get()), 20 * n * std::log2(n))
                << c.name << ", element type " << type << ", n " << n;
        }
    }
}
