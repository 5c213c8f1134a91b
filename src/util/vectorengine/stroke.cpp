#include "util/vectorengine/stroke.h"

#include <cmath>
#include <string>

#include "system/fatal_error.h"

vec3 segment_normal(const vec3& a, const vec3& b, float h)
{
    const float nx = b.y - a.y;
    const float ny = a.x - b.x;
    const float length = std::sqrt(nx * nx + ny * ny);
    return vec3(nx / length * h, ny / length * h, 0.0f);
}

float turn_angle(const vec3& a, const vec3& b, const vec3& c)
{
    const vec3 u = a - b;
    const vec3 v = c - b;
    const float dot = u.x * v.x + u.y * v.y;
    const float cross = u.x * v.y - u.y * v.x;
    if (dot == 0.0f && cross == 0.0f)
        return 0.0f;
    return std::atan2(cross, dot);
}

std::string stroke_input_error(std::size_t length)
{
    return "Stroke input vertices not divisible by 3, got " + std::to_string(length) + " verts.";
}

namespace {

bool finite(const vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The usable points of one contour: each point that starts a segment with a
// direction (a finite, non-zero normal) from the previous kept point.
std::vector<vec3> usable_points(const std::vector<double>& points, std::size_t first, std::size_t end, float h)
{
    std::vector<vec3> kept;
    for (std::size_t i = first; i < end; i++) {
        const vec3 p(static_cast<float>(points[3 * i]), static_cast<float>(points[3 * i + 1]),
                     static_cast<float>(points[3 * i + 2]));
        if (!finite(p))
            continue;
        if (!kept.empty() && !finite(segment_normal(kept.back(), p, h)))
            continue;
        kept.push_back(p);
    }
    return kept;
}

void add_triangle(std::vector<float>& vertices, const vec3& a, const vec3& b, const vec3& c)
{
    if (!finite(a) || !finite(b) || !finite(c))
        return;
    for (const vec3* v : {&a, &b, &c}) {
        vertices.push_back(v->x);
        vertices.push_back(v->y);
        vertices.push_back(v->z);
    }
}

}

void build_stroke(const std::vector<double>& points, const std::vector<unsigned>& contourStarts, bool closingJoint,
                  float width, std::vector<float>& vertices, std::vector<unsigned>& strokeStarts)
{
    vertices.clear();
    if (points.size() % 3 != 0)
        FATAL_ERROR(stroke_input_error(points.size()));
    const std::size_t n = points.size() / 3;
    const float h = width * 0.5f;
    std::size_t s = 0;
    for (std::size_t c = 0; c < contourStarts.size(); c++) {
        strokeStarts.push_back(static_cast<unsigned>(vertices.size()));
        std::size_t e = c + 1 < contourStarts.size() ? contourStarts[c + 1] / 3 : n;
        if (e > n)
            e = n;
        if (e < s)
            e = s;
        const std::vector<vec3> p = usable_points(points, s, e, h);
        // Two points only have nothing to join at the close: the closing
        // joint needs a third point to turn towards.
        const bool closes = closingJoint && points.size() >= 6 && p.size() >= 3;
        for (std::size_t i = 0; i + 1 < p.size(); i++) {
            const vec3& a = p[i];
            const vec3& b = p[i + 1];
            const vec3 normal = segment_normal(a, b, h);
            const vec3 p1 = a + normal, p2 = a - normal, p3 = b + normal, p4 = b - normal;
            add_triangle(vertices, p1, p3, p2);
            add_triangle(vertices, p2, p3, p4);
            const vec3* q = nullptr;
            if (i + 2 < p.size())
                q = &p[i + 2];
            else if (closes)
                q = &p[1];
            if (!q)
                continue;
            const vec3 normal2 = segment_normal(b, *q, h);
            if (!finite(normal2))
                continue;
            const vec3 joint = turn_angle(a, b, *q) < 0.0f ? b + normal2 : b - normal2;
            add_triangle(vertices, p3, p4, joint);
        }
        s = e;
    }
}
