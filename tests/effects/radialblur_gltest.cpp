// The stand-alone radial blur in a real context: it adds to what is drawn,
// twice adds twice, black adds nothing, the two programs take their own
// fourth parameter, the caller's blending comes back, and a missing texture
// stops the program.
#include "effect_fixtures.h"
#include "effects/radialblur/radialblur.h"
#include "util/texture/texture.h"

namespace {

using namespace effecttest;
using testsupport::fatal_message;

class RadialBlurGLTest : public EffectGLTest {
protected:
    // A 16x16 texture of one colour.
    static std::unique_ptr<Texture> solid(std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        auto t = std::make_unique<Texture>();
        std::vector<std::uint8_t> px;
        for (int i = 0; i < 256; ++i)
            px.insert(px.end(), {r, g, b, 255});
        t->create_empty(16, 16, false, false, GL_RGBA8);
        t->bind(0);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 16, 16, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return t;
    }

    static std::uint32_t draw(Effects::RadialBlur& blur, int times = 1)
    {
        glViewport(0, 0, 32, 32);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);  // the unit square covers the view
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        for (int i = 0; i < times; ++i)
            blur.render(0.0f);
        return gltest::read_pixel(16, 16);
    }
};

TEST_F(RadialBlurGLTest, AddsToWhatIsDrawn)
{
    auto grey = solid(64, 32, 16);
    Effects::RadialBlur blur(grey.get());
    glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::uint32_t p = draw(blur);
    EXPECT_NEAR(red(p), 64 + 64, 1);
    EXPECT_NEAR(green(p), 64 + 32, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    p = draw(blur, 2);
    EXPECT_NEAR(red(p), 64 + 128, 2);

    auto black = solid(0, 0, 0);
    blur.texture = black.get();
    glClear(GL_COLOR_BUFFER_BIT);
    p = draw(blur);
    EXPECT_EQ(red(p), 64);
    EXPECT_EQ(blue(p), 64);
    glClearColor(0, 0, 0, 0);
}

TEST_F(RadialBlurGLTest, EachProgramTakesItsOwnFourthParameter)
{
    auto grey = solid(100, 100, 100);
    Effects::RadialBlur blur(grey.get());
    blur.centre_x = 0.25f;
    blur.centre_y = 0.75f;
    blur.step = 0.5f;
    blur.intensity = 0.5f;
    blur.iterations = 8.0f;
    draw(blur);
    EXPECT_EQ(uniform("RadialBlurParams", 4), (std::vector<float>{0.25f, 0.75f, 0.5f, 0.5f}));
    glClear(GL_COLOR_BUFFER_BIT);
    const std::uint32_t half = draw(blur);
    blur.use_iterations = true;
    blur.intensity = 0.0f;  // no effect on the iterations program
    glClear(GL_COLOR_BUFFER_BIT);
    const std::uint32_t full = draw(blur);
    EXPECT_EQ(uniform("RadialBlurParams", 4), (std::vector<float>{0.25f, 0.75f, 0.5f, 8.0f}));
    EXPECT_NEAR(red(full), 100, 1);
    EXPECT_NEAR(red(half), 50, 1);
}

TEST_F(RadialBlurGLTest, CallersBlendingComesBack)
{
    auto grey = solid(10, 10, 10);
    Effects::RadialBlur blur(grey.get());
    glDisable(GL_BLEND);
    draw(blur);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    draw(blur);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint v[4];
    glGetIntegerv(GL_BLEND_SRC_RGB, &v[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &v[1]);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &v[2]);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &v[3]);
    EXPECT_EQ(v[0], GL_SRC_ALPHA);
    EXPECT_EQ(v[1], GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(v[2], GL_ONE);
    EXPECT_EQ(v[3], GL_ZERO);
    glDisable(GL_BLEND);

    Effects::RadialBlur none;
    EXPECT_EQ(fatal_message([&] { none.render(0.0f); }), "Trying to radialblur without setting texture");
}

}  // namespace
