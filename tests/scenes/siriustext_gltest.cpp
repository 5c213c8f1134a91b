// SiriusText: "textScene" picks the black or the white pair of words, each
// word fades by its own track, and the face size track is kept to 1..1024.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scenes/siriustext.h"
#include "scenes/textscene_fixture.h"

namespace {

const std::vector<std::string> kTracks = {"textScene", "textFade", "textFade2", "textY", "textX",
                                          "textY2",    "textX2",   "textSize",  "textScaleX"};

struct Shades {
    int darker = 0;    // pixels below the grey background
    int brighter = 0;  // pixels above it
};

class SiriusTextTest : public gltest::GLTest {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        scene.setMusic(world->music);
        scene.init();
        world->set("textSize", 320.0f);  // 80 pixels high on the 256-wide view
        world->set("textX", 0.05f);
        world->set("textY", 0.6f);
        world->set("textX2", 0.05f);
        world->set("textY2", 0.1f);
    }
    void TearDown() override { world.reset(); }

    // Draws over a mid-grey 256 x 256 picture and counts the changed pixels
    // in the rows from y0 to y1.
    Shades drawAndCount(int y0 = 0, int y1 = 256) {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        scene.setViewport(256, 256);
        scene.draw();
        const std::vector<std::uint8_t> rgba = gltest::read_rgba(0, y0, 256, y1 - y0);
        Shades s;
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            // The background is 128. White glyphs blend to no less than
            // 111 at their soft edges, black ones to no more than 128.
            const int grey = rgba[i];
            if (grey < 100)
                ++s.darker;
            if (grey > 150)
                ++s.brighter;
        }
        return s;
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    SiriusText scene;
};

TEST_F(SiriusTextTest, SceneTrackChoosesBlackOrWhiteWords) {
    const struct {
        float scene;
        bool white;
    } cases[] = {{0.0f, false}, {0.49f, false}, {0.5f, true}, {1.0f, true},
                 {std::numeric_limits<float>::quiet_NaN(), true}};
    for (const auto& c : cases) {
        world->set("textScene", c.scene);
        const Shades s = drawAndCount();
        EXPECT_GT(c.white ? s.brighter : s.darker, 200) << c.scene;
        EXPECT_EQ(c.white ? s.darker : s.brighter, 0) << c.scene;
    }
}

TEST_F(SiriusTextTest, EachWordFadesByItsOwnTrack) {
    for (const float scene : {0.0f, 1.0f}) {
        world->set("textScene", scene);
        const auto shown = [&](int y0, int y1) {
            const Shades s = drawAndCount(y0, y1);
            return s.darker + s.brighter;
        };
        world->set("textFade", 1.0f);
        world->set("textFade2", 0.0f);
        EXPECT_GT(shown(140, 256), 200) << "first word, upper part";
        EXPECT_EQ(shown(0, 120), 0) << "second word faded out";
        world->set("textFade", 0.0f);
        world->set("textFade2", 1.0f);
        EXPECT_EQ(shown(140, 256), 0) << "first word faded out";
        EXPECT_GT(shown(0, 120), 200) << "second word, lower part";
        world->set("textFade2", 0.0f);
        EXPECT_EQ(shown(0, 256), 0) << "both faded out";
    }
}

TEST_F(SiriusTextTest, StretchWidensBothWords) {
    world->set("textScene", 1.0f);
    const Shades narrow = drawAndCount();
    world->set("textScaleX", 1.6f);
    const Shades wide = drawAndCount();
    EXPECT_GT(wide.brighter, narrow.brighter * 5 / 4);
}

TEST(SiriusTextFaceSize, KeptWithinOneTo1024) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        std::uint32_t size;
    } cases[] = {{64.0f, 64},  {64.9f, 64},   {1.0f, 1},       {0.5f, 1},     {0.0f, 1},
                 {-5.0f, 1},   {-inf, 1},     {1024.0f, 1024}, {1e9f, 1024},  {inf, 1024},
                 {std::numeric_limits<float>::quiet_NaN(), 1}};
    for (const auto& c : cases)
        EXPECT_EQ(SiriusText::faceSize(c.value), c.size) << c.value;
}

TEST_F(SiriusTextTest, OddFaceSizesStillDraw) {
    world->set("textScene", 1.0f);
    for (const float size : {-40.0f, std::numeric_limits<float>::quiet_NaN(), 5000.0f}) {
        world->set("textSize", size);
        EXPECT_NO_THROW(drawAndCount()) << size;
    }
}

}  // namespace
