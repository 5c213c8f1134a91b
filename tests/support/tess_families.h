#pragma once
// Seeded families of polygon contours for checking and timing the
// tessellator, and an independent coverage oracle (ray-crossing parity
// against the input edges).
#include <cstdint>
#include <string>
#include <vector>

namespace tessfam {

struct Point {
    float x, y;
};
using Contour = std::vector<Point>;
using Shape = std::vector<Contour>;

enum Family { CONVEX, STAR, SOUP, RINGS, GRID, COLLINEAR, TJUNCTION, GLYPHS };
const char* family_name(Family family);
const std::vector<Family>& all_families();

// About n vertices in total, the same for equal (family, n, seed).
Shape make_shape(Family family, int n, std::uint32_t seed);

// Glyph outlines of a font file, flattened (each glyph a few contours,
// placed side by side until about n vertices).
Shape glyph_shape(const std::string& fontPath, int n);

int vertex_count(const Shape& shape);

// A flattened path's points (x, y, z triplets, the fill's input) as a
// shape: contour k runs from starts[k] to the next start.
Shape shape_of_points(const std::vector<double>& points, const std::vector<unsigned>& starts);

// Parity of the crossings of a ray from (x, y) to +x with the shape's edges.
bool inside_odd(const Shape& shape, float x, float y);
// Distance from (x, y) to the nearest edge of the shape.
float edge_distance(const Shape& shape, float x, float y);

// Sample points of the shape's bounding box that lie at least margin away
// from every edge (seeded).
std::vector<Point> sample_points(const Shape& shape, int count, float margin, std::uint32_t seed);

// Point in a simple polygon given as vertex list (x, y pairs), by parity.
bool polygon_contains(const std::vector<Point>& polygon, float x, float y);
// Signed area (counter-clockwise positive).
double signed_area(const std::vector<Point>& polygon);

}
