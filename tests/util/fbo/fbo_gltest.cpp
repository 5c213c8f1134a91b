#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/easydraw/easydraw.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

namespace {

using testsupport::fatal_message;

class FBOGL : public gltest::GLTest {
protected:
    void TearDown() override { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

    testsupport::ThrowingFatalErrors fatalErrors;

    static ShaderProgram& colour_program()
    {
        static ShaderProgram p(make_color2d_shader("FboTestColor"));
        return p;
    }

    // Fills the unit square region (x, y, w, h) of the current target.
    static void fill(float r, float g, float b, float x = 0, float y = 0, float w = 1, float h = 1)
    {
        static const mat4 unit(1);
        colour_program().bind();
        colour_program().set_mat4("ProjectionMatrix", unit.data(), 1, false);
        colour_program().set_float4("Color", r, g, b, 1.0f);
        EasyDraw::draw_quad(x, y, w, h);
    }

    // One pixel of the framebuffer's colour attachment `index`, as floats.
    static void read_float(GLuint fbo, int index, int x, int y, float* rgba)
    {
        GLint oldRead = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &oldRead);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glReadBuffer(GL_COLOR_ATTACHMENT0 + index);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, rgba);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, oldRead);
    }

};

TEST_F(FBOGL, EveryTypeRendersAndReadsBack)
{
    for (int type = 1; type <= 5; type++)
        for (int samples : {0, 1, 4}) {
            SCOPED_TRACE("type " + std::to_string(type) + " samples " + std::to_string(samples));
            FBO a(32, 16, type, samples);
            GLint bound = -1;
            glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
            EXPECT_EQ(bound, 0);
            const GLenum target = a.get_texture(0) ? a.get_texture(0)->get_target() : 0;
            EXPECT_EQ(target, static_cast<GLenum>(samples >= 2 ? GL_TEXTURE_2D_MULTISAMPLE : GL_TEXTURE_2D));

            glClearColor(0, 0, 1, 1);
            a.push(true);
            fill(1, 0, 0, 0, 0, 0.5f, 1);
            a.pop();
            glClearColor(0, 0, 0, 0);

            // Resolve (or copy) into a plain framebuffer and look.
            FBO b(32, 16, FBO_TYPE_RGBA8, 0);
            b.push(false);
            a.blit();
            b.pop();
            float left[4], right[4];
            read_float(b.get_id(), 0, 4, 8, left);
            read_float(b.get_id(), 0, 28, 8, right);
            EXPECT_FLOAT_EQ(left[0], 1.0f);
            EXPECT_FLOAT_EQ(left[2], 0.0f);
            EXPECT_FLOAT_EQ(right[0], 0.0f);
            EXPECT_FLOAT_EQ(right[2], 1.0f);
        }
}

TEST_F(FBOGL, ThreeFloatAttachmentsTakeThreeOutputs)
{
    ShaderConstructor* sc = new ShaderConstructor("FboMrt", "#version 420");
    sc->add_vert_global_line("layout (location = 0) in vec2 Position;");
    sc->add_vert_body_line("\tgl_Position = vec4( Position * 2.0 - 1.0, 0.0, 1.0 );");
    for (int i = 0; i < 3; i++)
        sc->add_frag_global_line("layout (location = " + std::to_string(i) + ") out vec4 Out" + std::to_string(i) + ";");
    sc->add_frag_body_line("\tOut0 = vec4( 0.25, 0.0, 0.0, 1.0 );");
    sc->add_frag_body_line("\tOut1 = vec4( 0.0, 2.5, 0.0, 1.0 );");
    sc->add_frag_body_line("\tOut2 = vec4( 0.0, 0.0, -7.0, 1.0 );");
    ShaderProgram mrt(sc);
    FBO f(8, 8, FBO_TYPE_RGBA32F_X3_MIPMAP, 0);
    f.push(true);
    mrt.bind();
    EasyDraw::draw_quad(0, 0, 1, 1);
    f.pop();
    float px[4];
    read_float(f.get_id(), 0, 3, 3, px);
    EXPECT_FLOAT_EQ(px[0], 0.25f);
    read_float(f.get_id(), 1, 3, 3, px);
    EXPECT_FLOAT_EQ(px[1], 2.5f) << "values above 1 survive in a float attachment";
    read_float(f.get_id(), 2, 3, 3, px);
    EXPECT_FLOAT_EQ(px[2], -7.0f);
}

TEST_F(FBOGL, NestedPushPopRestoresBindingsAndViewport)
{
    FBO a(64, 32, FBO_TYPE_RGBA8, 0);
    FBO b(16, 8, FBO_TYPE_RGBA8_MIPMAP, 0);
    glViewport(3, 4, 100, 50);
    a.push(false);
    b.push(false);
    GLint v[4], bound;
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[2], 16);
    b.pop();
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), a.get_id());
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), a.get_id());
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[2], 64);
    EXPECT_EQ(v[3], 32);
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_COLOR_ATTACHMENT0);
    a.pop();
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[1], 4);
    EXPECT_EQ(v[2], 100);
    EXPECT_EQ(v[3], 50);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);

    a.push(false);
    EXPECT_EQ(fatal_message([&] { a.push(false); }), "Failed assert fbo_pushed < 0");
}

TEST_F(FBOGL, PopRegeneratesMipmaps)
{
    FBO f(16, 16, FBO_TYPE_RGBA8_MIPMAP, 0);
    glClearColor(0, 1, 0, 1);
    f.push(true);
    f.pop();
    glClearColor(0, 0, 0, 0);
    f.bind_texture(0, 0);
    unsigned char texel[4] = {0, 0, 0, 0};
    glGetTexImage(GL_TEXTURE_2D, 4, GL_RGBA, GL_UNSIGNED_BYTE, texel); // the 1x1 level
    EXPECT_EQ(texel[1], 255);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
}

// A texture made without mipmaps filters from level 0 only: pop leaves its
// chain unbuilt (still binding it on unit 0, as the rebuild does), and
// generate_mipmaps builds it on request.
TEST_F(FBOGL, PopLeavesChainsThatAreNeverSampled)
{
    FBO f(16, 16, FBO_TYPE_RGBA8, 0);
    f.push(true);
    f.pop();
    GLint bound = 0, width = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), f.get_texture(0)->get_id());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
    f.generate_mipmaps();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 8);
}

// A deferred chain stays as it was through a magnified draw (which reads
// level 0 alone) and is rebuilt by a minified draw or by bind_texture; with
// the shortcuts off the deferring pop rebuilds at once.
TEST_F(FBOGL, DeferredMipmapsAreBuiltWhenADrawCanReadThem)
{
    FBO f(32, 32, FBO_TYPE_RGBA8_MIPMAP, 0);
    Texture* texture = f.get_texture(0);
    auto smallest = [&] {  // green of the 1x1 level, read without the FBO
        texture->bind(0);
        unsigned char texel[4] = {0, 0, 0, 0};
        glGetTexImage(GL_TEXTURE_2D, 5, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        return static_cast<int>(texel[1]);
    };
    auto paint = [&](float green) {
        glClearColor(1, green, 0, 1);
        f.push(true);
        glClearColor(0, 0, 0, 0);
    };
    auto draw_into = [&](int size) {
        FBO target(size, size, FBO_TYPE_RGBA8, 0);
        target.push(true);
        Texture::bind_default_shader();
        f.draw();
        target.pop();
        float px[4];
        read_float(target.get_id(), 0, size / 2, size / 2, px);
        return static_cast<int>(std::lround(px[1] * 255));
    };

    paint(1);
    f.pop();
    paint(0);
    f.pop_deferring_mipmaps();
    EXPECT_EQ(smallest(), 255);
    EXPECT_EQ(draw_into(64), 0);  // magnified: level 0, chain untouched
    EXPECT_EQ(smallest(), 255);
    EXPECT_EQ(draw_into(16), 0);  // minified: the chain is rebuilt first
    EXPECT_EQ(smallest(), 0);

    paint(1);
    f.pop_deferring_mipmaps();
    f.bind_texture(0, 0);
    EXPECT_EQ(smallest(), 255);

    f.set_skip_unseen_work(false);
    paint(0);
    f.pop_deferring_mipmaps();
    EXPECT_EQ(smallest(), 0);
}

TEST_F(FBOGL, MultisampleResolveBlendsEdges)
{
    FBO ms(64, 64, FBO_TYPE_RGBA8, 4);
    EXPECT_EQ(ms.get_samples(), 4);
    ms.push(true);
    // A triangle whose hypotenuse crosses pixel centres diagonally.
    static const mat4 unit(1);
    colour_program().bind();
    colour_program().set_mat4("ProjectionMatrix", unit.data(), 1, false);
    colour_program().set_float4("Color", 1, 1, 1, 1);
    glBegin(GL_TRIANGLES);
    glVertexAttrib2f(0, 0, 0);
    glVertexAttrib2f(0, 1, 0);
    glVertexAttrib2f(0, 0, 1);
    glEnd();
    ms.pop();
    FBO plain(64, 64, FBO_TYPE_RGBA8, 0);
    plain.push(true);
    ms.blit();
    plain.pop();
    int partial = 0;
    for (int x = 0; x < 64; x++) {
        float px[4];
        read_float(plain.get_id(), 0, x, 63 - x, px);
        if (px[0] > 0.1f && px[0] < 0.9f)
            partial++;
    }
    EXPECT_GT(partial, 32) << "edge pixels carry partial coverage after the resolve";
}

TEST_F(FBOGL, SampleCountsAboveTheDriverAreClamped)
{
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    testing::internal::CaptureStdout();
    FBO f(16, 16, FBO_TYPE_RGBA8, most * 4);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_LE(f.get_samples(), most);
    EXPECT_GE(f.get_samples(), 2);
    EXPECT_NE(out.find("anti-aliasing asked"), std::string::npos) << out;
}

TEST_F(FBOGL, FailuresOfTheTable)
{
    EXPECT_EQ(fatal_message([] { FBO f(8, 8, 0, 0); }), "Unrecognized FBO type");
    EXPECT_EQ(fatal_message([] { FBO f(8, 8, 6, 0); }), "Unrecognized FBO type");
    FBO t1(8, 8, FBO_TYPE_RGBA8_MIPMAP, 0);
    EXPECT_EQ(t1.get_texture(1), nullptr);
    EXPECT_NE(t1.get_texture(0), nullptr);
    EXPECT_EQ(fatal_message([&] { t1.bind_texture(1, 0); }), "Invalid texture number");
    EXPECT_EQ(fatal_message([&] { t1.bind_texture(-1, 0); }), "Invalid texture number");
    EXPECT_EQ(fatal_message([&] { t1.bind_depth_texture(0); }), "No depth texture is created!");
    EXPECT_EQ(fatal_message([&] { t1.add_depth_buffer(); }), "Depth buffer already present!");
    FBO t4(8, 8, FBO_TYPE_RGBA8_DEPTH_TEXTURE, 0);
    t4.bind_depth_texture(1);
    EXPECT_EQ(fatal_message([&] { t4.add_depth_texture(); }),
              "Trying to add depth texture to an FBO that already has one!");

    FBO four(8, 8, FBO_TYPE_RGBA32F_X3_MIPMAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, four.get_id());
    four.add_color_attachment(GL_RGBA8, false);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(fatal_message([&] { four.push(false); }), "Can only draw to 3 buffers at a time here");
}

TEST_F(FBOGL, ConstructionLeavesTheWindowBound)
{
    FBO a(8, 8, FBO_TYPE_RGBA8, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, a.get_id());
    FBO b(8, 8, FBO_TYPE_RGBA8, 0);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(FBOGL, ResizeRemakesEveryAttachment)
{
    for (int type : {FBO_TYPE_RGBA8_MIPMAP, FBO_TYPE_RGBA8_DEPTH_TEXTURE, FBO_TYPE_RGBA32F_X3_MIPMAP}) {
        for (int samples : {0, 4}) {
            SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(samples));
            FBO f(16, 16, type, samples);
            const GLuint before = f.get_texture(0)->get_id();
            f.resize(16, 16);
            EXPECT_EQ(f.get_texture(0)->get_id(), before) << "same size: nothing happens";
            f.resize(40, 24);
            EXPECT_EQ(f.get_width(), 40);
            EXPECT_EQ(f.get_texture(0)->get_width(), 40);
            EXPECT_EQ(f.get_texture(0)->get_height(), 24);
            GLint bound = -1;
            glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
            EXPECT_EQ(bound, 0);
            f.push(true);
            fill(0, 1, 0);
            f.pop();
            FBO check(40, 24, FBO_TYPE_RGBA8, 0);
            check.push(true);
            f.blit();
            check.pop();
            float px[4];
            read_float(check.get_id(), 0, 39, 23, px);
            EXPECT_FLOAT_EQ(px[1], 1.0f);
        }
    }
}

TEST_F(FBOGL, DrawShowsColourTextureZero)
{
    FBO f(16, 16, FBO_TYPE_RGBA8, 0);
    glClearColor(1, 0, 1, 1);
    f.push(true);
    f.pop();
    glClearColor(0, 0, 0, 0);
    Texture::bind_default_shader();
    glEnable(GL_DEPTH_TEST);
    f.draw();
    GLboolean depth = GL_TRUE;
    glGetBooleanv(GL_DEPTH_TEST, &depth);
    EXPECT_EQ(depth, GL_FALSE);
    EXPECT_EQ(gltest::read_pixel(gltest::window_width() / 2, gltest::window_height() / 2), 0xFF00FFFFu);
}

}
