// TextRoto: the quarter-turned harbour picture sampled in double precision,
// its clipping window, the flash background and the presented picture.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "scenes/textroto.h"
#include "scenes/textscene_fixture.h"

namespace {
using scenetest::Cell;
using scenetest::cell_at;

struct RotoProbe : TextRoto {
    using TextRoto::canvas;
};

const std::vector<std::string> kTracks = {"rotoX1", "rotoY1", "rotoSqX1", "rotoSqY1", "rotoRot1", "flash"};

// The picture file, remapped to canvas colours, read independently of the loader.
std::vector<int> harbour_picture() {
    static const int remap[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
    std::ifstream in(std::string(VELMO_SOURCE_DIR) + "/data/common/raw_ascii/kolonv.raw", std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int> pixels;
    for (int i = 0; i < 80 * 50; ++i)
        pixels.push_back(remap[bytes.at(i) & 15]);
    return pixels;
}

// The cell the scene should show at (r, c) when drawn (colour 0 left out):
// picture column 40 + trunc(((c - 40) cos a + (r - 25) sin a) zoom), row
// 25 + trunc((r - 25) cos a - (c - 40) sin a), in double precision.
int sampled(const std::vector<int>& picture, int r, int c, double zoom) {
    const double a = 1.5707963267948966;
    const int u = c - 40, v = r - 25;
    const int sx = 40 + int((u * std::cos(a) + v * std::sin(a)) * zoom);
    const int sy = 25 + int((v * std::cos(a) - u * std::sin(a)) * 1.0);
    if (sx < 0 || sx >= 80 || sy < 0 || sy >= 50)
        return -1;
    return picture[sy * 80 + sx];
}

class TextRotoTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        scene.setMusic(world->music);
        // "flash" belongs to TextPiano; here it is registered by hand.
        world->music->addSyncValue("flash", 0.0f, true);
        scene.init();
        scene.setViewport(640, 480);
    }
    void TearDown() override { world.reset(); }

    // Every cell against the sampling rule, with `background` where nothing is drawn.
    void expectPicture(double zoom, int x, int y, Cell background) {
        const std::vector<int> picture = harbour_picture();
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 80; ++c) {
                const bool inside = c >= std::max(0, -x) && c < std::min(80, 80 - x) &&
                                    r >= std::max(0, -y) && r < std::min(50, 50 - y);
                const int p = inside ? sampled(picture, r, c, zoom) : -1;
                const Cell want = p > 0 ? Cell{219, p, 0} : background;
                ASSERT_EQ(cell_at(scene.canvas, r, c), want) << r << "," << c << " zoom " << zoom;
            }
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    RotoProbe scene;
};

TEST_F(TextRotoTest, DefaultsDrawTheWholeTurnedPicture) {
    scene.draw();
    expectPicture(1.0, 0, 0, Cell{0, 0, 0});
    // The quarter turn: canvas row 0 holds picture column 15 and canvas
    // column 65 picture row 0, so the middle canvas column shows picture row 25.
    EXPECT_EQ(cell_at(scene.canvas, 30, 0), (Cell{0, 0, 0}));
}

TEST_F(TextRotoTest, ZoomTrackScalesThePictureAxis) {
    // Zoom 0 samples picture column 40 in every cell; cos a is not exactly
    // zero, so rows above and below the centre may round to neighbouring
    // picture rows.
    for (float zoom : {1.6f, 0.5f, 0.0f}) {
        world->set("rotoSqY1", zoom);
        scene.draw();
        expectPicture(double(zoom), 0, 0, Cell{0, 0, 0});
    }
}

TEST_F(TextRotoTest, ClippingTracksCutTheWindowNotThePicture) {
    const struct { int x, y; } cases[] = {{20, 0}, {-20, 0}, {0, 12}, {0, -12}, {30, -7}};
    for (const auto& k : cases) {
        const float x = float(k.x) + 0.7f;  // truncated toward zero
        world->set("rotoX1", x);
        world->set("rotoY1", float(k.y));
        scene.draw();
        expectPicture(1.0, int(x), k.y, Cell{0, 0, 0});
    }
    for (float x : {80.0f, -80.0f, 200.0f}) {
        world->set("rotoX1", x);
        world->set("rotoY1", 0.0f);
        world->set("flash", 2.0f);
        scene.draw();
        expectPicture(1.0, int(x), 0, Cell{32, 7, 7});
    }
}

TEST_F(TextRotoTest, FlashFillsBehindThePicture) {
    const struct { float flash; Cell background; } cases[] = {
        {-0.5f, {0, 0, 0}}, {0.9f, {0, 0, 0}}, {1.9f, {32, 8, 8}}, {2.0f, {32, 7, 7}}, {3.0f, {32, 15, 15}}, {7.0f, {32, 15, 15}}};
    for (const auto& k : cases) {
        world->set("flash", k.flash);
        scene.draw();
        expectPicture(1.0, 0, 0, k.background);
    }
}

TEST_F(TextRotoTest, PresentsFullBlocksInThePictureColours) {
    world->set("flash", 3.0f);
    gltest::reset_state();
    scene.setViewport(640, 480);
    scene.draw();
    const std::vector<int> picture = harbour_picture();
    int checked = 0;
    for (int r = 5; r < 45; r += 7)
        for (int c = 20; c < 62; c += 5) {
            const int p = sampled(picture, r, c, 1.0);
            // Only cells whose neighbours share the colour, so that scaling
            // the canvas picture cannot blend in another one.
            bool uniform = p >= 0;
            for (int dr = -1; dr <= 1 && uniform; ++dr)
                for (int dc = -1; dc <= 1 && uniform; ++dc)
                    uniform = sampled(picture, r + dr, c + dc, 1.0) == p;
            if (!uniform)
                continue;
            const unsigned want = scenetest::palette_rgb(p == 0 ? 15 : p);
            EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(r, c), want))
                << r << "," << c << std::hex << " got " << scenetest::presented_colour(r, c) << " want " << want;
            ++checked;
        }
    EXPECT_GT(checked, 10);
    EXPECT_TRUE(scenetest::close_colour(scenetest::presented_colour(25, 5), 0xFFFFFF));  // flash left of the picture
}

}  // namespace
