// GlowShapes: 3072 vertices a frame, each frame's gradient from the bottom
// colour to the top colour, raised frames invisible by default, and the
// additive picture.
#include <gtest/gtest.h>

#include <cmath>

#include "scenes/glowshapes.h"
#include "scenes/textscene_fixture.h"
#include "system/input_state.h"

namespace {

const std::vector<std::string> kTracks = {"gsColor1",  "gsColor1S", "gsColor1V", "gsColor1A",
                                          "gsColor2",  "gsColor2S", "gsColor2V", "gsColor2A",
                                          "gsObjRot",  "gsProtrusion", "gsProtColor"};

struct GlowProbe : GlowShapes {
    using GlowShapes::addFrame;
    using GlowShapes::colors;
    using GlowShapes::mesh;
    using GlowShapes::positions;
};

// Vertices of a flat frame and of a raised one; every flat frame is followed
// by its raised copy.
const int kFlat = 24;
const int kRaised = 72;

class GlowShapesTest : public gltest::GLTest {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        world->addCameraTracks();
        scene.setMusic(world->music);
        scene.setKeyTable(keys);
        scene.setInput(&input);
        scene.init();
    }
    void TearDown() override { world.reset(); }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        scene.setViewport(256, 256);
        scene.draw();
    }

    // Pure red on top, pure blue at the bottom, both opaque.
    void redOverBlue() {
        for (const auto& [name, value] :
             std::vector<std::pair<std::string, float>>{{"gsColor1", 0.0f}, {"gsColor1S", 1.0f},
                                                        {"gsColor1V", 0.5f}, {"gsColor1A", 1.0f},
                                                        {"gsColor2", 2.0f / 3.0f}, {"gsColor2S", 1.0f},
                                                        {"gsColor2V", 0.5f}, {"gsColor2A", 1.0f}})
            world->set(name, value);
    }

    float y(int vertex) const { return scene.positions[vertex * 3 + 1]; }
    const float* colour(int vertex) const { return &scene.colors[vertex * 4]; }

    std::unique_ptr<scenetest::SceneWorld> world;
    std::uint8_t keys[256] = {};
    InputState input;
    GlowProbe scene;
};

TEST_F(GlowShapesTest, EveryFrameDraws3072Vertices) {
    for (const float protrusion : {0.0f, 0.7f}) {
        world->set("gsProtrusion", protrusion);
        world->set("gsObjRot", 3.0f);
        draw();
        EXPECT_EQ(scene.positions.size(), 3072u * 3);
        EXPECT_EQ(scene.colors.size(), 3072u * 4);
        EXPECT_EQ(scene.mesh.get_vertex_count(), 3072);
    }
}

// Within each frame, flat or raised, its lowest vertex has colour 2 and its
// highest colour 1, wherever the frame stands and however it spins.
TEST_F(GlowShapesTest, GradientRunsFromBottomColourToTopColour) {
    redOverBlue();
    world->set("gsProtrusion", 0.5f);
    world->set("gsProtColor", 1.0f);
    for (const float rotation : {0.0f, 1.3f, 5.0f}) {
        world->set("gsObjRot", rotation);
        draw();
        int first = 0;
        while (first < 3072) {
            for (const int count : {kFlat, kRaised}) {
                int low = first, high = first;
                for (int v = first; v < first + count; ++v) {
                    if (y(v) < y(low))
                        low = v;
                    if (y(v) > y(high))
                        high = v;
                }
                ASSERT_GT(y(high) - y(low), 0.1f);
                const float bottom[4] = {0, 0, 1, 1}, top[4] = {1, 0, 0, 1};
                for (int k = 0; k < 4; ++k) {
                    EXPECT_NEAR(colour(low)[k], bottom[k], 1e-5f) << first << " " << k;
                    EXPECT_NEAR(colour(high)[k], top[k], 1e-5f) << first << " " << k;
                }
                // Between the ends the colour follows the height.
                for (int v = first; v < first + count; ++v) {
                    const float t = (y(v) - y(low)) / (y(high) - y(low));
                    EXPECT_NEAR(colour(v)[0], t, 1e-4f);
                    EXPECT_NEAR(colour(v)[2], 1.0f - t, 1e-4f);
                }
                first += count;
            }
        }
    }
}

TEST_F(GlowShapesTest, DefaultRaisedFramesLieOnTheFlatOnesAndAreInvisible) {
    draw();
    for (int first = 0; first < 3072; first += kFlat + kRaised) {
        for (int v = first; v < first + kFlat; ++v)
            EXPECT_NEAR(colour(v)[3], 0.5f, 1e-6f);
        for (int v = first + kFlat; v < first + kFlat + kRaised; ++v)
            EXPECT_EQ(colour(v)[3], 0.0f);
        // The raised frame's first face is the flat frame's first face.
        for (int k = 0; k < 6 * 3; ++k)
            EXPECT_NEAR(scene.positions[(first + kFlat) * 3 + k], scene.positions[first * 3 + k], 1e-5f);
    }
}

// A frame lying flat has no height: it takes the bottom colour throughout
// instead of dividing by zero.
TEST_F(GlowShapesTest, FrameWithoutHeightTakesTheBottomColour) {
    redOverBlue();
    mat4 flat;
    flat.scale(1.0f, 0.0f, 1.0f);  // squashed onto y = 0
    scene.positions.clear();
    scene.colors.clear();
    scene.addFrame(2.0f, 0.2f, flat);
    ASSERT_EQ(scene.colors.size(), std::size_t(kFlat) * 4);
    for (int v = 0; v < kFlat; ++v) {
        EXPECT_NEAR(y(v), 0.0f, 1e-5f);
        const float blue[4] = {0, 0, 1, 1};
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(colour(v)[k], blue[k]) << v;
    }
}

// Additive and without depth test: the rings light the picture, brighter
// where frames overlap; with both alphas 0 nothing shows.
TEST_F(GlowShapesTest, RingsAddLightOverBlack) {
    redOverBlue();
    for (const char* a : {"gsColor1A", "gsColor2A"})
        world->set(a, 0.5f);
    draw();
    const std::vector<std::uint8_t> lit = gltest::read_rgba(0, 0, 256, 256);
    int shown = 0, overlapped = 0;
    for (std::size_t i = 0; i < lit.size(); i += 4) {
        EXPECT_EQ(lit[i + 1], 0) << "red and blue only";
        const int sum = lit[i] + lit[i + 2];
        if (sum > 0)
            ++shown;
        if (sum > 150)  // one layer at alpha 0.5 gives at most 128
            ++overlapped;
    }
    EXPECT_GT(shown, 1000);
    EXPECT_GT(overlapped, 50);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

    for (const char* a : {"gsColor1A", "gsColor2A"})
        world->set(a, 0.0f);
    draw();
    const std::vector<std::uint8_t> dark = gltest::read_rgba(0, 0, 256, 256);
    for (std::size_t i = 0; i < dark.size(); i += 4)
        ASSERT_EQ(dark[i] + dark[i + 1] + dark[i + 2], 0) << i / 4;
}

}  // namespace
