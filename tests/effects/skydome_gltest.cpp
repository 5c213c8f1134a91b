// The sky dome and the SGL model's draw in a real context: the shared sky
// clock (first render, elapsed time, backwards, two domes), the uniforms, the
// state left behind, a drawn sky, and the model's draw keeping the caller's
// client arrays.
#include "effect_fixtures.h"
#include "effects/skydome/skydome.h"

namespace {

using namespace effecttest;

class SkyDomeGLTest : public EffectGLTest {};

TEST_F(SkyDomeGLTest, SharedSkyClock)
{
    Effects::SkyDome a;
    Effects::SkyDome b;
    const float start = Effects::SkyDome::sky_clock();
    a.render(100.0f);  // a first render does not move the clock
    EXPECT_FLOAT_EQ(Effects::SkyDome::sky_clock(), start);
    a.render(300.0f);
    EXPECT_FLOAT_EQ(Effects::SkyDome::sky_clock(), start + 1.0f);
    b.render(0.0f);
    b.render(100.0f);  // the other dome moves the same clock
    EXPECT_FLOAT_EQ(Effects::SkyDome::sky_clock(), start + 1.5f);
    a.render(200.0f);  // backwards
    EXPECT_FLOAT_EQ(Effects::SkyDome::sky_clock(), start + 1.0f);
    EXPECT_FLOAT_EQ(uniform("time", 1)[0], start + 1.0f);
}

TEST_F(SkyDomeGLTest, UniformsStateAndPicture)
{
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(70.0, 1.0, 0.1, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(0, 10, 0, 1, 60, 0, 0, 1, 0);  // looking up into the dome
    Effects::SkyDome dome;
    dome.daylight = 0.75f;
    dome.tex2_factor = 0.3f;
    dome.tex2_scale = 2.0f;
    dome.tex2_offset = 0.125f;
    glDisable(GL_DEPTH_TEST);
    float before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    dome.render(1.0f);
    EXPECT_EQ(uniform("horizon", 4), (std::vector<float>{0.9f, 0.7f, 0.7f, 1.0f}));
    EXPECT_EQ(uniform("bbox", 4), (std::vector<float>{-1.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_EQ(uniform_int("s_texture_0"), 0);
    EXPECT_EQ(uniform_int("s_texture_1"), 1);
    EXPECT_FLOAT_EQ(uniform("daylight", 1)[0], 0.75f);
    EXPECT_FLOAT_EQ(uniform("tex2_factor", 1)[0], 0.3f);
    EXPECT_FLOAT_EQ(uniform("tex2_scale", 1)[0], 2.0f);
    EXPECT_FLOAT_EQ(uniform("tex2_offset", 1)[0], 0.125f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(after[i], before[i]) << i;  // the dome's scale was popped
    // The sky fills the view with a blue-ish colour.
    const std::uint32_t centre = gltest::read_pixel(32, 32);
    EXPECT_GT(blue(centre), 80);
    EXPECT_GT(blue(centre), red(centre));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SkyDomeGLTest, ModelDrawKeepsTheCallersClientArrays)
{
    Effects::SkyDome dome;
    // The caller has a colour array of its own enabled and no vertex array.
    static const float colours[4] = {1, 0, 0, 1};
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, colours);
    glDisableClientState(GL_VERTEX_ARRAY);
    dome.model.draw();
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    void* pointer = nullptr;
    glGetPointerv(GL_COLOR_ARRAY_POINTER, &pointer);
    EXPECT_EQ(pointer, colours);
    glDisableClientState(GL_COLOR_ARRAY);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
