// Modulators: the oscilloscope of the note tracks, read back from the
// window. One track without modulators: its band shows the held state
// (1 while the note sounds) over 10.24 beats centred on the present line.
#include <gtest/gtest.h>

#include "scenes/modulators.h"
#include "scenes/textscene_fixture.h"

namespace {

struct ModulatorsProbe : Modulators {
    using Modulators::historyTime;
    using Modulators::writeIndex;
};

class ModulatorsTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(std::vector<std::string>{});
    }
    void TearDown() override {
        scene.deinit();
        world.reset();
    }

    void start() {
        scene.setMusic(world->music);
        scene.init();
    }

    // Draws at a beat into the cleared 640 x 480 window.
    void drawAt(float beat) {
        world->setBeat(beat);
        gltest::reset_state();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        scene.setViewport(640, 480);
        scene.draw();
    }

    // The colour at plot coordinates (x of 0 to 512, y in bands), 0xRRGGBB.
    static unsigned at(float x, float y, int bands) {
        GLubyte p[4];
        glReadPixels(int(x * 640.0f / 512.0f), int(y * 480.0f / float(bands)), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    }

    // A plot x for a beat, with the music at `now`: the present line stands
    // at x = 256 and a sample is 0.02 beats wide.
    static float xOf(float beat, float now) { return 256.0f + (beat - now) / 0.02f; }

    std::unique_ptr<scenetest::SceneWorld> world;
    ModulatorsProbe scene;
};

const unsigned kArea = 0x009900;     // note 0's area: (0, 1, 0) at 0.6 over black
const unsigned kGrey = 0xB3B3B3;     // the grid and the present line: 0.7

TEST_F(ModulatorsTest, BandShowsHeldStateAroundThePresentLine) {
    world->addNoteTrack("Keys", {{60, {8.0f, -12.0f}}});
    start();
    drawAt(10.0f);
    // Held from beat 8 to 12: the area fills 0.9 of the band there.
    for (float beat : {8.5f, 9.0f, 11.0f, 11.8f})
        EXPECT_TRUE(scenetest::close_colour(at(xOf(beat, 10.0f), 0.45f, 1), kArea)) << beat << std::hex << " " << at(xOf(beat, 10.0f), 0.45f, 1);
    EXPECT_EQ(at(xOf(9.0f, 10.0f), 0.95f, 1), 0x000000u) << "above the held value";
    for (float beat : {6.0f, 7.5f, 12.5f, 14.0f})
        EXPECT_EQ(at(xOf(beat, 10.0f), 0.45f, 1), 0x000000u) << beat;
    // The present line from the bottom to the top.
    for (float y : {0.2f, 0.95f})
        EXPECT_TRUE(scenetest::close_colour(at(256.0f, y, 1), kGrey)) << y;
}

TEST_F(ModulatorsTest, JumpBackRefillsTheWindowFromItsLeftEdge) {
    world->addNoteTrack("Keys", {{60, {8.0f, -12.0f}}});
    start();
    drawAt(30.0f);
    EXPECT_EQ(at(xOf(29.0f, 30.0f), 0.45f, 1), 0x000000u);
    drawAt(10.0f);
    EXPECT_LE(scene.historyTime, 10.0f + 5.12f + 0.001f);
    EXPECT_GT(scene.historyTime, 10.0f + 5.12f - 0.021f);
    for (float beat : {8.5f, 11.0f})
        EXPECT_TRUE(scenetest::close_colour(at(xOf(beat, 10.0f), 0.45f, 1), kArea)) << beat;
    for (float beat : {6.0f, 14.0f})
        EXPECT_EQ(at(xOf(beat, 10.0f), 0.45f, 1), 0x000000u) << beat;
}

// At beat 0 only the coming half of the window has samples; the slots never
// written hold NaN and are left out, not drawn as lines to nowhere.
TEST_F(ModulatorsTest, SamplesNeverWrittenAreSkipped) {
    world->addNoteTrack("Keys", {{60, {0.5f, -100.0f}}});
    start();
    drawAt(0.0f);
    EXPECT_NEAR(double(scene.writeIndex), 255.0, 1.0);  // one sample per 0.02 beats up to 5.12
    EXPECT_TRUE(scenetest::close_colour(at(xOf(2.0f, 0.0f), 0.45f, 1), kArea));
    for (float x : {120.0f, 180.0f, 230.0f})
        for (float y : {0.3f, 0.6f, 0.9f})
            EXPECT_EQ(at(x, y, 1), 0x000000u) << x << "," << y;
}

TEST_F(ModulatorsTest, WithoutTracksOnlyTheStateIsSet) {
    world->music->noteData = new NoteData("");
    start();
    drawAt(4.0f);
    for (float x : {10.0f, 256.0f, 400.0f})
        EXPECT_EQ(at(x, 0.5f, 1), 0x000000u);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

}  // namespace
