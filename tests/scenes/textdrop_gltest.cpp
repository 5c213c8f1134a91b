// TextDrop: the title picture's window with its transparent colour 13 over
// the rotozoomer, the flash that covers the rotozoomer, and the presented
// picture.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "scenes/textdrop.h"
#include "scenes/textscene_fixture.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/rotozoom.h"

namespace {
using scenetest::Cell;
using scenetest::cell_at;

struct DropProbe : TextDrop {
    using TextDrop::canvas;
};

const std::vector<std::string> kTracks = {"bigX", "bigY", "flash"};

std::vector<int> raw_picture(const char* name, int count) {
    static const int remap[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
    std::ifstream in(std::string(VELMO_SOURCE_DIR) + "/data/common/raw_ascii/" + name, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> pixels;
    for (int i = 0; i < count; ++i)
        pixels.push_back(remap[bytes.at(i) & 15]);
    return pixels;
}

class TextDropTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        // The tick count stands still, so the rotozoomer stays on its first
        // frame: zoom index 0, drawn at index 1's zoom (a zoom of zero would
        // show one pixel everywhere); drawn once more here for reference.
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        world->music->addSyncValue("flash", 0.0f, true);
        scene.setMusic(world->music);
        scene.init();
        scene.setViewport(640, 480);
        title = raw_picture("glass_harbour_signal_4_300x120.raw", 300 * 120);
        AsciiEngine reference{AsciiEngine::PlanesOnly{}};
        Rotozoom roto(&reference, "data/common/raw_ascii/velmos.raw");
        roto.draw_frame(roto.get_table_a(0), roto.get_table_a(128), roto.get_table_b(1));
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 80; ++c)
                rotoFg.push_back(reference.get_fg(r, c));
    }
    void TearDown() override { world.reset(); }

    // Every cell: the title pixel at (y + r, x + c) unless it is off the
    // picture or colour 13, else the background (the rotozoomer's cell for a
    // background colour of -1).
    void expectTitle(int x, int y, Cell background) {
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 80; ++c) {
                const int pr = y + r, pc = x + c;
                Cell want = background;
                if (want.fg < 0)
                    want.fg = rotoFg[r * 80 + c];
                if (pr >= 0 && pr < 120 && pc >= 0 && pc < 300 && title[pr * 300 + pc] != 13)
                    want = Cell{219, title[pr * 300 + pc], 0};
                ASSERT_EQ(cell_at(scene.canvas, r, c), want) << r << "," << c << " at " << x << "," << y;
            }
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    DropProbe scene;
    std::vector<int> title;
    std::vector<int> rotoFg;
};

TEST_F(TextDropTest, TitleWindowOverTheRotozoomer) {
    const Cell roto{219, -1, 0};
    const struct { int x, y; } cases[] = {{0, 0}, {-40, 0}, {260, 0}, {0, 100}, {110, 35}, {300, 0}, {-80, 0}, {0, 120}};
    for (const auto& k : cases) {
        world->set("bigX", float(k.x));
        world->set("bigY", float(k.y));
        scene.draw();
        expectTitle(k.x, k.y, roto);
    }
}

TEST_F(TextDropTest, TitleHasTransparentAndOpaqueCells) {
    // The lettering must leave the rotozoomer visible around the words and
    // cover it with the letters: in the screenful that shows the whole title
    // (the top-left 80 x 50), and over the picture.
    int transparent = 0, opaque = 0, screenTransparent = 0, screenOpaque = 0;
    for (int i = 0; i < 300 * 120; ++i) {
        const bool clear = title[i] == 13;
        (clear ? transparent : opaque) += 1;
        if (i % 300 < 80 && i / 300 < 50)
            (clear ? screenTransparent : screenOpaque) += 1;
    }
    EXPECT_GT(screenTransparent, 80 * 50 / 4);
    EXPECT_GT(screenOpaque, 80 * 50 / 4);
    EXPECT_GT(transparent, 300 * 120 / 2);
    EXPECT_GT(opaque, 300 * 120 / 10);
}

TEST_F(TextDropTest, FlashCoversTheRotozoomerOnly) {
    const struct { float flash; Cell background; } cases[] = {
        {0.0f, {219, -1, 0}}, {-2.0f, {219, -1, 0}}, {1.0f, {32, 8, 8}}, {2.9f, {32, 7, 7}}, {3.0f, {32, 15, 15}}, {5.0f, {32, 15, 15}}};
    world->set("bigX", 110.0f);
    world->set("bigY", 35.0f);
    for (const auto& k : cases) {
        world->set("flash", k.flash);
        scene.draw();
        expectTitle(110, 35, k.background);
    }
}

TEST_F(TextDropTest, PresentsLettersOverTheFlash) {
    world->set("flash", 3.0f);
    world->set("bigX", 110.0f);
    world->set("bigY", 35.0f);
    gltest::reset_state();
    scene.setViewport(640, 480);
    scene.draw();
    int checked = 0;
    for (int r = 2; r < 48; r += 3)
        for (int c = 2; c < 78; c += 3) {
            bool uniform = true;
            const int p = title[(35 + r) * 300 + 110 + c];
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    uniform = uniform && title[(35 + r + dr) * 300 + 110 + c + dc] == p;
            if (!uniform)
                continue;
            const unsigned want = scenetest::palette_rgb(p == 13 ? 15 : p);
            EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(r, c), want))
                << r << "," << c << std::hex << " got " << scenetest::presented_colour(r, c) << " want " << want;
            ++checked;
        }
    EXPECT_GT(checked, 50);
}

}  // namespace
