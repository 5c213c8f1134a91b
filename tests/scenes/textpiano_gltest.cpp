// TextPiano: the keyboard's lit keys for held notes (and keys without a note,
// which read as released), the piano body, the two bands' positions with
// their bob, the closing texts and the flash fills.
#include <gtest/gtest.h>

#include "scenes/textpiano.h"
#include "scenes/textscene_fixture.h"
#include "util/ascii/asciifont.h"

namespace {
using scenetest::Cell;
using scenetest::cell_at;

struct PianoProbe : TextPiano {
    using TextPiano::bottomItems;
    using TextPiano::canvas;
    using TextPiano::topItems;
};

const std::vector<std::string> kTracks = {"pianoProgress", "pianoSpeed1", "pianoSpeed2", "flash", "lastText"};

class TextPianoTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        // At beat 1: C2 (36), C#2 (37) and E2 (40) held, D2 (38) released;
        // F2 (41) has no note in the track at all.
        world->addNoteTrack("Old Vinyl Piano", {{38, {0.0f, -0.5f}},
                                                {36, {0.5f, -4.0f}},
                                                {37, {0.75f, -4.0f}},
                                                {40, {0.5f, -4.0f}}});
        scene.setMusic(world->music);
        scene.init();
        scene.setViewport(640, 480);
        world->setBeat(0.0f);
    }
    void TearDown() override { world.reset(); }

    // The canvas an AsciiFont text leaves on an empty canvas.
    static bool textMatches(const AsciiEngine& canvas, int row, int col, const std::string& text) {
        AsciiEngine plain(AsciiEngine::PlanesOnly{});
        plain.clear();
        AsciiFont font(&plain);
        font.draw_text(row, col, 56, 11, 1, text);
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 80; ++c)
                if (plain.get_char(r, c) == 56 && !(cell_at(canvas, r, c) == cell_at(plain, r, c)))
                    return false;
        return true;
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    PianoProbe scene;
};

TEST_F(TextPianoTest, DefaultsShowOnlyTheClosingTexts) {
    scene.draw();
    AsciiEngine plain(AsciiEngine::PlanesOnly{});
    plain.clear();
    AsciiFont font(&plain);
    font.draw_text(15, 5, 56, 11, 1, "Quayside");
    font.draw_text(30, 40, 56, 11, 1, "2026");
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(cell_at(scene.canvas, r, c), cell_at(plain, r, c)) << r << "," << c;

    world->set("lastText", -100.0f);
    scene.draw();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(cell_at(scene.canvas, r, c), (Cell{0, 0, 0})) << r << "," << c;
}

TEST_F(TextPianoTest, BandsAreLaidOutWithSpacing) {
    ASSERT_EQ(scene.topItems.size(), 15u);
    ASSERT_EQ(scene.bottomItems.size(), 24u);
    EXPECT_TRUE(scene.topItems[0].isPiano);
    EXPECT_EQ(scene.topItems[0].width, 61);
    EXPECT_EQ(scene.topItems[1].text, "Greetings to");
    EXPECT_EQ(scene.topItems[1].start, 61);
    // "Greetings to": 11 letters of 8 columns, 'i' and 't' of 7 (three of
    // them), one blank of 3, plus the spacing.
    EXPECT_EQ(scene.topItems[1].width, 8 * 8 + 3 * 7 + 3 + 4);
    for (const auto* band : {&scene.topItems, &scene.bottomItems})
        for (std::size_t i = 1; i < band->size(); ++i)
            EXPECT_EQ((*band)[i].start, (*band)[i - 1].start + (*band)[i - 1].width);
}

TEST_F(TextPianoTest, HeldNotesLightTheirKeysOnEveryPiano) {
    world->set("lastText", -100.0f);
    world->set("pianoProgress", 8.0f);  // upper band at x0 = 0, lower band at x0 = -48
    world->setBeat(1.0f);               // bob: 5 sin(0.75 pi) = 3.5 -> 3; 5 cos(0.5 pi) -> 0
    scene.draw();
    const auto& cv = scene.canvas;
    const int top = 4 + 3;
    const int keys = top + 6;
    const struct { int r, c; Cell cell; const char* what; } cells[] = {
        // Lid, grille and knobs.
        {top, 0, {0, 12, 12}, "lid"},
        {top + 1, 3, {32, 0, 8}, "grille, odd offset"},
        {top + 1, 4, {42, 0, 8}, "grille, even offset"},
        {top + 2, 16, {179, 0, 8}, "divider"},
        {top + 2, 18, {203, 0, 8}, "knob top"},
        {top + 3, 18, {186, 0, 8}, "knob stem"},
        {top + 1, 18, {32, 0, 8}, "knob panel"},
        {keys, 0, {0, 12, 12}, "left wall"},
        {keys + 11, 56, {0, 12, 12}, "right wall"},
        // C2 held: columns 1 and 2 full, 3 lower.
        {keys, 1, {0, 15, 15}, "C held"},
        {keys + 11, 3, {0, 15, 15}, "C lower column"},
        // C#2 held: black key at columns 3 to 5, rows 0 to 6, reversed colours.
        {keys, 4, {0, 15, 15}, "C# held"},
        {keys + 7, 4, {179, 0, 7}, "line below C#"},
        // D2 released (its note ended at beat 0.5).
        {keys, 6, {0, 0, 7}, "D released"},
        {keys + 8, 5, {0, 0, 7}, "D lower column"},
        // D#2 has no note: released black key.
        {keys, 8, {0, 7, 0}, "D# without a note"},
        // E2 held, then the separator in E's colours.
        {keys, 10, {0, 15, 15}, "E held"},
        {keys + 3, 12, {179, 15, 15}, "E|F separator"},
        // F2 has no note in the track: released, not read past the states.
        {keys, 13, {0, 0, 7}, "F without a note"},
        {keys, 55, {0, 0, 7}, "last white key"},
    };
    for (const auto& e : cells)
        EXPECT_EQ(cell_at(cv, e.r, e.c), e.cell) << e.what;
    // The second piano of the upper band (after the heading) is lit the same.
    const int second = scene.topItems[2].start;
    if (second + 1 < 80) {
        EXPECT_EQ(cell_at(cv, keys, second + 1), (Cell{0, 15, 15}));
    }
    // The heading sits 6 rows below the band's top, at its start column.
    EXPECT_TRUE(textMatches(cv, top + 6, scene.topItems[1].start, "Greetings to"));
}

TEST_F(TextPianoTest, BandsScrollAndBobWithTheirOwnSpeed) {
    world->set("lastText", -100.0f);
    world->set("pianoSpeed1", 0.0f);  // upper band parked right of the canvas
    world->set("pianoProgress", 5.0f);
    world->setBeat(0.0f);  // upper bob 0, lower bob 5 cos(0) = 5
    scene.draw();
    // Lower band at x0 = -80 + 80 = 0, rows 28 + 5 on.
    EXPECT_EQ(cell_at(scene.canvas, 33, 0), (Cell{0, 12, 12}));
    EXPECT_EQ(cell_at(scene.canvas, 32, 0), (Cell{0, 0, 0}));
    EXPECT_EQ(cell_at(scene.canvas, 33 + 6, 1), (Cell{0, 0, 7}));  // nothing held at beat 0
    for (int r = 0; r < 28; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(cell_at(scene.canvas, r, c), (Cell{0, 0, 0})) << r << "," << c;

    // Scrolled on by 61 columns: the name after the first piano starts at column 0.
    world->set("pianoProgress", 5.0f + 61.0f / 16.0f);
    scene.draw();
    EXPECT_TRUE(textMatches(scene.canvas, 33 + 6, 0, scene.bottomItems[1].text));
}

TEST_F(TextPianoTest, FlashFillsTheBackground) {
    world->set("lastText", -100.0f);
    const struct { float flash; Cell cell; } cases[] = {
        {0.0f, {0, 0, 0}}, {1.5f, {32, 8, 8}}, {2.2f, {32, 7, 7}}, {3.0f, {32, 15, 15}}, {-4.0f, {0, 0, 0}}};
    for (const auto& k : cases) {
        world->set("flash", k.flash);
        scene.draw();
        EXPECT_EQ(cell_at(scene.canvas, 25, 40), k.cell) << k.flash;
    }
}

TEST_F(TextPianoTest, PresentsLitKeysWhite) {
    world->set("lastText", -100.0f);
    world->set("pianoProgress", 8.0f);
    world->setBeat(1.0f);
    gltest::reset_state();
    scene.setViewport(640, 480);
    scene.draw();
    const int keys = 4 + 3 + 6;
    EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(keys + 2, 1), 0xFFFFFF));   // C held
    EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(keys + 9, 14), 0xBFBFBF));  // F released
    EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(4 + 3 + 1, 40), 0xFF0000)); // red lid
}

}  // namespace
