// TextIntro: each section's cells from fixed track values, the seeded random
// cells, and the fire section burning whatever its decay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenes/textintro.h"
#include "scenes/textscene_fixture.h"
#include "util/math/random.h"

namespace {
using scenetest::Cell;
using scenetest::cell_at;

struct IntroProbe : TextIntro {
    using TextIntro::canvas;
};

const std::vector<std::string> kTracks = {"introProgress", "introSection", "introProg2",
                                          "introProg3",    "introRndThings", "introRndSeed",
                                          "fireDecay",     "fireDecayTarget", "fireDecaySpeed"};

class TextIntroTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        scene.setMusic(world->music);
        scene.init();
        scene.setViewport(640, 480);
    }
    void TearDown() override { world.reset(); }

    // The built-in picture 0 as drawn on an empty canvas.
    static Cell picture(bool flip, int row, int col) {
        static AsciiEngine plain(AsciiEngine::PlanesOnly{});
        plain.clear();
        plain.draw_builtin_image(0, 15, 0, '.', flip, 0, 0);
        return cell_at(plain, row, col);
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    IntroProbe scene;
};

TEST_F(TextIntroTest, DefaultsBlankEverything) {
    scene.draw();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(cell_at(scene.canvas, r, c), (Cell{0, 0, 0})) << r << "," << c;
}

TEST_F(TextIntroTest, WipeShowsFlippedPictureLeftOfProgressWithBarAndRiser) {
    world->set("introSection", 1.0f);
    world->set("introProgress", 30.0f);
    world->set("introProg2", 3.0f);
    scene.draw();
    const auto& cv = scene.canvas;
    // Picture (flipped) left of column 29, rows above the bar.
    for (int r = 0; r < 42; ++r)
        for (int c = 0; c < 29; ++c)
            ASSERT_EQ(cell_at(cv, r, c), picture(true, r, c)) << r << "," << c;
    // The bar: dark, medium, light shade from row 46 up, white on black.
    for (int c = 0; c < 29; ++c) {
        EXPECT_EQ(cell_at(cv, 46, c), (Cell{178, 15, 0}));
        EXPECT_EQ(cell_at(cv, 45, c), (Cell{177, 15, 0}));
        EXPECT_EQ(cell_at(cv, 44, c), (Cell{176, 15, 0}));
    }
    // The riser at columns 29 to 31: its foot in rows 45 and 46, then two rows.
    const struct { int r, c; Cell cell; } riser[] = {
        {45, 30, {177, 15, 0}}, {45, 31, {178, 15, 0}}, {46, 31, {178, 15, 0}}, {46, 30, {178, 15, 0}},
        {44, 29, {176, 15, 0}}, {44, 30, {177, 15, 0}}, {44, 31, {178, 15, 0}},
        {43, 29, {176, 15, 0}}, {43, 30, {177, 15, 0}}, {43, 31, {178, 15, 0}},
        {42, 30, {0, 0, 0}},    {45, 32, {0, 0, 0}},
    };
    for (const auto& e : riser)
        EXPECT_EQ(cell_at(cv, e.r, e.c), e.cell) << e.r << "," << e.c;
    // Blank right of the riser.
    for (int r = 0; r < 50; ++r)
        for (int c = 32; c < 80; ++c)
            ASSERT_EQ(cell_at(cv, r, c), (Cell{0, 0, 0})) << r << "," << c;
}

TEST_F(TextIntroTest, SectionIsTrackPlusHalfTruncated) {
    const struct { float track; bool flipped; } cases[] = {{0.5f, true}, {1.49f, true}, {-0.7f, false}, {0.49f, false}};
    world->set("introProgress", 80.0f);
    for (const auto& k : cases) {
        world->set("introSection", k.track);
        scene.draw();
        bool matches = true;
        for (int r = 0; r < 40 && matches; ++r)
            for (int c = 0; c < 80 && matches; ++c)
                matches = cell_at(scene.canvas, r, c) == picture(k.flipped, r, c);
        EXPECT_TRUE(matches) << "introSection " << k.track;
    }
}

TEST_F(TextIntroTest, DefaultSectionDrawsTopBarFromTheRightEdge) {
    world->set("introProgress", 80.0f);
    world->set("introProg3", 10.0f);
    scene.draw();
    for (int c = 70; c < 80; ++c) {
        EXPECT_EQ(cell_at(scene.canvas, 4, c), (Cell{178, 15, 0}));
        EXPECT_EQ(cell_at(scene.canvas, 5, c), (Cell{177, 15, 0}));
        EXPECT_EQ(cell_at(scene.canvas, 6, c), (Cell{176, 15, 0}));
    }
    EXPECT_EQ(cell_at(scene.canvas, 5, 69), picture(false, 5, 69));
}

TEST_F(TextIntroTest, HighlightSectionColoursThreeColumnsOfTheBar) {
    world->set("introSection", 4.0f);
    world->set("introProgress", 80.0f);
    world->set("introProg2", 40.0f);
    scene.draw();
    const struct { int c, fg, bg; } columns[] = {{40, 15, 7}, {38, 11, 7}, {39, 9, 7}, {41, 15, 0}, {37, 15, 0}, {0, 15, 0}};
    for (const auto& k : columns) {
        EXPECT_EQ(cell_at(scene.canvas, 46, k.c), (Cell{178, k.fg, k.bg})) << k.c;
        EXPECT_EQ(cell_at(scene.canvas, 44, k.c), (Cell{176, k.fg, k.bg})) << k.c;
    }
    EXPECT_EQ(cell_at(scene.canvas, 20, 40), (Cell{0, 0, 0}));  // nothing but the bar
}

// The scroll section's canvas against the expected one, stars aside (none
// move at step 0, but allow them).
void expect_scroll_canvas(const AsciiEngine& got, const AsciiEngine& want, const std::string& what) {
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            const Cell cell = cell_at(got, r, c);
            if (cell.ch == '.' && cell.fg != 11)
                continue;
            ASSERT_EQ(cell, cell_at(want, r, c)) << what << " at " << r << "," << c;
        }
}

TEST_F(TextIntroTest, ScrollRevealsPictureLineByLine) {
    world->set("introSection", 2.0f);
    world->set("introProg3", 4.5f);  // layout 4, t = 0.5: rows 10 to 33
    world->set("fireDecay", -1.0f);  // no fire
    scene.draw();
    AsciiEngine plain(AsciiEngine::PlanesOnly{});
    plain.clear();
    for (int r = 10; r < 34; ++r)
        plain.draw_builtin_image_row(r, 0, 0, r, 11, 1, '.');
    expect_scroll_canvas(scene.canvas, plain, "layout 4");
}

// The other layouts of the scroll section: which pictures, at which rows
// (t = the fraction of "introProg3", v = 160 t - 80).
TEST_F(TextIntroTest, ScrollLayoutsPlaceTheirPictures) {
    struct Placed {
        int image, row;
    };
    const struct {
        float prog3;
        std::vector<Placed> pictures;
    } cases[] = {
        {1.625f, {{3, 20}}},            // v = 20
        {2.75f, {{3, 15}, {2, 30}}},    // 20 t = 15, v - 10 = 30
        {3.625f, {{3, 30}, {2, 10}}},   // v + 10, v - 10
        {0.5f, {{0, 0}}},               // the default: picture 0 at v
        {7.75f, {{0, 40}}},
    };
    world->set("introSection", 2.0f);
    world->set("fireDecay", -1.0f);  // no fire
    for (const auto& k : cases) {
        world->set("introProg3", k.prog3);
        scene.draw();
        AsciiEngine plain(AsciiEngine::PlanesOnly{});
        plain.clear();
        for (const Placed& p : k.pictures)
            plain.draw_builtin_image(p.image, 11, 1, '.', false, p.row, 0);
        expect_scroll_canvas(scene.canvas, plain, "introProg3 " + std::to_string(k.prog3));
    }
}

TEST_F(TextIntroTest, RandomCellsFollowTheSeed) {
    world->set("introRndThings", 3.0f);
    world->set("introRndSeed", 41.6f);  // seed 42
    scene.draw();
    velmo_srand(42);
    for (int i = 0; i < 3; ++i) {
        const int col = velmo_rand() % 80, row = velmo_rand() % 50;
        const int ch = velmo_rand() % 256, fg = velmo_rand() % 16, bg = velmo_rand() % 16;
        EXPECT_EQ(cell_at(scene.canvas, row, col), (Cell{ch, fg, bg})) << "cell " << i;
    }
    // Equal seeds give equal sprinkles in the next frame.
    std::vector<Cell> first;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            first.push_back(cell_at(scene.canvas, r, c));
    scene.draw();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(cell_at(scene.canvas, r, c), first[r * 80 + c]);
}

// The fire section draws the fire whatever the decay. Its cooling divides
// by the neighbour count plus the decay, so -3 would make the corner cells
// divide by zero: the fire keeps those at 0 itself and still burns.
TEST_F(TextIntroTest, FireSectionBurnsWhateverTheDecay) {
    world->set("introSection", 3.0f);
    auto litCells = [&] {
        int lit = 0;
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 80; ++c)
                lit += scene.canvas.get_char(r, c) != 0;
        return lit;
    };
    for (const float decay : {-3.0f, 0.5f}) {
        world->set("fireDecay", decay);
        scene.draw();
        world->setTicks(100000 + (decay < 0 ? 200 : 400));
        scene.draw();
        EXPECT_GT(litCells(), 0) << "decay " << decay;
    }
}

TEST_F(TextIntroTest, PresentsTheCanvasThroughTheRenderPath) {
    world->set("introSection", 4.0f);
    world->set("introProgress", 80.0f);
    world->set("introProg2", 40.0f);
    world->set("introRndThings", 0.0f);
    gltest::reset_state();
    scene.setViewport(640, 480);
    scene.draw();
    // Shade characters mix both colours; a cell left blank shows black, and
    // the highlighted column is lighter than its plain neighbours.
    EXPECT_EQ(scenetest::presented_colour(20, 40), 0x000000u);
    auto brightness = [](unsigned rgb) { return ((rgb >> 16) & 255) + ((rgb >> 8) & 255) + (rgb & 255); };
    EXPECT_GT(brightness(scenetest::presented_colour(44, 40)), brightness(scenetest::presented_colour(44, 20)));
    EXPECT_GT(brightness(scenetest::presented_colour(46, 20)), 0u);
}

}  // namespace
