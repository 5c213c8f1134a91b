// TextRibbons: a ribbon's head, its wave, its colour gradient and thickness,
// the cyan centre line while its note of "RaveBleep" is held, notes the track
// lacks (not held), the seeded characters and the flash.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/timing.h"
#include "scenes/textribbons.h"
#include "scenes/textscene_fixture.h"
#include "util/math/random.h"

namespace {
using scenetest::Cell;
using scenetest::cell_at;

struct RibbonsProbe : TextRibbons {
    using TextRibbons::canvas;
    using TextRibbons::ribbonColours;
};

std::vector<std::string> tracks() {
    std::vector<std::string> names = {"flash"};
    for (int n = 1; n <= 4; ++n)
        for (const char* what : {"X", "Y", "Seed"})
            names.push_back("ribbon" + std::to_string(n) + what);
    return names;
}

// Colours of a ribbon cell from its head (0) to its tail (31).
const Cell kGradient[32] = {
    {0, 15, 15}, {0, 15, 15}, {0, 15, 14}, {0, 15, 14}, {0, 14, 12}, {0, 14, 4},
    {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12}, {0, 12, 12},
    {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},  {0, 12, 4},
    {0, 12, 0},  {0, 12, 0},  {0, 12, 0},  {0, 12, 0},  {0, 8, 0},   {0, 8, 0}};

class TextRibbonsTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(tracks(), kTicks);
        world->music->addSyncValue("flash", 0.0f, true);
        scene.setMusic(world->music);
        scene.init();
        scene.setViewport(640, 480);
    }
    void TearDown() override { world.reset(); }

    void useBleeps(std::vector<scenetest::TestNote> notes) { world->addNoteTrack("RaveBleep", notes); }

    // Ribbon 1 drawn alone at (25, 40) with phase 0: the others stay at their
    // default head (0, 0), far from it.
    void drawRibbonOne() {
        world->set("ribbon1X", 40.0f);
        world->set("ribbon1Y", 25.0f);
        world->set("ribbon1Seed", 0.0f);
        scene.draw();
    }

    static int rowOf(int i) { return 25 + int(3.0f * std::sin(0.0f - 0.15f * float(i))); }

    static constexpr unsigned long long kTicks = 123456;
    std::unique_ptr<scenetest::SceneWorld> world;
    RibbonsProbe scene;
};

TEST_F(TextRibbonsTest, ColourTableRunsFromWhiteHeadToDarkTail) {
    ASSERT_EQ(scene.ribbonColours.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(scene.ribbonColours[i].first, kGradient[i].fg) << i;
        EXPECT_EQ(scene.ribbonColours[i].second, kGradient[i].bg) << i;
    }
}

TEST_F(TextRibbonsTest, RibbonFollowsItsWaveWithGradientAndThickHead) {
    useBleeps({{60, {}}, {62, {}}, {64, {}}, {65, {}}});
    drawRibbonOne();
    const auto& cv = scene.canvas;
    for (int i = 0; i < 32; ++i) {
        const int r = rowOf(i), c = 40 - i;
        Cell got = cell_at(cv, r, c);
        EXPECT_EQ(got.fg, kGradient[i].fg) << "cell " << i;
        EXPECT_EQ(got.bg, kGradient[i].bg) << "cell " << i;
        if (i >= 1 && i <= 15) {
            for (int dr : {-1, 1}) {
                Cell side = cell_at(cv, r + dr, c);
                EXPECT_EQ(side.fg, kGradient[2 * i].fg) << "cell " << i << " side " << dr;
                EXPECT_EQ(side.bg, kGradient[2 * i].bg) << "cell " << i << " side " << dr;
            }
        } else {
            for (int dr : {-1, 1})
                EXPECT_EQ(cell_at(cv, r + dr, c), (Cell{0, 0, 0})) << "cell " << i << " is one row high";
        }
    }
    // Nothing right of the head.
    for (int r = 0; r < 50; ++r)
        EXPECT_EQ(cell_at(cv, r, 41), (Cell{0, 0, 0}));
}

TEST_F(TextRibbonsTest, CharactersComeFromTheTickSeed) {
    useBleeps({{60, {}}, {62, {}}, {64, {}}, {65, {}}});
    drawRibbonOne();
    velmo_srand(unsigned(kTicks) * 39825u);
    for (int i = 0; i < 32; ++i) {
        const int r = rowOf(i), c = 40 - i;
        EXPECT_EQ(scene.canvas.get_char(r, c), velmo_rand() % 256) << "centre " << i;
        if (i >= 1 && i <= 15) {
            EXPECT_EQ(scene.canvas.get_char(r - 1, c), velmo_rand() % 256) << "above " << i;
            EXPECT_EQ(scene.canvas.get_char(r + 1, c), velmo_rand() % 256) << "below " << i;
        }
    }
}

TEST_F(TextRibbonsTest, HeldNoteTurnsOnlyTheCentreLineCyan) {
    // Ribbon 1 follows note 2 of the track.
    useBleeps({{60, {}}, {62, {}}, {64, {0.5f, -100.0f}}, {65, {}}});
    world->setBeat(1.0f);
    drawRibbonOne();
    for (int i = 0; i < 32; ++i) {
        const int r = rowOf(i), c = 40 - i;
        EXPECT_EQ(scene.canvas.get_fg(r, c), 11) << i;
        EXPECT_EQ(scene.canvas.get_bg(r, c), 11) << i;
        if (i >= 1 && i <= 15) {
            EXPECT_EQ(scene.canvas.get_bg(r - 1, c), kGradient[2 * i].bg) << i;
        }
    }
}

TEST_F(TextRibbonsTest, MissingNoteStatesReadAsNotHeld) {
    // Two notes only, both held: ribbons 1 and 2 (notes 2 and 3) have no
    // state and keep their colours; ribbon 3 (note 0) turns cyan.
    useBleeps({{60, {0.5f, -100.0f}}, {62, {0.5f, -100.0f}}});
    world->setBeat(1.0f);
    world->set("ribbon2X", 40.0f);
    world->set("ribbon2Y", 10.0f);
    world->set("ribbon3X", 40.0f);
    world->set("ribbon3Y", 40.0f);
    drawRibbonOne();
    EXPECT_EQ(cell_at(scene.canvas, 25, 40).bg, 15);  // ribbon 1 head
    EXPECT_EQ(cell_at(scene.canvas, 10, 40).bg, 15);  // ribbon 2 head
    EXPECT_EQ(cell_at(scene.canvas, 40, 40).bg, 11);  // ribbon 3 head, held
}

TEST_F(TextRibbonsTest, DefaultsStackAllRibbonsOnTheCorner) {
    useBleeps({{60, {}}, {62, {}}, {64, {}}, {65, {}}});
    scene.draw();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            if (r == 0 && c == 0) {
                EXPECT_EQ(scene.canvas.get_fg(0, 0), 15);
                EXPECT_EQ(scene.canvas.get_bg(0, 0), 15);
            } else {
                ASSERT_EQ(cell_at(scene.canvas, r, c), (Cell{0, 0, 0})) << r << "," << c;
            }
        }
}

TEST_F(TextRibbonsTest, FlashAndPresentedPicture) {
    useBleeps({{60, {}}, {62, {}}, {64, {}}, {65, {}}});
    world->set("flash", 2.0f);
    gltest::reset_state();
    scene.setViewport(640, 480);
    drawRibbonOne();
    EXPECT_EQ(cell_at(scene.canvas, 5, 70), (Cell{32, 7, 7}));
    EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(5, 70), 0xBFBFBF));
    // Cells 16 to 25 of the ribbon: red glyphs on dark red, never grey.
    const unsigned got = scenetest::presented_colour(rowOf(20), 20);
    EXPECT_GE(int((got >> 16) & 255) - int(got & 255), 60) << std::hex << got;
}

}  // namespace
