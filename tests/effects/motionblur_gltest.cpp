// The motion blur filter in a real context, drawn the way the scene manager
// draws a filter (FBO::draw of the source through the program apply left
// bound): strength 0 gives the source back, earlier pictures add with their
// weight, the frame count is clamped to the samplers the driver has, the
// generated weights, apply before prepare, non-finite parameters.
#include <cmath>
#include <limits>

#include "effect_fixtures.h"
#include "effects/motionblur/motionblur.h"
#include "util/fbo/fbo.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using namespace effecttest;
using Effects::Motionblur;

constexpr int kSize = 64;

class MotionblurGLTest : public EffectGLTest {
protected:
    void SetUp() override
    {
        EffectGLTest::SetUp();
        Motionblur::last_advance() = 0.0f;
        if (!source)
            source = new FBO(kSize, kSize, FBO_TYPE_RGBA8, 0);
    }

    // The source framebuffer filled with one colour, with a square of
    // another colour in its lower left quarter.
    static void fill_source(float r, float g, float b, float qr = -1, float qg = 0, float qb = 0)
    {
        source->push(false);
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (qr >= 0) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(0, 0, kSize / 2, kSize / 2);
            glClearColor(qr, qg, qb, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_SCISSOR_TEST);
        }
        source->pop();
        glClearColor(0, 0, 0, 0);
    }

    // One frame of the chain with only this filter: prepare, apply, draw.
    static std::vector<std::uint8_t> frame(Motionblur& blur, float beat)
    {
        glViewport(0, 0, kSize, kSize);
        glClear(GL_COLOR_BUFFER_BIT);
        blur.prepare(kSize, kSize, beat, source);
        blur.apply(kSize, kSize, beat);
        source->draw();
        glUseProgram(0);
        return gltest::read_rgba(0, 0, kSize, kSize);
    }

    static std::vector<std::uint8_t> source_pixels()
    {
        source->push(false);
        auto px = gltest::read_rgba(0, 0, kSize, kSize);
        source->pop();
        return px;
    }

    static FBO* source;
};

FBO* MotionblurGLTest::source = nullptr;

TEST_F(MotionblurGLTest, StrengthZeroGivesTheSourceBack)
{
    Motionblur blur;
    blur.setParam(1, 0.0f);
    fill_source(0.2f, 0.4f, 0.6f, 1.0f, 0.0f, 0.5f);
    frame(blur, 0.0f);
    fill_source(0.9f, 0.1f, 0.3f, 0.0f, 1.0f, 0.0f);
    const auto out = frame(blur, 1.0f);
    const auto want = source_pixels();
    for (std::size_t i = 0; i < out.size(); ++i)
        if (i % 4 != 3) {
            ASSERT_EQ(out[i], want[i]) << "byte " << i;
        }
}

TEST_F(MotionblurGLTest, EarlierPicturesAddByWeight)
{
    Motionblur blur;
    blur.setParam(0, 2.0f);  // one earlier picture, weight 0.5
    blur.setParam(1, 1.0f);
    blur.setParam(2, 0.0f);  // advance whenever the beat moves on
    fill_source(0.4f, 0.0f, 0.0f);
    frame(blur, 0.0f);
    fill_source(0.0f, 0.2f, 0.0f);
    const auto out = frame(blur, 1.0f);
    const std::uint8_t* p = &out[(32 * kSize + 32) * 4];
    EXPECT_NEAR(p[0], 51, 2);  // 0.5 x 0.4 of the earlier picture
    EXPECT_NEAR(p[1], 51, 2);  // the current picture
    EXPECT_EQ(blur.current, 1);

    // A beat that goes backward advances once and restarts from there.
    frame(blur, 0.5f);
    EXPECT_EQ(blur.current, 0);
    EXPECT_FLOAT_EQ(Motionblur::last_advance(), 0.5f);
    frame(blur, 0.5f);  // not moved on: the same slot is overwritten
    EXPECT_EQ(blur.current, 0);
}

// Four frames: the three earlier pictures weigh 0.75, 0.5 and 0.25, the
// most recent one most.
TEST_F(MotionblurGLTest, TheMostRecentEarlierPictureWeighsMost)
{
    Motionblur blur;
    blur.setParam(0, 4.0f);
    blur.setParam(1, 1.0f);
    blur.setParam(2, 0.0f);
    fill_source(0.8f, 0.0f, 0.0f);  // three frames ago
    frame(blur, 0.0f);
    fill_source(0.0f, 0.8f, 0.0f);
    frame(blur, 1.0f);
    fill_source(0.0f, 0.0f, 0.8f);  // the frame before
    frame(blur, 2.0f);
    fill_source(0.0f, 0.0f, 0.0f);
    const auto out = frame(blur, 3.0f);
    const std::uint8_t* p = &out[(32 * kSize + 32) * 4];
    EXPECT_NEAR(p[2], 153, 2);  // 0.75 x 0.8
    EXPECT_NEAR(p[1], 102, 2);  // 0.5 x 0.8
    EXPECT_NEAR(p[0], 51, 2);   // 0.25 x 0.8
}

TEST_F(MotionblurGLTest, FrameCountClampAndGeneratedWeights)
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    const int most = std::min<int>(units, 64);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float frames;
        int want;
    };
    for (const Case& c : {Case{0, 2}, Case{1, 2}, Case{1.9f, 2}, Case{4.7f, 4}, Case{-3, 2}, Case{100, most},
                          Case{33, std::min(33, most)}, Case{nan, 2}, Case{inf, most}, Case{-inf, 2}})
        EXPECT_EQ(Motionblur::frame_count(c.frames), c.want) << c.frames;

    Motionblur blur;
    blur.setParam(0, 4.0f);
    blur.rebuild();
    const std::string frag = blur.blend_source->get_fragment_source();
    for (const char* line : {"uniform sampler2D shadow3;", "shadow1, TexCoordFrag ) * 0.75;",
                             "shadow2, TexCoordFrag ) * 0.5;", "shadow3, TexCoordFrag ) * 0.25;"})
        EXPECT_NE(frag.find(line), std::string::npos) << line;
    EXPECT_EQ(frag.find("shadow4"), std::string::npos);

    // The largest count links (33 samplers would not) and draws.
    blur.setParam(0, 100.0f);
    frame(blur, 0.0f);
    EXPECT_EQ(blur.frames, most);
    EXPECT_GE(blur.ring.size(), std::size_t(most));
    // Fewer frames later: the ring keeps its framebuffers.
    blur.setParam(0, 4.0f);
    frame(blur, 1.0f);
    EXPECT_EQ(blur.frames, 4);
    EXPECT_EQ(blur.ring.size(), std::size_t(most));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MotionblurGLTest, ApplyBeforePrepareAndNonFiniteParameters)
{
    Motionblur blur;
    glViewport(0, 0, kSize, kSize);
    fill_source(0.0f, 0.6f, 0.0f);
    blur.apply(kSize, kSize, 0.0f);  // no prepare yet: the ring is black
    source->draw();
    glUseProgram(0);
    EXPECT_NEAR(green(gltest::read_pixel(10, 10)), 153, 1);

    blur.setParam(1, std::numeric_limits<float>::quiet_NaN());
    blur.setParam(2, std::numeric_limits<float>::quiet_NaN());
    fill_source(0.6f, 0.0f, 0.0f);
    const auto out = frame(blur, 2.0f);
    EXPECT_NEAR(out[0], 153, 1);  // a strength that is not a number adds nothing
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
