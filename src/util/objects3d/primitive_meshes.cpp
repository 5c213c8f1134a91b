#include "util/objects3d/primitive_meshes.h"

#include <algorithm>
#include <cmath>

namespace {

const float kPi = 3.1415927f;
const float kTwoPi = 6.2831855f;

void append(std::vector<float>& list, std::initializer_list<float> values)
{
    list.insert(list.end(), values);
}

// Corner signs (x, y, z) and texture coordinates of the cube's six faces,
// six vertices each, in drawing order.
struct CubeFace {
    float normal[3];
    signed char corners[6][3];
    signed char uv[6][2];
};

const CubeFace kCubeFaces[6] = {
    {{0, 0, 1}, {{-1, -1, 1}, {-1, 1, 1}, {1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
     {{0, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}, {1, 0}}},
    {{0, 0, -1}, {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
     {{1, 0}, {0, 0}, {1, 1}, {0, 0}, {0, 1}, {1, 1}}},
    {{0, 1, 0}, {{-1, 1, -1}, {1, 1, -1}, {-1, 1, 1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},
     {{0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}, {0, 0}}},
    {{0, -1, 0}, {{-1, -1, -1}, {-1, -1, 1}, {1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
     {{1, 1}, {1, 0}, {0, 1}, {1, 0}, {0, 0}, {0, 1}}},
    {{1, 0, 0}, {{1, -1, -1}, {1, -1, 1}, {1, 1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}},
     {{1, 0}, {0, 0}, {1, 1}, {0, 0}, {0, 1}, {1, 1}}},
    {{-1, 0, 0}, {{-1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}, {-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}},
     {{0, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}, {1, 0}}},
};

const float kIcoX = 0.5257311f;
const float kIcoZ = 0.8506508f;
const int kIcoFaces[20][3] = {{0, 4, 1}, {0, 9, 4}, {9, 5, 4}, {4, 5, 8}, {4, 8, 1},
                              {8, 10, 1}, {8, 3, 10}, {5, 3, 8}, {5, 2, 3}, {2, 7, 3},
                              {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6}, {0, 1, 6},
                              {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5}, {7, 2, 11}};

// The twelve unit vertices, built on the first call and kept.
const vec3* icosahedron_vertices()
{
    static const vec3 v[12] = {vec3(-kIcoX, 0, kIcoZ), vec3(kIcoX, 0, kIcoZ),  vec3(-kIcoX, 0, -kIcoZ),
                               vec3(kIcoX, 0, -kIcoZ), vec3(0, kIcoZ, kIcoX),  vec3(0, kIcoZ, -kIcoX),
                               vec3(0, -kIcoZ, kIcoX), vec3(0, -kIcoZ, -kIcoX), vec3(kIcoZ, kIcoX, 0),
                               vec3(-kIcoZ, kIcoX, 0), vec3(kIcoZ, -kIcoX, 0), vec3(-kIcoZ, -kIcoX, 0)};
    return v;
}

vec3 unit_midpoint(const vec3& a, const vec3& b)
{
    vec3 m = (a + b) / 2.0f;
    m.normalize();
    return m;
}

void emit_icosphere_triangle(Mesh* mesh, const vec3& a, const vec3& b, const vec3& c, float radius, bool inverted)
{
    const vec3* corners[3] = {&a, &b, &c};
    float u[3], v[3];
    for (int i = 0; i < 3; i++) {
        const vec3& p = *corners[i];
        u[i] = std::atan2(p.x, p.z) / kTwoPi + 0.5f;
        v[i] = std::asin(p.y) / kPi + 0.5f;
    }
    // Corners b and c follow a across the seam.
    for (int i = 1; i < 3; i++) {
        if (u[i] < 0.75f && u[0] > 0.75f)
            u[i] += 1.0f;
        else if (u[i] > 0.75f && u[0] < 0.75f)
            u[i] -= 1.0f;
    }
    const float s = inverted ? -1.0f : 1.0f;
    for (int i = 2; i >= 0; i--) {
        const vec3& p = *corners[i];
        append(mesh->vertices, {p.x * radius, p.y * radius, p.z * radius});
        append(mesh->normals, {p.x * s, p.y * s, p.z * s});
        append(mesh->texcoords, {u[i] * 5.0f, v[i] * 5.0f});
    }
}

void set_strides(Mesh* mesh, int tangents)
{
    mesh->vertices_stride = 3;
    mesh->normals_stride = 3;
    mesh->tangents_stride = tangents;
    mesh->texcoords_stride = 2;
}

}

Mesh* make_cube_mesh(float size, bool inverted)
{
    Mesh* mesh = new Mesh();
    mesh->name = "Cube";
    set_strides(mesh, 0);
    const float h = size * 0.5f;
    const float s = inverted ? -1.0f : 1.0f;
    for (const CubeFace& face : kCubeFaces)
        for (int i = 0; i < 6; i++) {
            append(mesh->vertices, {face.corners[i][0] * h, face.corners[i][1] * h, face.corners[i][2] * h});
            append(mesh->normals, {face.normal[0] * s, face.normal[1] * s, face.normal[2] * s});
            append(mesh->texcoords, {static_cast<float>(face.uv[i][0]), static_cast<float>(face.uv[i][1])});
        }
    return mesh;
}

Mesh* make_plane_mesh(float width, float depth, float tex_scale)
{
    Mesh* mesh = new Mesh();
    mesh->name = "Plane";
    set_strides(mesh, 3);
    const float hx = width / 2.0f;
    const float hz = depth / 2.0f;
    const float t = tex_scale;
    const float corners[6][4] = {{-hx, -hz, 0, 0}, {-hx, hz, 0, t}, {hx, hz, t, t},
                                 {-hx, -hz, 0, 0}, {hx, hz, t, t},  {hx, -hz, t, 0}};
    for (const auto& c : corners) {
        append(mesh->vertices, {c[0], 0.0f, c[1]});
        append(mesh->normals, {0.0f, 1.0f, 0.0f});
        append(mesh->tangents, {1.0f, 0.0f, 0.0f});
        append(mesh->texcoords, {c[2], c[3]});
    }
    return mesh;
}

Mesh* make_cylinder_mesh(float radius, float height, unsigned segments, bool inverted)
{
    if (segments == 0)
        return nullptr;
    Mesh* mesh = new Mesh();
    mesh->name = "Cylinder";
    set_strides(mesh, 0);
    const float s = inverted ? -1.0f : 1.0f;
    auto edge = [&](float a, bool top) {
        append(mesh->vertices, {radius * std::cos(a), radius * std::sin(a), top ? height : 0.0f});
        vec3 n(std::cos(a), std::sin(a), 0.0f);
        n.normalize();
        append(mesh->normals, {n.x * s, n.y * s, n.z * s});
        append(mesh->texcoords, {top ? 0.0f : 1.0f, a / kTwoPi});
    };
    for (unsigned k = 0; k < segments; k++) {
        const float a0 = static_cast<float>(k) * kPi * 2.0f / static_cast<float>(segments);
        // The last slice ends at exactly 0, which closes the wall.
        const float a1 = k + 1 == segments ? 0.0f : static_cast<float>(k + 1) * kPi * 2.0f / static_cast<float>(segments);
        edge(a0, true);
        edge(a0, false);
        edge(a1, true);
        edge(a1, true);
        edge(a0, false);
        edge(a1, false);
    }
    return mesh;
}

void subdivide_icosahedron_face(Mesh* mesh, const vec3& a, const vec3& b, const vec3& c, int depth, float radius,
                                bool inverted)
{
    if (depth <= 0) {
        emit_icosphere_triangle(mesh, a, b, c, radius, inverted);
        return;
    }
    const vec3 ab = unit_midpoint(a, b);
    const vec3 ac = unit_midpoint(a, c);
    const vec3 bc = unit_midpoint(b, c);
    subdivide_icosahedron_face(mesh, a, ab, ac, depth - 1, radius, inverted);
    subdivide_icosahedron_face(mesh, b, bc, ab, depth - 1, radius, inverted);
    subdivide_icosahedron_face(mesh, c, ac, bc, depth - 1, radius, inverted);
    subdivide_icosahedron_face(mesh, ab, bc, ac, depth - 1, radius, inverted);
}

Mesh* make_icosahedron_mesh(float radius, int subdivisions, bool inverted)
{
    if (subdivisions <= 0)
        return nullptr;
    subdivisions = std::min(subdivisions, kMaxIcosphereSubdivisions);
    Mesh* mesh = new Mesh();
    mesh->name = "Icosahedron";
    set_strides(mesh, 0);
    const size_t vertexCount = static_cast<size_t>(60) << (2 * subdivisions);
    mesh->vertices.reserve(vertexCount * 3);
    mesh->normals.reserve(vertexCount * 3);
    mesh->texcoords.reserve(vertexCount * 2);
    const vec3* v = icosahedron_vertices();
    for (const auto& f : kIcoFaces)
        subdivide_icosahedron_face(mesh, v[f[0]], v[f[1]], v[f[2]], subdivisions, radius, inverted);
    return mesh;
}

void matrix_between_points(const vec3& from, const vec3& to, mat4& out)
{
    vec3 d = to - from;
    if (d.z == 0.0f)
        d.z = 0.0001f;
    const float len = d.length();
    out.setIdentity();
    out.translate(from);
    // Turn +z onto the direction about the unit axis z x dir. A direction
    // along the z axis has no such axis: +z needs no turn, -z a half turn.
    const float ux = d.x / len, uy = d.y / len, uz = d.z / len;
    const float axisLength = std::sqrt(ux * ux + uy * uy);
    if (axisLength > 1e-7f) {
        const float angle = std::acos(std::clamp(uz, -1.0f, 1.0f)) / 0.017453292f;
        out.rotate(angle, -uy / axisLength, ux / axisLength, 0.0f);
    } else if (uz < 0.0f) {
        out.rotate(180.0f, 1.0f, 0.0f, 0.0f);
    }
    out.scale(1.0f, 1.0f, len);
}
