// MusicVectors: which shapes show for which held notes of "Ruff Kit", read
// back at 16:9 and at 4:3; the shapes' order; the empty fill of the corner
// strokes; the scene freeing its paths.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scenes/musicvectors.h"
#include "scenes/textscene_fixture.h"

namespace {

struct VectorsProbe : MusicVectors {
    using MusicVectors::engine;
    using MusicVectors::paths;
};

// Viewports of both aspect ratios inside the 256 x 256 test window.
struct Aspect {
    const char* name;  // a test name suffix
    int width, height;
};
const Aspect kAspects[] = {{"Wide16by9", 256, 144}, {"Classic4by3", 256, 192}};

const std::uint32_t kBlack = 0x000000FF;
const std::uint32_t kRed = 0xFF0000FF;
const std::uint32_t kWhite = 0xFFFFFFFF;

class MusicVectorsTest : public gltest::GLTest, public ::testing::WithParamInterface<Aspect> {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        fresh();
    }
    // A new world and scene (the old ones go first).
    void fresh() {
        scene.reset();
        world.reset();
        world = std::make_unique<scenetest::SceneWorld>(std::vector<std::string>{});
        scene = std::make_unique<VectorsProbe>();
        scene->setMusic(world->music);
    }
    void TearDown() override {
        scene.reset();
        world.reset();
    }

    // A "Ruff Kit" track whose notes of the given keys are held from beat 1
    // to beat 2, then init.
    void start(const std::vector<int>& keys) {
        std::vector<scenetest::TestNote> notes;
        for (int key : keys)
            notes.push_back({key, {1.0f, -2.0f}});
        world->addNoteTrack("Ruff Kit", notes);
        scene->init();
    }

    void drawAt(float beat) {
        world->setBeat(beat);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        scene->setViewport(GetParam().width, GetParam().height);
        scene->draw();
    }

    // The pixel under a page point (page y runs down from the top edge).
    std::uint32_t at(float pageX, float pageY) const {
        const int x = static_cast<int>(pageX / 1280.0f * GetParam().width);
        const int y = static_cast<int>((1.0f - pageY / 720.0f) * GetParam().height);
        return gltest::read_pixel(x, y);
    }

    // Whether any pixel of the 3 x 3 block around a page point is white.
    bool whiteNear(float pageX, float pageY) const {
        const int x = static_cast<int>(pageX / 1280.0f * GetParam().width);
        const int y = static_cast<int>((1.0f - pageY / 720.0f) * GetParam().height);
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (gltest::read_pixel(x + dx, y + dy) == kWhite)
                    return true;
        return false;
    }

    bool viewportBlack() const {
        const std::vector<std::uint8_t> pixels = gltest::read_rgba(0, 0, GetParam().width, GetParam().height);
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            if (pixels[i] || pixels[i + 1] || pixels[i + 2])
                return false;
        return true;
    }

    // Page points on each shape: the middle of the top-left corner stroke,
    // the middle of the frame's top and left edges, the page centre.
    static constexpr float kCornerX = 256.0f, kCornerY = 144.0f;
    static constexpr float kFrameTopX = 640.0f, kFrameTopY = 36.0f;
    static constexpr float kFrameLeftX = 64.0f, kFrameLeftY = 360.0f;
    static constexpr float kCentreX = 640.0f, kCentreY = 360.0f;

    std::unique_ptr<scenetest::SceneWorld> world;
    std::unique_ptr<VectorsProbe> scene;
};

TEST_P(MusicVectorsTest, NoNoteHeldDrawsNothing) {
    start({36, 40, 44});
    for (const float beat : {0.5f, 2.5f}) {
        drawAt(beat);
        EXPECT_TRUE(viewportBlack()) << "beat " << beat;
    }
}

TEST_P(MusicVectorsTest, FrameKeysLightTheFrameOnly) {
    for (const int key : {36, 37}) {
        fresh();
        start({key});
        drawAt(1.5f);
        EXPECT_TRUE(whiteNear(kFrameTopX, kFrameTopY)) << key;
        EXPECT_TRUE(whiteNear(kFrameLeftX, kFrameLeftY)) << key;
        EXPECT_EQ(at(kCentreX, kCentreY), kBlack) << key;
        EXPECT_FALSE(whiteNear(kCornerX, kCornerY)) << key;
    }
}

TEST_P(MusicVectorsTest, SnareKeysPaintTheCentreRed) {
    for (const int key : {40, 41, 45}) {
        fresh();
        start({key});
        drawAt(1.5f);
        EXPECT_EQ(at(kCentreX, kCentreY), kRed) << key;
        EXPECT_FALSE(whiteNear(kFrameTopX, kFrameTopY)) << key;
        EXPECT_FALSE(whiteNear(kCornerX, kCornerY)) << key;
    }
}

TEST_P(MusicVectorsTest, HihatKeysLightTheCornerStrokes) {
    for (const int key : {44, 46}) {
        fresh();
        start({key});
        drawAt(1.5f);
        // All four strokes, each at its middle.
        EXPECT_TRUE(whiteNear(256.0f, 144.0f)) << key;
        EXPECT_TRUE(whiteNear(256.0f, 576.0f)) << key;
        EXPECT_TRUE(whiteNear(1024.0f, 576.0f)) << key;
        EXPECT_TRUE(whiteNear(1024.0f, 144.0f)) << key;
        // Their fill encloses nothing: between the strokes stays black.
        EXPECT_EQ(at(kCentreX, kCentreY), kBlack) << key;
        EXPECT_EQ(at(640.0f, 150.0f), kBlack) << key;
        EXPECT_FALSE(whiteNear(kFrameTopX, kFrameTopY)) << key;
    }
}

TEST_P(MusicVectorsTest, KeysOutsideTheGroupsChangeNothing) {
    start({35, 38, 39, 42, 43, 47, 60, 0, 127});
    drawAt(1.5f);
    EXPECT_TRUE(viewportBlack());
}

TEST_P(MusicVectorsTest, NothingLingersAfterTheNoteEnds) {
    start({36, 40, 44});
    drawAt(1.5f);
    EXPECT_EQ(at(kCentreX, kCentreY), kRed);
    drawAt(2.5f);
    EXPECT_TRUE(viewportBlack());
    drawAt(1.25f);  // shows again when a note is held again
    EXPECT_EQ(at(kCentreX, kCentreY), kRed);
}

// Path 0 below path 1 below path 2, whatever notes are held; within the
// snare its white stroke lies over its red fill.
TEST_P(MusicVectorsTest, ShapesKeepTheirOrder) {
    start({46, 44, 40, 37, 36, 45});
    drawAt(1.5f);
    ASSERT_EQ(scene->engine.paths.size(), 3u);
    for (int key = 0; key < 3; key++)
        EXPECT_EQ(scene->engine.paths[key], scene->paths.at(key).get()) << key;
    EXPECT_EQ(at(kCentreX, kCentreY), kRed);
    EXPECT_TRUE(whiteNear(kFrameTopX, kFrameTopY));
    EXPECT_TRUE(whiteNear(kCornerX, kCornerY));
    // The snare's edge at the top midpoint of its square: stroke, not fill.
    EXPECT_TRUE(whiteNear(640.0f, 216.0f));
    EXPECT_EQ(at(640.0f, 240.0f), kRed);
}

INSTANTIATE_TEST_SUITE_P(Aspects, MusicVectorsTest, ::testing::ValuesIn(kAspects),
                         [](const auto& info) { return std::string(info.param.name); });

class MusicVectorsLifeTest : public gltest::GLTest {};

// The corner strokes' contours have two points each: their fill stays empty
// after the tessellator gives up, and is not retried (one message at most,
// however many frames show it).
TEST_F(MusicVectorsLifeTest, CornerFillStaysEmptyWithoutALogStorm) {
    scenetest::SceneWorld world({});
    world.addNoteTrack("Ruff Kit", {{44, {1.0f, -2.0f}}});
    VectorsProbe scene;
    scene.setMusic(world.music);
    scene.init();
    scene.setViewport(256, 144);
    world.setBeat(1.5f);
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 10; frame++)
        scene.draw();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(scene.paths.at(0)->fill_vertices.empty());
    EXPECT_FALSE(scene.paths.at(0)->stroke_vertices.empty());
    std::size_t messages = 0;
    for (std::size_t at = log.find("Fill tessellation failed"); at != std::string::npos;
         at = log.find("Fill tessellation failed", at + 1))
        messages++;
    EXPECT_LE(messages, 1u) << log;
}

// The scene owns its paths: deleting it releases their buffers.
TEST_F(MusicVectorsLifeTest, DeletingTheSceneFreesItsPaths) {
    scenetest::SceneWorld world({});
    world.addNoteTrack("Ruff Kit", {{36, {1.0f, -2.0f}}, {40, {1.0f, -2.0f}}, {44, {1.0f, -2.0f}}});
    auto scene = std::make_unique<VectorsProbe>();
    scene->setMusic(world.music);
    scene->init();
    scene->setViewport(256, 144);
    world.setBeat(1.5f);
    scene->draw();
    // Every path strokes, so every stroke buffer holds data now.
    std::vector<GLuint> buffers;
    for (const auto& [key, path] : scene->paths)
        buffers.push_back(path->stroke_vbo);
    for (const GLuint buffer : buffers)
        EXPECT_TRUE(glIsBuffer(buffer));
    scene.reset();
    for (const GLuint buffer : buffers)
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
}

TEST_F(MusicVectorsLifeTest, MissingNoteTrackIsFatal) {
    scenetest::SceneWorld world({});
    world.addNoteTrack("Other Kit", {{36, {1.0f, -2.0f}}});
    VectorsProbe scene;
    scene.setMusic(world.music);
    scene.init();
    try {
        scene.draw();
        ADD_FAILURE() << "no fatal error";
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Could not find track Ruff Kit\nthe note data: no note track of that name; its tracks "
                               "are \"Other Kit\"");
    }
}

}  // namespace
