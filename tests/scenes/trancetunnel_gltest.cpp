// TranceTunnel: the uniforms on the silent clock and with a song playing,
// the rectangle over exactly the viewport, and a finite picture at the
// tunnel's centre.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "scenes/textscene_fixture.h"
#include "scenes/trancetunnel.h"
#include "support/audio_fixtures.h"
#include "util/fbo/fbo.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

struct TunnelProbe : TranceTunnel {
    using TranceTunnel::shader;
};

class TranceTunnelTest : public gltest::GLTest {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(std::vector<std::string>{});
        scene.setMusic(world->music);
        scene.init();
    }
    void TearDown() override { world.reset(); }

    float uniform(const char* name) {
        const GLuint program = scene.shader->get_program();
        const GLint location = glGetUniformLocation(program, name);
        EXPECT_GE(location, 0) << name;
        float value = -1.0f;
        glGetUniformfv(program, location, &value);
        return value;
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    TunnelProbe scene;
};

TEST_F(TranceTunnelTest, SilentClockGivesNoLevelAndTheBeatAsTime) {
    for (const float beat : {0.0f, 3.25f, 117.5f}) {
        world->setBeat(beat);
        scene.setViewport(64, 64);
        scene.draw();
        EXPECT_EQ(uniform("fft"), 0.0f);
        EXPECT_FLOAT_EQ(uniform("time"), world->music->getBeat());
        EXPECT_NEAR(uniform("time"), beat, 1e-3f);
    }
}

// With a song playing the program gets the music's level a hundredfold.
TEST_F(TranceTunnelTest, TheLevelOfASongIsPassedAHundredfold) {
    const std::vector<unsigned char> tone = encoded_tone("ogg", 20.0 * 44100.0 / 512.0, 1.0, 0.5);
    std::ofstream("song.ogg", std::ios::binary).write(reinterpret_cast<const char*>(tone.data()),
                                                      static_cast<std::streamsize>(tone.size()));
    VelmoSystem::musicFile = "song.ogg";
    {
        Music song;
        VelmoSystem::musicFile = "";
        song.start();
        song.togglePause();
        song.setBytePosition(44100 * 2);
        scene.setMusic(&song);
        scene.setViewport(64, 64);
        scene.draw();
        const float level = song.getLevel();
        ASSERT_GT(level, 0.0f);
        EXPECT_NEAR(uniform("fft"), level * 100.0f, level * 0.1f);
    }
    scene.setMusic(world->music);
}

// Every pixel of the viewport is written (opaque), none outside it.
TEST_F(TranceTunnelTest, RectangleCoversExactlyTheViewport) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world->setBeat(2.0f);
    scene.setViewport(200, 120);
    scene.draw();
    const std::vector<std::uint8_t> rgba = gltest::read_rgba(0, 0, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool inside = x < 200 && y < 120;
            ASSERT_EQ(rgba[(y * 256 + x) * 4 + 3], inside ? 255 : 0) << x << "," << y;
        }
}

// An odd-sized float target puts a pixel centre exactly on the tunnel's
// centre: every value stays finite there and around it.
TEST_F(TranceTunnelTest, CentreOfTheTunnelStaysFinite) {
    FBO target(65, 65, FBO_TYPE_RGBA32F_MIPMAP, 0);
    for (const float beat : {0.0f, 0.5f, 40.0f}) {
        world->setBeat(beat);
        target.push(true);
        scene.setViewport(65, 65);
        scene.draw();
        std::vector<float> pixels(65 * 65 * 4);
        glReadPixels(0, 0, 65, 65, GL_RGBA, GL_FLOAT, pixels.data());
        target.pop();
        for (std::size_t i = 0; i < pixels.size(); ++i)
            ASSERT_TRUE(std::isfinite(pixels[i])) << i / 4 << " at beat " << beat;
        const float* centre = &pixels[(32 * 65 + 32) * 4];
        EXPECT_LT(centre[0] + centre[1] + centre[2], 0.1f) << "the far end is dark";
        EXPECT_EQ(centre[3], 1.0f);
    }
}

}  // namespace
