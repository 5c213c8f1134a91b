// Geysirs: 10000 particles on a sphere of radius 5 around the origin, the
// same every run, and a picture that only the camera tracks change.
#include <gtest/gtest.h>

#include "effects/particles/particles.h"
#include "scenes/geysirs.h"
#include "scenes/textscene_fixture.h"
#include "system/input_state.h"

namespace {

struct GeysirsProbe : Geysirs {
    using Geysirs::particles;
};

class GeysirsTest : public gltest::GLTest {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(std::vector<std::string>{});
        world->addCameraTracks();
    }
    void TearDown() override { world.reset(); }

    void start(GeysirsProbe& scene) {
        scene.setMusic(world->music);
        scene.setKeyTable(keys);
        scene.setInput(&input);
        scene.init();
    }

    std::vector<std::uint8_t> drawAt(GeysirsProbe& scene, float beat) {
        world->setBeat(beat);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene.setViewport(128, 128);
        scene.draw();
        return gltest::read_rgba(0, 0, 128, 128);
    }

    static std::vector<vec3> positions(const GeysirsProbe& scene) {
        const Effects::Particles& p = *scene.particles.back();
        std::vector<vec3> out;
        for (std::size_t i = 0; i < p.count(); ++i)
            out.push_back(p.particle(i).current);
        return out;
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    std::uint8_t keys[256] = {};
    InputState input;
};

TEST_F(GeysirsTest, ParticlesLieWithinFiveOfTheOriginAndRepeatEveryRun) {
    GeysirsProbe first;
    start(first);
    ASSERT_EQ(first.particles.size(), 1u);
    drawAt(first, 0.0f);
    const std::vector<vec3> a = positions(first);
    ASSERT_EQ(a.size(), 10000u);
    float farthest = 0.0f, nearest = 5.0f;
    for (const vec3& v : a) {
        farthest = std::max(farthest, v.length());
        nearest = std::min(nearest, v.length());
    }
    EXPECT_LE(farthest, 5.0f + 1e-4f);
    EXPECT_LT(nearest, 4.5f) << "loosely laid: on segments between sphere points, inside it";

    GeysirsProbe second;
    start(second);
    drawAt(second, 0.0f);
    const std::vector<vec3> b = positions(second);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(a[i][k], b[i][k]) << i;
}

TEST_F(GeysirsTest, OnlyTheCameraMovesThePicture) {
    GeysirsProbe scene;
    start(scene);
    const std::vector<std::uint8_t> still = drawAt(scene, 0.0f);
    int lit = 0;
    for (std::size_t i = 0; i < still.size(); i += 4)
        lit += still[i + 2] > 0;
    EXPECT_GT(lit, 500) << "a blue ball of particles";
    for (const float beat : {1.0f, 33.5f, 200.0f})
        EXPECT_EQ(drawAt(scene, beat), still) << beat;

    world->set("cameraEyeX", 6.0f);
    world->set("cameraEyeY", 2.0f);
    world->set("cameraEyeZ", -9.0f);
    EXPECT_NE(drawAt(scene, 0.0f), still);
    world->set("cameraEyeX", -15.0f);
    world->set("cameraEyeY", -15.0f);
    world->set("cameraEyeZ", -15.0f);
    EXPECT_EQ(drawAt(scene, 5.0f), still);
}

}  // namespace
