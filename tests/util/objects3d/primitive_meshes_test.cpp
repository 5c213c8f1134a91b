// The primitive meshes (counts, strides, extremes, winding) and the matrix
// that places a unit-length primitive between two points.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "util/math/vec3.h"
#include "util/objects3d/primitive_meshes.h"

namespace {

struct Extent {
    vec3 min{1e9f, 1e9f, 1e9f};
    vec3 max{-1e9f, -1e9f, -1e9f};
};

Extent extent_of(const std::vector<float>& list, int stride)
{
    Extent e;
    for (size_t i = 0; i + stride <= list.size(); i += stride)
        for (int c = 0; c < stride; c++) {
            e.min[c] = std::min(e.min[c], list[i + c]);
            e.max[c] = std::max(e.max[c], list[i + c]);
        }
    return e;
}

// Normal of triangle t by its winding (counter-clockwise seen from the side it faces).
vec3 winding_normal(const Mesh& m, size_t t)
{
    const float* p = &m.vertices[t * 9];
    const vec3 a(p[0], p[1], p[2]), b(p[3], p[4], p[5]), c(p[6], p[7], p[8]);
    return cross(b - a, c - a);
}

float dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(PrimitiveMeshes, CountsStridesAndExtremes)
{
    struct Case {
        const char* what;
        Mesh* mesh;
        const char* name;
        int strides[4];
        size_t vertices;
        vec3 min, max;
        float texMax;
    };
    const Case cases[] = {
        {"cube 2", make_cube_mesh(2, false), "Cube", {3, 3, 0, 2}, 36, vec3(-1, -1, -1), vec3(1, 1, 1), 1},
        {"plane 4x6 scale 3", make_plane_mesh(4, 6, 3), "Plane", {3, 3, 3, 2}, 6, vec3(-2, 0, -3), vec3(2, 0, 3), 3},
        {"cylinder r1 h2 x4", make_cylinder_mesh(1, 2, 4, false), "Cylinder", {3, 3, 0, 2}, 24, vec3(-1, -1, 0),
         vec3(1, 1, 2), 1},
        {"icosphere r2 s1", make_icosahedron_mesh(2, 1, false), "Icosahedron", {3, 3, 0, 2}, 240, vec3(-2, -2, -2),
         vec3(2, 2, 2), 10},
        {"icosphere r1 s2", make_icosahedron_mesh(1, 2, false), "Icosahedron", {3, 3, 0, 2}, 960, vec3(-1, -1, -1),
         vec3(1, 1, 1), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Mesh> m(c.mesh);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->name, c.name);
        EXPECT_EQ(m->vertices_stride, c.strides[0]);
        EXPECT_EQ(m->normals_stride, c.strides[1]);
        EXPECT_EQ(m->tangents_stride, c.strides[2]);
        EXPECT_EQ(m->texcoords_stride, c.strides[3]);
        EXPECT_EQ(m->vertices.size(), c.vertices * 3);
        EXPECT_EQ(m->normals.size(), c.vertices * 3);
        EXPECT_EQ(m->tangents.size(), c.vertices * c.strides[2]);
        EXPECT_EQ(m->texcoords.size(), c.vertices * 2);
        const Extent e = extent_of(m->vertices, 3);
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(e.min[k], c.min[k], 2e-3f) << "axis " << k;
            EXPECT_NEAR(e.max[k], c.max[k], 2e-3f) << "axis " << k;
        }
        const Extent t = extent_of(m->texcoords, 2);
        EXPECT_LE(t.max[0], c.texMax + 1e-4f);
        EXPECT_LE(t.max[1], c.texMax + 1e-4f);
    }
}

TEST(PrimitiveMeshes, WindingFollowsTheNormals)
{
    // The cube runs clockwise seen from outside; the others counter-clockwise.
    struct Case {
        Mesh* mesh;
        float sign;
    };
    for (const Case& c : {Case{make_cube_mesh(1, false), -1.0f}, Case{make_plane_mesh(1, 1, 1), 1.0f},
                          Case{make_cylinder_mesh(1, 1, 5, false), 1.0f},
                          Case{make_icosahedron_mesh(1, 1, false), 1.0f}}) {
        std::unique_ptr<Mesh> m(c.mesh);
        SCOPED_TRACE(m->name);
        for (size_t t = 0; t < m->vertices.size() / 9; t++) {
            const vec3 n(m->normals[t * 9], m->normals[t * 9 + 1], m->normals[t * 9 + 2]);
            EXPECT_GT(dot(winding_normal(*m, t), n) * c.sign, 0.0f) << "triangle " << t;
        }
    }
}

TEST(PrimitiveMeshes, InvertedNegatesNormalsOnly)
{
    std::unique_ptr<Mesh> cube(make_cube_mesh(2, false)), inv(make_cube_mesh(2, true));
    EXPECT_EQ(inv->vertices, cube->vertices);
    EXPECT_EQ(inv->texcoords, cube->texcoords);
    EXPECT_FLOAT_EQ(inv->normals[2], -1.0f) << "the +z face";
    std::unique_ptr<Mesh> s(make_icosahedron_mesh(1, 1, false)), si(make_icosahedron_mesh(1, 1, true));
    for (size_t i = 0; i < s->normals.size(); i++)
        EXPECT_EQ(si->normals[i], -s->normals[i]);
}

TEST(PrimitiveMeshes, IcosphereDetails)
{
    std::unique_ptr<Mesh> m(make_icosahedron_mesh(2, 1, false));
    for (size_t i = 0; i < m->vertices.size(); i += 3)
        EXPECT_NEAR(std::sqrt(m->vertices[i] * m->vertices[i] + m->vertices[i + 1] * m->vertices[i + 1]
                              + m->vertices[i + 2] * m->vertices[i + 2]),
                    2.0f, 1e-5f);
    EXPECT_NEAR(m->vertices[0], 0.0f, 1e-6f);
    EXPECT_NEAR(m->vertices[1], 0.0f, 1e-6f);
    EXPECT_NEAR(m->vertices[2], 2.0f, 1e-6f);
    EXPECT_NEAR(m->texcoords[0], 2.5f, 1e-5f);
    EXPECT_NEAR(m->texcoords[1], 2.5f, 1e-5f);

    EXPECT_EQ(make_icosahedron_mesh(1, 0, false), nullptr);
    EXPECT_EQ(make_icosahedron_mesh(1, -3, false), nullptr);
    // Far beyond the cap (15 would overflow the counts): built at the cap.
    std::unique_ptr<Mesh> capped(make_icosahedron_mesh(1, 15, false));
    ASSERT_NE(capped, nullptr);
    EXPECT_EQ(capped->vertices.size(), (size_t{60} << (2 * kMaxIcosphereSubdivisions)) * 3);
}

TEST(PrimitiveMeshes, CylinderEdges)
{
    EXPECT_EQ(make_cylinder_mesh(1, 1, 0, false), nullptr);
    std::unique_ptr<Mesh> m(make_cylinder_mesh(1, 1, 3, false));
    ASSERT_EQ(m->vertices.size(), 18u * 3);
    // Slice k starts at 120 k degrees; the last one closes at angle 0 with v = 0.
    for (int k = 0; k < 3; k++) {
        const float a = k * 2.0943952f;
        EXPECT_NEAR(m->vertices[k * 18], std::cos(a), 1e-5f);
        EXPECT_NEAR(m->vertices[k * 18 + 1], std::sin(a), 1e-5f);
    }
    EXPECT_FLOAT_EQ(m->vertices[2 * 18 + 2 * 3], 1.0f) << "closing edge x";
    EXPECT_FLOAT_EQ(m->texcoords[2 * 12 + 2 * 2 + 1], 0.0f) << "closing edge v";
    EXPECT_FLOAT_EQ(m->texcoords[0], 0.0f) << "u 0 at the top";
    EXPECT_FLOAT_EQ(m->texcoords[2], 1.0f) << "u 1 at the bottom";
}

vec3 apply(const mat4& m, vec3 p)
{
    m.transformPoint(p);
    return p;
}

TEST(MatrixBetweenPoints, MapsTheUnitSegmentOntoFromTo)
{
    struct Case {
        const char* what;
        vec3 from, to;
    };
    const Case cases[] = {
        {"slanted", vec3(0, 0, 0), vec3(0, 3, 4)},
        {"off the origin", vec3(1, 2, 3), vec3(-2, 5, 1)},
        {"along +z", vec3(0, 0, 0), vec3(0, 0, 2)},
        {"along -z", vec3(0, 0, 0), vec3(0, 0, -2)},
        {"short -z", vec3(0, 0, 0), vec3(0, 0, -0.001f)},
        {"horizontal", vec3(0, 0, 0), vec3(3, 0, 0)},
        {"short horizontal", vec3(0, 0, 0), vec3(0.002f, 0.001f, 0)},
        {"short slanted", vec3(0, 0, 0), vec3(0.001f, 0, -0.0005f)},
        {"almost -z", vec3(0, 0, 0), vec3(1e-5f, 0, -1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mat4 m;
        m.translate(9, 9, 9);  // written over
        matrix_between_points(c.from, c.to, m);
        const vec3 start = apply(m, vec3(0, 0, 0));
        const vec3 end = apply(m, vec3(0, 0, 1));
        const float len = (c.to - c.from).length();
        const float eps = 1e-4f + 1e-5f * len;
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(start[k], c.from[k], eps) << "axis " << k;
            // A horizontal segment keeps the 0.0001 lift in z.
            EXPECT_NEAR(end[k], c.to[k], eps + 1e-4f) << "axis " << k;
        }
        // x and y keep unit length: the cylinder keeps its radius.
        EXPECT_NEAR((apply(m, vec3(1, 0, 0)) - start).length(), 1.0f, 1e-4f);
        EXPECT_NEAR((apply(m, vec3(0, 1, 0)) - start).length(), 1.0f, 1e-4f);
    }
}

}  // namespace
