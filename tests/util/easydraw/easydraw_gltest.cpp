#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/easydraw/easydraw.h"
#include "util/easydraw/easydrawcustom.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using testsupport::fatal_message;

class EasyDrawGL : public gltest::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        w = gltest::window_width();
        h = gltest::window_height();
    }

    // Draws with the flat 3D program under an orthographic view of +-4.
    static ShaderProgram& colour3d(const mat4& modelview)
    {
        static ShaderProgram p(make_color3d_shader("EasyDrawTest3d"));
        mat4 projection;
        projection.ortho(-4, 4, -4, 4, -20, 20);
        p.bind();
        p.set_mat4("ProjectionMatrix", projection.data(), 1, false);
        p.set_mat4("ModelViewMatrix", modelview.data(), 1, false);
        p.set_float4("Color", 1, 1, 1, 1);
        return p;
    }

    // Whether the window pixel at world (x, y) of the +-4 view is lit.
    bool lit(float x, float y) const
    {
        const int px = static_cast<int>((x + 4) / 8 * w);
        const int py = static_cast<int>((y + 4) / 8 * h);
        return (gltest::read_pixel(px, py) >> 24) > 128;
    }

    testsupport::ThrowingFatalErrors fatalErrors;
    int w = 0, h = 0;
};

TEST_F(EasyDrawGL, QuadUvMapsCornersToTheTextureRectangle)
{
    ShaderConstructor* uv = new ShaderConstructor("UvAsColour", "#version 420");
    uv->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    uv->add_vert_global_line("layout (location = 0) in vec2 Position;");
    uv->add_vert_global_line("layout (location = 2) in vec2 TexCoord;");
    uv->add_vert_global_line("out vec2 TexCoordFrag;");
    uv->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
    uv->add_vert_body_line("\tTexCoordFrag = TexCoord;");
    uv->add_frag_global_line("in vec2 TexCoordFrag;");
    uv->add_frag_global_line("out vec4 FragColor;");
    uv->add_frag_body_line("\tFragColor = vec4( TexCoordFrag * 4.0, 0.0, 1.0 );");
    ShaderProgram p(uv);
    p.bind();
    const mat4 unit(1);
    p.set_mat4("ProjectionMatrix", unit.data(), 1, false);
    EasyDraw::draw_quad_uv(0, 0, 1, 1, 0.25f, 0.5f, 0.0f, 0.125f);
    const uint32_t lowerLeft = gltest::read_pixel(0, 0);
    const uint32_t upperRight = gltest::read_pixel(w - 1, h - 1);
    EXPECT_NEAR(double(lowerLeft >> 24), 255.0, 3.0);         // u 0.25 x 4 = 1
    EXPECT_NEAR(double((lowerLeft >> 16) & 255), 0.0, 3.0);   // v 0
    EXPECT_NEAR(double(upperRight >> 24), 255.0, 3.0);        // u 0.5 x 4 clamps to 1
    EXPECT_NEAR(double((upperRight >> 16) & 255), 127.0, 4.0); // v 0.125 x 4 = 0.5

    // The plain quad spans its rectangle only.
    glClear(GL_COLOR_BUFFER_BIT);
    EasyDraw::draw_quad(0.25f, 0.25f, 0.5f, 0.25f);
    EXPECT_NE(gltest::read_pixel(w / 2, h * 3 / 8), 0u);
    EXPECT_EQ(gltest::read_pixel(w / 2, h * 5 / 8 + 2), 0u);
    EXPECT_EQ(gltest::read_pixel(w / 8, h * 3 / 8), 0u);
    glClear(GL_COLOR_BUFFER_BIT);
    EasyDraw::draw_fullscreen_quad();
    EasyDraw::draw_fullscreen_quad();
    EXPECT_NE(gltest::read_pixel(w - 1, h - 1), 0u);
}

TEST_F(EasyDrawGL, BoxPlaneAndSphereCoverTheirExtents)
{
    colour3d(mat4());
    EasyDraw::draw_box(2, 4, 6, false);
    EXPECT_TRUE(lit(0.9f, 1.9f));
    EXPECT_TRUE(lit(-0.9f, -1.9f));
    EXPECT_FALSE(lit(1.1f, 0));
    EXPECT_FALSE(lit(0, 2.1f));

    glClear(GL_COLOR_BUFFER_BIT);
    mat4 topDown;
    topDown.rotate(90, 1, 0, 0); // the XZ plane faces the viewer
    colour3d(topDown);
    EasyDraw::draw_plane(4, 6, true);
    EXPECT_TRUE(lit(1.9f, 2.9f));
    EXPECT_FALSE(lit(2.1f, 0));
    EXPECT_FALSE(lit(0, 3.1f));

    glClear(GL_COLOR_BUFFER_BIT);
    colour3d(mat4());
    EasyDraw::draw_sphere(2.0f, 3, false);
    EXPECT_TRUE(lit(0, 0));
    EXPECT_TRUE(lit(1.35f, 1.35f));  // inside the circle of radius 2
    EXPECT_FALSE(lit(1.6f, 1.6f));   // outside it, inside the square
    EXPECT_FALSE(lit(2.1f, 0));

    glClear(GL_COLOR_BUFFER_BIT);
    EasyDraw::draw_sphere(1.0f, 0, false);
    EXPECT_FALSE(lit(0, 0)) << "no divisions draws nothing";
    EXPECT_EQ(fatal_message([] { EasyDraw::draw_sphere(1.0f, 6, false); }), "More than 5 divisions not supported");
}

TEST_F(EasyDrawGL, CustomCountsAndFailures)
{
    std::vector<float> pos(108, 0.0f), uv(72, 0.0f), uvBad(74, 0.0f);
    EasyDrawCustom empty;
    empty.draw(GL_TRIANGLES);
    EXPECT_EQ(empty.get_vertex_count(), 0);

    EasyDrawCustom a;
    a.set_attribute(0, 3, 108, pos.data(), 0);
    a.set_attribute(2, 2, 72, uv.data(), 0);
    a.draw(GL_TRIANGLES);
    EXPECT_EQ(a.get_vertex_count(), 36);
    EXPECT_EQ(a.get_instance_count(), 0);
    EXPECT_EQ(fatal_message([&] { a.set_attribute(2, 2, 71, uv.data(), 0); }), "Failed assert 0 == count % stride");
    a.set_attribute(2, 2, 74, uvBad.data(), 0);
    EXPECT_EQ(fatal_message([&] { a.draw(GL_TRIANGLES); }), "Count 36 does not match att.count 74 / att.stride 2");
    EXPECT_EQ(fatal_message([&] { a.set_attribute(16, 3, 3, pos.data(), 0); }), "Failed assert index < VERTEX_ATTRIB_MAX");

    // A new stride at an unchanged float count takes a new layout.
    EasyDrawCustom b;
    b.set_attribute(0, 3, 12, pos.data(), 0);
    b.draw(GL_POINTS);
    EXPECT_EQ(b.get_vertex_count(), 4);
    b.set_attribute(0, 2, 12, pos.data(), 0);
    b.draw(GL_POINTS);
    EXPECT_EQ(b.get_vertex_count(), 6);

    EasyDrawCustom inst;
    std::vector<float> mats(48, 0.0f), colours(12, 1.0f), colours4(16, 1.0f);
    inst.set_attribute(0, 3, 9, pos.data(), 0);
    inst.set_matrix_attribute(8, 48, mats.data());
    inst.set_attribute(4, 4, 12, colours.data(), 1);
    inst.draw(GL_TRIANGLES);
    EXPECT_EQ(inst.get_instance_count(), 3);
    inst.set_attribute(4, 4, 16, colours4.data(), 1);
    EXPECT_EQ(fatal_message([&] { inst.draw(GL_TRIANGLES); }),
              "Failed assert instances == att.count / ( att.locations * att.stride )");
    EXPECT_EQ(fatal_message([&] { inst.set_matrix_attribute(8, 40, mats.data()); }), "Failed assert 0 == count % 16");
}

TEST_F(EasyDrawGL, InstancedDrawOfThreeMatricesShowsThreeShapes)
{
    ShaderConstructor* sc = new ShaderConstructor("Instanced", "#version 420");
    sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_POSITION) in vec2 Position;");
    sc->add_vert_global_line("layout (location = 4) in vec4 InstanceColor;");
    sc->add_vert_global_line("layout (location = 8) in mat4 InstanceMatrix;");
    sc->add_vert_global_line("out vec4 ColorFrag;");
    sc->add_vert_body_line("\tColorFrag = InstanceColor;");
    sc->add_vert_body_line("\tgl_Position = InstanceMatrix * vec4( Position, 0.0, 1.0 );");
    sc->add_frag_global_line("in vec4 ColorFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("\tFragColor = ColorFrag;");
    ShaderProgram p(sc);
    p.bind();

    // A small square, indexed as two triangles.
    const float square[8] = {-0.1f, -0.1f, 0.1f, -0.1f, 0.1f, 0.1f, -0.1f, 0.1f};
    const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::vector<float> mats;
    const float xs[3] = {-0.6f, 0.0f, 0.6f};
    for (float x : xs) {
        mat4 m;
        m.translate(x, 0.3f, 0);
        mats.insert(mats.end(), m.data(), m.data() + 16);
    }
    const float colours[12] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1};
    EasyDrawCustom shape;
    shape.set_attribute(0, 2, 8, square, 0);
    shape.set_indices(6, indices);
    shape.set_matrix_attribute(8, 48, mats.data());
    shape.set_attribute(4, 4, 12, colours, 1);
    shape.draw(GL_TRIANGLES);
    auto at = [&](float x, float y) {
        return gltest::read_pixel(static_cast<int>((x + 1) / 2 * w), static_cast<int>((y + 1) / 2 * h));
    };
    EXPECT_EQ(at(-0.6f, 0.3f), 0xFF0000FFu);
    EXPECT_EQ(at(0.0f, 0.3f), 0x00FF00FFu);
    EXPECT_EQ(at(0.6f, 0.3f), 0x0000FFFFu);
    EXPECT_EQ(at(-0.3f, 0.3f), 0u);
    EXPECT_EQ(at(0.0f, -0.3f), 0u);
}

}

namespace {

// The geometry the shapes hand to GL, captured with transform feedback:
// position and normal of every vertex drawn.
class ShapeCapture : public gltest::GLTest {
protected:
    struct Vertex {
        float px, py, pz, nx, ny, nz, u, v, tx, ty, tz;
    };

    static ShaderProgram& program()
    {
        static ShaderProgram* p = [] {
            ShaderConstructor* sc = new ShaderConstructor("ShapeCapture", "#version 450");
            sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_POSITION) in vec3 Position;");
            sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_NORMAL) in vec3 Normal;");
            sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;");
            sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_TANGENT) in vec3 Tangent;");
            sc->add_vert_global_line("layout (xfb_buffer = 0, xfb_offset = 0) out vec3 CapturedPosition;");
            sc->add_vert_global_line("layout (xfb_buffer = 0, xfb_offset = 12) out vec3 CapturedNormal;");
            sc->add_vert_global_line("layout (xfb_buffer = 0, xfb_offset = 24) out vec2 CapturedTexCoord;");
            sc->add_vert_global_line("layout (xfb_buffer = 0, xfb_offset = 32) out vec3 CapturedTangent;");
            sc->add_vert_body_line("\tCapturedPosition = Position;");
            sc->add_vert_body_line("\tCapturedNormal = Normal;");
            sc->add_vert_body_line("\tCapturedTexCoord = TexCoord;");
            sc->add_vert_body_line("\tCapturedTangent = Tangent;");
            sc->add_vert_body_line("\tgl_Position = vec4( Position, 1.0 );");
            sc->add_frag_global_line("out vec4 FragColor;");
            sc->add_frag_body_line("\tFragColor = vec4( 1.0 );");
            return new ShaderProgram(sc);
        }();
        return *p;
    }

    template <class Draw>
    std::vector<Vertex> capture(Draw draw)
    {
        const size_t maxVertices = 70000;
        GLuint buffer = 0, query = 0;
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, maxVertices * sizeof(Vertex), nullptr, GL_STATIC_READ);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
        glGenQueries(1, &query);
        program().bind();
        glEnable(GL_RASTERIZER_DISCARD);
        glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
        glBeginTransformFeedback(GL_TRIANGLES);
        draw();
        glEndTransformFeedback();
        glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
        glDisable(GL_RASTERIZER_DISCARD);
        GLuint triangles = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        std::vector<Vertex> out(size_t(triangles) * 3);
        glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, GLsizeiptr(out.size() * sizeof(Vertex)), out.data());
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
        glDeleteBuffers(1, &buffer);
        glDeleteQueries(1, &query);
        return out;
    }
};

TEST_F(ShapeCapture, SphereVerticesLieOnItsRadiusWithOutwardOrInwardNormals)
{
    for (bool inside : {false, true}) {
        const auto v = capture([&] { EasyDraw::draw_sphere(2.0f, 1, inside); });
        ASSERT_EQ(v.size(), 240u);
        const float s = inside ? -0.5f : 0.5f;
        for (const Vertex& x : v) {
            ASSERT_NEAR(std::sqrt(x.px * x.px + x.py * x.py + x.pz * x.pz), 2.0f, 1e-5f);
            ASSERT_NEAR(x.nx, x.px * s, 1e-6f);
            ASSERT_NEAR(x.nz, x.pz * s, 1e-6f);
        }
    }
    // Texture coordinates repeat five times each way; a triangle's tangent
    // comes from its last-written corner p1: (up - p1) x p1 with up the z
    // axis, or the y axis near the poles of z.
    const auto v = capture([] { EasyDraw::draw_sphere(1.0f, 2, false); });
    ASSERT_EQ(v.size(), 960u);
    int zAxisCorners = 0;
    for (size_t t = 0; t < v.size(); t += 3) {
        const Vertex& p1 = v[t + 2];
        auto tangent = [&](float ux, float uy, float uz) {
            const float ax = ux - p1.px, ay = uy - p1.py, az = uz - p1.pz;
            return std::array<float, 3>{ay * p1.pz - az * p1.py, az * p1.px - ax * p1.pz, ax * p1.py - ay * p1.px};
        };
        auto want = tangent(0, 0, 1);
        if (std::sqrt(want[0] * want[0] + want[1] * want[1] + want[2] * want[2]) < 0.1f) {
            want = tangent(0, 1, 0);
            zAxisCorners++;
        }
        for (int k = 0; k < 3; k++) {
            const Vertex& c = v[t + k];
            ASSERT_NEAR(c.tx, want[0], 1e-5f);
            ASSERT_NEAR(c.ty, want[1], 1e-5f);
            ASSERT_NEAR(c.tz, want[2], 1e-5f);
            ASSERT_NEAR(c.v, 5.0f * (std::asin(c.py) / 3.1415927f + 0.5f), 1e-4f);
            ASSERT_LE(std::fabs(c.u - p1.u), 2.5f) << "u stays continuous across the wrap-around";
        }
    }
    EXPECT_GT(zAxisCorners, 0) << "corners on the z axis take the y axis as up";

    const auto bigger = capture([] { EasyDraw::draw_sphere(2.5f, 2, false); });
    ASSERT_EQ(bigger.size(), 960u);
    EXPECT_NEAR(std::sqrt(bigger[7].px * bigger[7].px + bigger[7].py * bigger[7].py + bigger[7].pz * bigger[7].pz), 2.5f, 1e-5f);
}

TEST_F(ShapeCapture, BoxAndPlaneCornersAndNormals)
{
    const auto box = capture([] { EasyDraw::draw_box(2, 4, 6, false); });
    ASSERT_EQ(box.size(), 36u) << "six quads, two triangles each";
    for (const Vertex& x : box) {
        EXPECT_EQ(std::fabs(x.px), 1.0f);
        EXPECT_EQ(std::fabs(x.py), 2.0f);
        EXPECT_EQ(std::fabs(x.pz), 3.0f);
    }
    // The first face lies at y = -2 and faces down, or up when inside.
    EXPECT_EQ(box[0].ny, -1.0f);
    EXPECT_EQ(box[0].py, -2.0f);
    const auto inside = capture([] { EasyDraw::draw_box(2, 4, 6, true); });
    EXPECT_EQ(inside[0].ny, 1.0f);
    EXPECT_EQ(inside[0].px, box[0].px) << "corner order unchanged";

    const auto plane = capture([] { EasyDraw::draw_plane(10, 20, true); });
    ASSERT_EQ(plane.size(), 6u);
    for (const Vertex& x : plane) {
        EXPECT_EQ(std::fabs(x.px), 5.0f);
        EXPECT_EQ(x.py, 0.0f);
        EXPECT_EQ(std::fabs(x.pz), 10.0f);
        EXPECT_EQ(x.ny, -1.0f);
    }
}

}
