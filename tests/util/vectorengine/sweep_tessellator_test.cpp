// The sweep-line tessellator against independent oracles: ray-crossing
// parity of the input edges at sample points, and GLU's tessellator.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "support/tess_families.h"
#include "support/tess_glu.h"
#include "util/vectorengine/sweep_tessellator.h"

using tessfam::Point;
using tessfam::Shape;

namespace {

struct TessDeleter {
    void operator()(Tessellator* t) const { tessellator_delete(t); }
};
using TessPtr = std::unique_ptr<Tessellator, TessDeleter>;

TessPtr make_tess()
{
    return TessPtr(tessellator_create(nullptr));
}

void add_shape(Tessellator* tess, const Shape& shape)
{
    for (const auto& c : shape)
        tessellator_add_contour(tess, 2, c.data(), sizeof(Point), static_cast<int>(c.size()));
}

std::vector<Point> input_vertices(const Shape& shape)
{
    std::vector<Point> all;
    for (const auto& c : shape)
        all.insert(all.end(), c.begin(), c.end());
    return all;
}

struct Polygons {
    std::vector<std::vector<Point>> polygons;
    std::vector<std::vector<int>> indices;
};

Polygons read_polygons(const Tessellator* tess, int polySize, int vertexSize)
{
    Polygons out;
    const float* v = tessellator_get_vertices(tess);
    const int* vi = tessellator_get_vertex_indices(tess);
    const int* e = tessellator_get_elements(tess);
    for (int p = 0; p < tessellator_get_element_count(tess); p++) {
        std::vector<Point> poly;
        std::vector<int> idx;
        for (int k = 0; k < polySize; k++) {
            const int i = e[p * polySize + k];
            if (i < 0)
                break;
            poly.push_back({v[i * vertexSize], v[i * vertexSize + 1]});
            idx.push_back(vi[i]);
        }
        out.polygons.push_back(poly);
        out.indices.push_back(idx);
    }
    return out;
}

std::vector<std::vector<Point>> read_contours(const Tessellator* tess)
{
    std::vector<std::vector<Point>> out;
    const float* v = tessellator_get_vertices(tess);
    const int* e = tessellator_get_elements(tess);
    for (int c = 0; c < tessellator_get_element_count(tess); c++) {
        std::vector<Point> contour;
        for (int k = 0; k < e[2 * c + 1]; k++)
            contour.push_back({v[2 * (e[2 * c] + k)], v[2 * (e[2 * c] + k) + 1]});
        out.push_back(contour);
    }
    return out;
}

bool is_convex_ccw(const std::vector<Point>& p)
{
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; i++) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % n];
        const Point& c = p[(i + 2) % n];
        const double cross = (double(b.x) - a.x) * (double(c.y) - b.y) - (double(b.y) - a.y) * (double(c.x) - b.x);
        // Slack for float rounding of nearly straight corners.
        const double scale = std::abs(double(b.x) - a.x) + std::abs(double(b.y) - a.y) + std::abs(double(c.x) - b.x) +
                             std::abs(double(c.y) - b.y);
        if (cross < -1e-5 * scale * scale)
            return false;
    }
    return tessfam::signed_area(p) >= 0;
}

int coverage(const std::vector<std::vector<Point>>& polygons, float x, float y)
{
    int n = 0;
    for (const auto& p : polygons)
        if (tessfam::polygon_contains(p, x, y))
            n++;
    return n;
}

double total_area(const std::vector<std::vector<Point>>& polygons)
{
    double a = 0;
    for (const auto& p : polygons)
        a += std::abs(tessfam::signed_area(p));
    return a;
}

struct FamilyCase {
    tessfam::Family family;
    int n;
};

class TessFamilies : public ::testing::TestWithParam<FamilyCase> {};

const float kUp[3] = {0, 0, 1};

}

// Triangles and convex hexagons cover every sample point exactly as often as
// the parity of the input edges says (once inside, never outside), are
// convex and counter-clockwise, and have input indices or -1.
TEST_P(TessFamilies, PolygonsMatchParityOracle)
{
    const FamilyCase param = GetParam();
    for (std::uint32_t seed = 1; seed <= 3; seed++) {
        const Shape shape = tessfam::make_shape(param.family, param.n, seed);
        const std::vector<Point> input = input_vertices(shape);
        const auto samples = tessfam::sample_points(shape, 300, 0.05f, seed);
        for (int polySize : {3, 6}) {
            SCOPED_TRACE(std::string(tessfam::family_name(param.family)) + " seed " + std::to_string(seed) +
                         " size " + std::to_string(polySize));
            TessPtr tess = make_tess();
            add_shape(tess.get(), shape);
            ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, polySize, 2, kUp));
            const Polygons out = read_polygons(tess.get(), polySize, 2);
            for (std::size_t p = 0; p < out.polygons.size(); p++) {
                ASSERT_GE(out.polygons[p].size(), 3u);
                ASSERT_LE(out.polygons[p].size(), static_cast<std::size_t>(polySize));
                EXPECT_TRUE(is_convex_ccw(out.polygons[p])) << "polygon " << p;
                for (std::size_t k = 0; k < out.indices[p].size(); k++) {
                    const int idx = out.indices[p][k];
                    ASSERT_GE(idx, -1);
                    ASSERT_LT(idx, static_cast<int>(input.size()));
                    if (idx >= 0) {
                        EXPECT_EQ(input[idx].x, out.polygons[p][k].x);
                        EXPECT_EQ(input[idx].y, out.polygons[p][k].y);
                    }
                }
            }
            int wrong = 0;
            for (const Point& s : samples)
                if (coverage(out.polygons, s.x, s.y) != (tessfam::inside_odd(shape, s.x, s.y) ? 1 : 0))
                    wrong++;
            EXPECT_EQ(0, wrong) << "of " << samples.size() << " samples";
        }
    }
}

// Boundary contours are closed loops whose area equals the polygon
// output's, and the polygons agree with GLU's triangles in area and coverage.
TEST_P(TessFamilies, BoundaryAndGluAgree)
{
    const FamilyCase param = GetParam();
    const std::uint32_t seed = 7;
    const Shape shape = tessfam::make_shape(param.family, param.n, seed);
    TessPtr tess = make_tess();
    add_shape(tess.get(), shape);
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_BOUNDARY_CONTOURS, 0, 2, kUp));
    const auto contours = read_contours(tess.get());
    double boundaryArea = 0;
    for (const auto& c : contours) {
        ASSERT_GE(c.size(), 3u);
        boundaryArea += tessfam::signed_area(c);
    }
    add_shape(tess.get(), shape);
    ASSERT_EQ(1, tessellator_tessellate(tess.get(), TESS_WINDING_ODD, TESS_POLYGONS, 3, 2, kUp));
    const auto triangles = read_polygons(tess.get(), 3, 2).polygons;
    const double area = total_area(triangles);
    EXPECT_NEAR(area, boundaryArea, 1e-3 * std::max(1.0, area));

    const auto glu = tessfam::glu_triangles(shape);
    EXPECT_NEAR(area, total_area(glu), 1e-3 * std::max(1.0, area));
    int differ = 0;
    const auto samples = tessfam::sample_points(shape, 300, 0.05f, seed);
    for (const Point& s : samples)
        if ((coverage(triangles, s.x, s.y) > 0) != (coverage(glu, s.x, s.y) > 0))
            differ++;
    EXPECT_EQ(0, differ);
}

INSTANTIATE_TEST_SUITE_P(Families, TessFamilies,
                         ::testing::Values(FamilyCase{tessfam::CONVEX, 16}, FamilyCase{tessfam::CONVEX, 200},
                                           FamilyCase{tessfam::STAR, 17}, FamilyCase{tessfam::STAR, 101},
                                           FamilyCase{tessfam::SOUP, 12}, FamilyCase{tessfam::SOUP, 200},
                                           FamilyCase{tessfam::RINGS, 128}, FamilyCase{tessfam::GRID, 100},
                                           FamilyCase{tessfam::GRID, 400}, FamilyCase{tessfam::COLLINEAR, 160},
                                           FamilyCase{tessfam::TJUNCTION, 40}, FamilyCase{tessfam::GLYPHS, 400}),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             return std::string(tessfam::family_name(info.param.family)) +
                                    std::to_string(info.param.n);
                         });
