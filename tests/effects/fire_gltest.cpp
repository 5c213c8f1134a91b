// The feedback fire in a real context: framebuffers cleared at construction,
// the ping-pong of passes read back (through a test mode that adds a fixed
// amount to the previous picture), the uniforms and units of a pass, the
// tinted display, every real mode running, and the bad mode.
#include <filesystem>
#include <fstream>

#include "effect_fixtures.h"
#include "effects/fire/fire.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using namespace effecttest;
using testsupport::fatal_message;

class FireGLTest : public EffectGLTest {
protected:
    static std::vector<std::uint8_t> read_framebuffer(Effects::Fire& fire, int index)
    {
        FBO& fbo = *fire.framebuffers[index];
        fbo.push(false);
        auto pixels = gltest::read_rgba(0, 0, fbo.get_width(), fbo.get_height());
        fbo.pop();
        return pixels;
    }

    // Mode 0 replaced by "previous + 0.25 red", full alpha.
    static void use_adding_mode(Effects::Fire& fire)
    {
        auto sc = std::make_unique<ShaderConstructor>("FireTestMode", "#version 420");
        sc->add_vert_global_piece("data/effects/fire/fire_vert_globals.glsl");
        sc->add_vert_body_piece("data/effects/fire/fire_vert_body.glsl");
        sc->add_frag_global_line("uniform sampler2D texPrevious;");
        sc->add_frag_global_line("in vec2 uv;");
        sc->add_frag_global_line("out vec4 FragColor;");
        sc->add_frag_body_line("\tFragColor = vec4( texture( texPrevious, uv ).r + 0.25, 0.0, 0.0, 1.0 );");
        fire.mode_programs[0] = std::make_unique<ShaderProgram>(sc.get());
        fire.mode_sources[0] = std::move(sc);
    }
};

TEST_F(FireGLTest, StartsClearedAndPingPongs)
{
    glClearColor(0.3f, 0.6f, 0.9f, 1.0f);  // construction must not clear to the caller's colour
    Effects::Fire fire(32, 16);
    glClearColor(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i)
        for (std::uint8_t b : read_framebuffer(fire, i))
            ASSERT_EQ(b, 0) << "framebuffer " << i;

    use_adding_mode(fire);
    EXPECT_EQ(fire.current, 0);
    const int expected[3][2] = {{0, 64}, {128, 64}, {128, 191}};  // red of fb0, fb1 after each pass
    const int writes[3] = {1, 0, 1};
    for (int pass = 0; pass < 3; ++pass) {
        fire.update(float(pass));
        EXPECT_EQ(fire.current, writes[pass]) << pass;
        for (int fb = 0; fb < 2; ++fb)
            EXPECT_NEAR(read_framebuffer(fire, fb)[0], expected[pass][fb], 1) << "pass " << pass << " fb " << fb;
    }
}

TEST_F(FireGLTest, PassUniformsUnitsAndTintedDisplay)
{
    glViewport(0, 0, 32, 32);
    Effects::Fire fire(32, 32);
    fire.image_factor = 0.5f;
    fire.image_shinethrough = 0.25f;
    fire.spark_pct = 0.125f;
    fire.update(3.5f);
    // The mode program is still bound after the pass.
    EXPECT_FLOAT_EQ(uniform("time", 1)[0], 3.5f);
    EXPECT_FLOAT_EQ(uniform("image_factor", 1)[0], 0.5f);
    EXPECT_FLOAT_EQ(uniform("image_shinethrough", 1)[0], 0.25f);
    EXPECT_FLOAT_EQ(uniform("spark_pct", 1)[0], 0.125f);
    EXPECT_EQ(uniform_int("texPrevious"), 0);
    EXPECT_EQ(uniform_int("texImage"), 1);
    EXPECT_EQ(uniform_int("texSpark"), 2);
    for (int unit : {1, 2}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << "unit " << unit << " unbound after the pass";
    }
    glActiveTexture(GL_TEXTURE0);

    // The display: the new picture, tinted, blended over the target.
    use_adding_mode(fire);
    fire.color = vec4(1.0f, 1.0f, 1.0f, 0.5f);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fire.render(0.0f);
    EXPECT_NEAR(red(gltest::read_pixel(16, 16)), 32, 2);  // 0.25 red at half alpha
}

TEST_F(FireGLTest, EveryModeRunsAndABadModeStops)
{
    glViewport(0, 0, 64, 64);
    Effects::Fire fire(64, 64, "data/effects/flagwave/flag.png");
    fire.image_factor = 1.0f;
    for (int mode = 0; mode < Effects::Fire::kModes; ++mode) {
        fire.mode = mode;
        for (int i = 0; i < 8; ++i)
            fire.render(float(i) / 30.0f);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << mode;
    }
    // The burning image shows: some heat in the last picture.
    int hot = 0;
    for (std::uint8_t b : read_framebuffer(fire, fire.current))
        hot += b > 40;
    EXPECT_GT(hot, 0);
    for (int bad : {4, -1}) {
        fire.mode = bad;
        EXPECT_EQ(fatal_message([&] { fire.render(0.0f); }), "Invalid fire mode!") << bad;
    }
}

}  // namespace
