#include "util/easydraw/easydraw.h"

#include <GL/glew.h>

#include <cmath>
#include <vector>

#include "system/fatal_error.h"
#include "util/easydraw/easydrawcustom.h"
#include "util/math/vec3.h"

namespace {

// Scratch lists shared by the shape builders.
struct ShapeLists {
    std::vector<float> positions;
    std::vector<float> texcoords;
    std::vector<float> normals;
    std::vector<float> tangents;

    void clear()
    {
        positions.clear();
        texcoords.clear();
        normals.clear();
        tangents.clear();
    }

    void add(const vec3& p, float u, float v, const vec3& n, const vec3& t)
    {
        positions.insert(positions.end(), {p.x, p.y, p.z});
        texcoords.insert(texcoords.end(), {u, v});
        normals.insert(normals.end(), {n.x, n.y, n.z});
        tangents.insert(tangents.end(), {t.x, t.y, t.z});
    }

    void hand_to(EasyDrawCustom& shape)
    {
        shape.set_attribute(0, 3, static_cast<int>(positions.size()), positions.data(), 0);
        shape.set_attribute(2, 2, static_cast<int>(texcoords.size()), texcoords.data(), 0);
        shape.set_attribute(1, 3, static_cast<int>(normals.size()), normals.data(), 0);
        shape.set_attribute(3, 3, static_cast<int>(tangents.size()), tangents.data(), 0);
    }
};

ShapeLists& lists()
{
    static ShapeLists l;
    return l;
}

const float kA = 0.52573109f;
const float kB = 0.85065079f;
const float kIcoVertices[12][3] = {{-kA, 0, kB}, {kA, 0, kB}, {-kA, 0, -kB}, {kA, 0, -kB},
                                   {0, kB, kA},  {0, kB, -kA}, {0, -kB, kA}, {0, -kB, -kA},
                                   {kB, kA, 0},  {-kB, kA, 0}, {kB, -kA, 0}, {-kB, -kA, 0}};
const int kIcoFaces[20][3] = {{0, 4, 1}, {0, 9, 4}, {9, 5, 4}, {4, 5, 8}, {4, 8, 1},
                              {8, 10, 1}, {8, 3, 10}, {5, 3, 8}, {5, 2, 3}, {2, 7, 3},
                              {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6}, {0, 1, 6},
                              {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5}, {7, 2, 11}};

float sphere_u(const vec3& p) { return std::atan2(p.x, p.z) / 6.2831855f + 0.5f; }
float sphere_v(const vec3& p) { return std::asin(p.y) / 3.1415927f + 0.5f; }

// Brings u next to the reference u across the wrap-around behind the sphere.
float near_u(float u, float reference)
{
    if (u < 0.75f && reference > 0.75f && reference - u > 0.5f)
        return u + 1.0f;
    if (u > 0.75f && reference < 0.75f && u - reference > 0.5f)
        return u - 1.0f;
    return u;
}

void emit_leaf(const vec3& p1, const vec3& p2, const vec3& p3, float radius, bool inside)
{
    const float s = inside ? -1.0f : 1.0f;
    vec3 t = cross(vec3(0, 0, 1) - p1, p1);
    if (t.length() < 0.1f)
        t = cross(vec3(0, 1, 0) - p1, p1);
    const float u1 = sphere_u(p1);
    const vec3* corners[3] = {&p3, &p2, &p1};
    for (const vec3* c : corners) {
        const float u = c == &p1 ? u1 : near_u(sphere_u(*c), u1);
        lists().add(*c * radius, 5.0f * u, 5.0f * sphere_v(*c), *c * s, t);
    }
}

vec3 unit_midpoint(const vec3& a, const vec3& b)
{
    vec3 m = (a + b) / 2.0f;
    return m / m.length();
}

void subdivide(const vec3& c1, const vec3& c2, const vec3& c3, int depth, float radius, bool inside)
{
    if (depth == 0) {
        emit_leaf(c1, c2, c3, radius, inside);
        return;
    }
    const vec3 m12 = unit_midpoint(c1, c2);
    const vec3 m13 = unit_midpoint(c1, c3);
    const vec3 m23 = unit_midpoint(c2, c3);
    subdivide(c1, m12, m13, depth - 1, radius, inside);
    subdivide(c2, m23, m12, depth - 1, radius, inside);
    subdivide(c3, m13, m23, depth - 1, radius, inside);
    subdivide(m12, m23, m13, depth - 1, radius, inside);
}

// One of the three 2D quads: its own vertex array and two buffers.
struct Quad {
    GLuint vao = 0;
    GLuint vbo[2] = {0, 0};

    void create()
    {
        if (vao)
            return;
        glGenVertexArrays(1, &vao);
        VELMO_ASSERT(vao);
        glGenBuffers(2, vbo);
        VELMO_ASSERT(vbo[0] && vbo[1]);
        glBindVertexArray(vao);
        for (int i = 0; i < 2; i++) {
            const GLuint location = i == 0 ? 0 : 2;
            glBindBuffer(GL_ARRAY_BUFFER, vbo[i]);
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(location, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        }
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    void upload(const float* positions, const float* texcoords, GLenum usage)
    {
        glBindBuffer(GL_ARRAY_BUFFER, vbo[0]);
        glBufferData(GL_ARRAY_BUFFER, 32, positions, usage);
        glBindBuffer(GL_ARRAY_BUFFER, vbo[1]);
        glBufferData(GL_ARRAY_BUFFER, 32, texcoords, usage);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    void draw()
    {
        glBindVertexArray(vao);
        glDrawArrays(GL_QUADS, 0, 4);
        glBindVertexArray(0);
    }
};

void draw_dynamic_quad(Quad& quad, float x, float y, float w, float h, float u0, float u1, float v0, float v1)
{
    quad.create();
    const float positions[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
    const float texcoords[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    quad.upload(positions, texcoords, GL_DYNAMIC_DRAW);
    quad.draw();
}

}

namespace EasyDraw {

void draw_sphere(float radius, int divisions, bool inside)
{
    static EasyDrawCustom sphere;
    static float lastRadius = -1.0f;
    static int lastDivisions = -1;
    static bool lastInside = false;
    if (divisions < 1)
        return;
    if (divisions >= 6)
        FATAL_ERROR("More than 5 divisions not supported");
    if (radius != lastRadius || divisions != lastDivisions || inside != lastInside) {
        lists().clear();
        for (const auto& f : kIcoFaces) {
            const vec3 c1(kIcoVertices[f[0]][0], kIcoVertices[f[0]][1], kIcoVertices[f[0]][2]);
            const vec3 c2(kIcoVertices[f[1]][0], kIcoVertices[f[1]][1], kIcoVertices[f[1]][2]);
            const vec3 c3(kIcoVertices[f[2]][0], kIcoVertices[f[2]][1], kIcoVertices[f[2]][2]);
            subdivide(c1, c2, c3, divisions, radius, inside);
        }
        lists().hand_to(sphere);
        lastRadius = radius;
        lastDivisions = divisions;
        lastInside = inside;
    }
    sphere.draw(GL_TRIANGLES);
}

void draw_box(float width, float height, float depth, bool inside)
{
    static EasyDrawCustom box;
    const float X = width / 2, Y = height / 2, Z = depth / 2;
    const float s = inside ? -1.0f : 1.0f;
    struct Corner {
        float x, y, z, u, v;
    };
    struct Face {
        vec3 normal;
        vec3 tangent;
        Corner corners[4];
    };
    const Face faces[6] = {
        {vec3(0, -s, 0), vec3(-1, 0, 0), {{-X, -Y, -Z, 1, 1}, {X, -Y, -Z, 0, 1}, {X, -Y, Z, 0, 0}, {-X, -Y, Z, 1, 0}}},
        {vec3(0, 0, s), vec3(1, 0, 0), {{-X, -Y, Z, 0, 0}, {X, -Y, Z, 1, 0}, {X, Y, Z, 1, 1}, {-X, Y, Z, 0, 1}}},
        {vec3(0, 0, -s), vec3(-1, 0, 0), {{-X, -Y, -Z, 1, 0}, {-X, Y, -Z, 1, 1}, {X, Y, -Z, 0, 1}, {X, -Y, -Z, 0, 0}}},
        {vec3(s, 0, 0), vec3(0, 0, -1), {{X, -Y, -Z, 1, 0}, {X, Y, -Z, 1, 1}, {X, Y, Z, 0, 1}, {X, -Y, Z, 0, 0}}},
        {vec3(-s, 0, 0), vec3(0, 0, 1), {{-X, -Y, -Z, 0, 0}, {-X, -Y, Z, 1, 0}, {-X, Y, Z, 1, 1}, {-X, Y, -Z, 0, 1}}},
        {vec3(0, s, 0), vec3(1, 0, 0), {{-X, Y, -Z, 0, 1}, {-X, Y, Z, 0, 0}, {X, Y, Z, 1, 0}, {X, Y, -Z, 1, 1}}},
    };
    lists().clear();
    for (const Face& f : faces)
        for (const Corner& c : f.corners)
            lists().add(vec3(c.x, c.y, c.z), c.u, c.v, f.normal, f.tangent);
    lists().hand_to(box);
    box.draw(GL_QUADS);
}

void draw_plane(float width, float depth, bool flip)
{
    static EasyDrawCustom plane;
    const float X = width / 2, Z = depth / 2;
    const vec3 normal(0, flip ? -1.0f : 1.0f, 0);
    const vec3 tangent(1, 0, 0);
    lists().clear();
    lists().add(vec3(-X, 0, -Z), 0, 1, normal, tangent);
    lists().add(vec3(-X, 0, Z), 0, 0, normal, tangent);
    lists().add(vec3(X, 0, Z), 1, 0, normal, tangent);
    lists().add(vec3(X, 0, -Z), 1, 1, normal, tangent);
    lists().hand_to(plane);
    plane.draw(GL_QUADS);
}

void draw_quad(float x, float y, float w, float h)
{
    static Quad quad;
    draw_dynamic_quad(quad, x, y, w, h, 0, 1, 0, 1);
}

void draw_quad_uv(float x, float y, float w, float h, float u0, float u1, float v0, float v1)
{
    static Quad quad;
    draw_dynamic_quad(quad, x, y, w, h, u0, u1, v0, v1);
}

void draw_fullscreen_quad()
{
    static Quad quad;
    if (!quad.vao) {
        quad.create();
        static const float unit[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        quad.upload(unit, unit, GL_STATIC_DRAW);
    }
    quad.draw();
}

}
