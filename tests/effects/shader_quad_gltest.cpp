// The shader-driven quad effects (attractor, noise) and the flag wave in a
// real context: their uniforms, the seeded generator, the state they leave,
// the flag's angle table (huge and non-finite times included) and a drawn
// flag.
#include <cmath>
#include <cstring>
#include <limits>

#include "effect_fixtures.h"
#include "effects/attractor/attractor.h"
#include "effects/flagwave/flagwave.h"
#include "effects/noise/noise.h"
#include "util/math/random.h"

namespace {

using namespace effecttest;

class ShaderQuadGLTest : public EffectGLTest {};

unsigned bits_of(float f)
{
    unsigned u = 0;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

TEST_F(ShaderQuadGLTest, AttractorCoversTheViewportAndSeedsFromTime)
{
    glViewport(0, 0, 64, 64);
    Effects::Attractor attractor(vec4(1.0f, 0.5f, 0.25f, 1.0f), 2.5f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5.0f, 5.0f, 0.0f);  // the quad ignores the caller's matrices
    attractor.render(12.5f);
    EXPECT_FLOAT_EQ(uniform("time", 1)[0], 12.5f);
    EXPECT_FLOAT_EQ(uniform("intensity", 1)[0], 2.5f);
    const int next = velmo_rand();
    velmo_srand(bits_of(12.5f));
    EXPECT_EQ(velmo_rand(), next);

    // The caller's matrices come back; blending and colour material stay on.
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], 5.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    // Something of the attractor is drawn somewhere in the view.
    const auto pixels = gltest::read_rgba(0, 0, 64, 64);
    int lit = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        lit += pixels[i] > 0;
    EXPECT_GT(lit, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShaderQuadGLTest, NoiseTimeDependsOnlyOnTime)
{
    glViewport(0, 0, 64, 64);
    Effects::Noise noise(vec4(1, 1, 1, 1));
    for (float t : {0.0f, 3.25f, -7.0f}) {
        noise.render(t);
        const float first = uniform("time", 1)[0];
        velmo_srand(12345);
        noise.render(t);
        EXPECT_EQ(uniform("time", 1)[0], first) << t;
        velmo_srand(bits_of(t));
        EXPECT_FLOAT_EQ(first, float(velmo_rand() * 100 + 100)) << t;
        EXPECT_GE(first, 100.0f);
        EXPECT_LE(first, 3276800.0f);
    }
    // Grain: some pixels lighter than others.
    const auto pixels = gltest::read_rgba(0, 0, 64, 64);
    int lo = 255, hi = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        lo = std::min<int>(lo, pixels[i]);
        hi = std::max<int>(hi, pixels[i]);
    }
    EXPECT_GT(hi - lo, 100);
}

TEST_F(ShaderQuadGLTest, FlagAngleTable)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float time, angle;
    };
    const Case cases[] = {
        {200.0f, 40.0f},  {-10.0f, 340.0f}, {180.0f, 360.0f}, {0.0f, 0.0f},     {90.0f, 180.0f},
        {360.0f, 360.0f}, {-180.0f, 0.0f},  {-190.0f, 340.0f}, {1e30f, 0.0f}, {-1e30f, 0.0f},
        {inf, 0.0f},      {-inf, 0.0f},     {std::numeric_limits<float>::quiet_NaN(), 0.0f},
    };
    for (const Case& c : cases) {
        const float a = Effects::FlagWave::wave_angle(c.time);
        EXPECT_GE(a, 0.0f) << c.time;
        EXPECT_LE(a, 360.0f) << c.time;
        if (std::fabs(c.time) < 1e20f) {
            EXPECT_NEAR(a, c.angle, 1e-3f) << c.time;
        }
    }
    // Huge times end at once and stay in range whatever fmod gives.
    EXPECT_NEAR(Effects::FlagWave::wave_angle(1e9f), std::fmod(2e9f, 360.0f), 1e-3f);
}

TEST_F(ShaderQuadGLTest, FlagDrawsItsClothAndRestoresMatrices)
{
    glViewport(0, 0, 128, 96);
    Effects::FlagWave flag;
    ASSERT_NE(flag.display_list, 0u);
    flag.render(200.0f);
    EXPECT_FLOAT_EQ(uniform("currentAngle", 1)[0], 40.0f);
    float p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_FLOAT_EQ(p[0], 1.0f);  // the caller's identity is back
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    // The middle of the view shows the cloth (not the black background).
    const std::uint32_t centre = gltest::read_pixel(64, 48);
    EXPECT_GT(red(centre) + green(centre) + blue(centre), 60);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
