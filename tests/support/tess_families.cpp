#include "support/tess_families.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace tessfam {

namespace {

const float kPi = 3.14159265358979f;

Contour regular(int n, float cx, float cy, float r, bool ccw)
{
    Contour c;
    for (int i = 0; i < n; i++) {
        const float a = 2 * kPi * i / n * (ccw ? 1 : -1);
        c.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return c;
}

Shape convex(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<float> r(50, 150);
    return {regular(std::max(n, 3), 0, 0, r(rng), true)};
}

// A self-crossing star polygon {n/k}.
Shape star(int n, std::mt19937& rng)
{
    n = std::max(n, 5);
    int k = 2 + static_cast<int>(rng() % 3);
    while (std::gcd(n, k) != 1)
        n++;
    Contour c;
    for (int i = 0; i < n; i++) {
        const float a = 2 * kPi * ((i * k) % n) / n;
        c.push_back({100 * std::cos(a), 100 * std::sin(a)});
    }
    return {c};
}

Shape soup(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<float> u(-100, 100);
    Shape s;
    const int contours = std::max(1, n / 16);
    for (int c = 0; c < contours; c++) {
        Contour contour;
        for (int i = 0; i < std::max(3, n / contours); i++)
            contour.push_back({u(rng), u(rng)});
        s.push_back(contour);
    }
    return s;
}

Shape rings(int n, std::mt19937& rng)
{
    Shape s;
    const int count = std::max(2, n / 32);
    const int per = std::max(3, n / count);
    std::uniform_real_distribution<float> jitter(0.0f, 0.3f);
    for (int i = 0; i < count; i++)
        s.push_back(regular(per, jitter(rng), jitter(rng), 100.0f * (count - i) / count, i % 2 == 0));
    return s;
}

// Unit squares on a grid, each its own contour: neighbours share edges and
// corners share vertices exactly.
Shape grid(int n, std::mt19937& rng)
{
    Shape s;
    const int side = std::max(1, static_cast<int>(std::sqrt(n / 4.0)));
    for (int i = 0; i < side; i++)
        for (int j = 0; j < side; j++) {
            if (rng() % 4 == 0)
                continue;
            const float x = i * 10.0f, y = j * 10.0f;
            s.push_back({{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}});
        }
    if (s.empty())
        s.push_back({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    return s;
}

// Rectangles whose edges hold runs of collinear points, overlapping.
Shape collinear(int n, std::mt19937& rng)
{
    Shape s;
    const int count = std::max(1, n / 40);
    const int per = std::max(1, n / count / 4);
    std::uniform_int_distribution<int> u(-50, 50);
    for (int c = 0; c < count; c++) {
        const float x0 = static_cast<float>(u(rng)), y0 = static_cast<float>(u(rng));
        const float w = 20.0f + static_cast<float>(rng() % 60), h = 20.0f + static_cast<float>(rng() % 60);
        Contour contour;
        for (int i = 0; i < per; i++)
            contour.push_back({x0 + w * i / per, y0});
        for (int i = 0; i < per; i++)
            contour.push_back({x0 + w, y0 + h * i / per});
        for (int i = 0; i < per; i++)
            contour.push_back({x0 + w - w * i / per, y0 + h});
        for (int i = 0; i < per; i++)
            contour.push_back({x0, y0 + h - h * i / per});
        s.push_back(contour);
    }
    return s;
}

// Rows of rectangles where each one's corner lies on the middle of its
// neighbour's edge, and stacked rectangles sharing whole edges.
Shape tjunction(int n, std::mt19937& rng)
{
    Shape s;
    const int count = std::max(2, n / 4);
    float x = 0;
    for (int i = 0; i < count; i++) {
        const float h = (i % 2 == 0) ? 20.0f : 10.0f;
        const float y = (i % 2 == 0) ? 0.0f : 5.0f + static_cast<float>(rng() % 2) * 5.0f;
        s.push_back({{x, y}, {x + 10, y}, {x + 10, y + h}, {x, y + h}});
        x += 10;
    }
    return s;
}

struct OutlineSink {
    Shape* shape;
    float dx;
    float scale;
    Point last;
};

Point to_point(const FT_Vector* v, const OutlineSink* sink)
{
    return {v->x * sink->scale + sink->dx, v->y * sink->scale};
}

int move_to(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->shape->push_back({});
    sink->last = to_point(to, sink);
    sink->shape->back().push_back(sink->last);
    return 0;
}

int line_to(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->last = to_point(to, sink);
    sink->shape->back().push_back(sink->last);
    return 0;
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    const Point p0 = sink->last, p1 = to_point(control, sink), p2 = to_point(to, sink);
    for (int i = 1; i <= 4; i++) {
        const float t = i / 4.0f, u = 1 - t;
        sink->shape->back().push_back(
            {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    sink->last = p2;
    return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    const Point p0 = sink->last, p1 = to_point(c1, sink), p2 = to_point(c2, sink), p3 = to_point(to, sink);
    for (int i = 1; i <= 6; i++) {
        const float t = i / 6.0f, u = 1 - t;
        sink->shape->back().push_back(
            {u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
             u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
    }
    sink->last = p3;
    return 0;
}

// The flattened closing point of a contour repeats its first: drop it.
void drop_repeated_ends(Shape& shape)
{
    for (Contour& c : shape)
        if (c.size() > 1 && c.front().x == c.back().x && c.front().y == c.back().y)
            c.pop_back();
}

}

const char* family_name(Family family)
{
    static const char* names[] = {"convex", "star", "soup", "rings", "grid", "collinear", "tjunction", "glyphs"};
    return names[family];
}

const std::vector<Family>& all_families()
{
    static const std::vector<Family> families = {CONVEX, STAR, SOUP, RINGS, GRID, COLLINEAR, TJUNCTION, GLYPHS};
    return families;
}

Shape glyph_shape(const std::string& fontPath, int n)
{
    Shape shape;
    FT_Library library;
    if (FT_Init_FreeType(&library))
        return shape;
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) == 0) {
        FT_Set_Char_Size(face, 0, 64 * 64, 72, 72);
        FT_Outline_Funcs funcs = {move_to, line_to, conic_to, cubic_to, 0, 0};
        const std::string text = "Velmorin&@%8BQgw";
        float dx = 0;
        for (std::size_t i = 0; vertex_count(shape) < n; i++) {
            if (FT_Load_Char(face, static_cast<unsigned char>(text[i % text.size()]), FT_LOAD_NO_BITMAP))
                break;
            OutlineSink sink = {&shape, dx, 1.0f / 64.0f, {0, 0}};
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
            dx += face->glyph->advance.x / 64.0f;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    drop_repeated_ends(shape);
    shape.erase(std::remove_if(shape.begin(), shape.end(), [](const Contour& c) { return c.size() < 3; }),
                shape.end());
    return shape;
}

Shape make_shape(Family family, int n, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    switch (family) {
    case CONVEX:
        return convex(n, rng);
    case STAR:
        return star(n, rng);
    case SOUP:
        return soup(n, rng);
    case RINGS:
        return rings(n, rng);
    case GRID:
        return grid(n, rng);
    case COLLINEAR:
        return collinear(n, rng);
    case TJUNCTION:
        return tjunction(n, rng);
    case GLYPHS:
        break;
    }
    return glyph_shape(std::string(VELMO_SOURCE_DIR) + "/data/common/fonts/arial.ttf", n);
}

int vertex_count(const Shape& shape)
{
    int n = 0;
    for (const Contour& c : shape)
        n += static_cast<int>(c.size());
    return n;
}

Shape shape_of_points(const std::vector<double>& points, const std::vector<unsigned>& starts)
{
    Shape shape;
    for (std::size_t c = 0; c < starts.size(); c++) {
        const std::size_t end = c + 1 < starts.size() ? starts[c + 1] : points.size();
        Contour contour;
        for (std::size_t i = starts[c]; i < end; i += 3)
            contour.push_back({static_cast<float>(points[i]), static_cast<float>(points[i + 1])});
        shape.push_back(contour);
    }
    return shape;
}

bool inside_odd(const Shape& shape, float x, float y)
{
    bool inside = false;
    for (const Contour& c : shape)
        if (polygon_contains(c, x, y))
            inside = !inside;
    return inside;
}

bool polygon_contains(const std::vector<Point>& polygon, float x, float y)
{
    bool inside = false;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y)) {
            const double xc = a.x + (double(y) - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
            if (x < xc)
                inside = !inside;
        }
    }
    return inside;
}

float edge_distance(const Shape& shape, float x, float y)
{
    double best = 1e30;
    for (const Contour& c : shape) {
        const std::size_t n = c.size();
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            const double ax = c[j].x, ay = c[j].y, bx = c[i].x, by = c[i].y;
            const double dx = bx - ax, dy = by - ay;
            const double len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double px = ax + t * dx - x, py = ay + t * dy - y;
            best = std::min(best, std::sqrt(px * px + py * py));
        }
    }
    return static_cast<float>(best);
}

std::vector<Point> sample_points(const Shape& shape, int count, float margin, std::uint32_t seed)
{
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (const Contour& c : shape)
        for (const Point& p : c) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> ux(minX, maxX), uy(minY, maxY);
    std::vector<Point> points;
    for (int tries = 0; tries < count * 20 && static_cast<int>(points.size()) < count; tries++) {
        const Point p = {ux(rng), uy(rng)};
        if (edge_distance(shape, p.x, p.y) >= margin)
            points.push_back(p);
    }
    return points;
}

double signed_area(const std::vector<Point>& polygon)
{
    double a = 0;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++)
        a += double(polygon[j].x) * polygon[i].y - double(polygon[i].x) * polygon[j].y;
    return a / 2;
}

}
