// The canvas drawn in a real context: the shared 640x600 picture read back
// cell by cell against the glyph atlas, colours from the palette, row 0 at the
// top, and the letterboxed, additive present.
#include <GL/glew.h>

#include <cstdint>
#include <vector>

#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/asciiengine_glyphs.h"
#include "util/ascii/ascii_reference_draw.h"
#include "util/fbo/fbo.h"
#include "util/math/random.h"
#include "util/texture/texture.h"

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

std::ostream& operator<<(std::ostream& os, const Rgba& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}

// A plain colour target of its own, so tests need no particular window size.
class Target {
public:
    Target(int width, int height) : width(width), height(height)
    {
        glGenFramebuffers(1, &fbo);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glViewport(0, 0, width, height);
    }
    ~Target()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteRenderbuffers(1, &colour);
    }
    void clear(float r, float g, float b, float a)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glClearColor(r, g, b, a);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 0);
    }
    // Pixel (x, y) counted from the top-left corner.
    Rgba at(int x, int y)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        std::uint32_t p = gltest::read_pixel(x, height - 1 - y);
        return {int(p >> 24), int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
    }
    int width, height;
    GLuint fbo = 0, colour = 0;
};

// The shared canvas picture, top row first, 640x600 RGBA.
std::vector<std::uint8_t> read_canvas()
{
    std::vector<std::uint8_t> bottomUp(640 * 600 * 4);
    AsciiEngine::shared_framebuffer()->bind_texture(0, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < 600; ++y)
        std::copy_n(&bottomUp[(599 - y) * 640 * 4], 640 * 4, &topDown[y * 640 * 4]);
    return topDown;
}

Rgba canvas_pixel(const std::vector<std::uint8_t>& canvas, int x, int y)
{
    const std::uint8_t* p = &canvas[(y * 640 + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

Rgba palette_rgba(const AsciiEngine& e, int index)
{
    const vec4& c = e.get_palette(index);
    auto to8 = [](float v) { return int(v * 255.0f + 0.5f); };
    return {to8(c.x), to8(c.y), to8(c.z), 255};
}

// Equal within one step per channel (0.5 and 0.75 may round either way).
bool near(const Rgba& a, const Rgba& b)
{
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1 &&
           std::abs(a.a - b.a) <= 1;
}

class AsciiEngineGL : public gltest::GLTest {
protected:
    void SetUp() override
    {
        gltest::GLTest::SetUp();
        set_fatal_error_throws(true);
        glClearColor(0, 0, 0, 0);  // as the scene manager's state reset leaves it
    }
};

TEST_F(AsciiEngineGL, FreshCanvasRendersBlack)
{
    AsciiEngine e;
    e.render(false);
    const std::vector<std::uint8_t> canvas = read_canvas();
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_EQ(canvas_pixel(canvas, x, y), (Rgba{0, 0, 0, 255})) << x << "," << y;
}

TEST_F(AsciiEngineGL, FullBlockFillsItsCellInTheForegroundAndRowZeroIsAtTheTop)
{
    AsciiEngine e;
    struct Case {
        int row, col, fg, bg;
    } cases[] = {{0, 0, 12, 1}, {49, 79, 10, 0}, {0, 79, 7, 4}, {49, 0, 8, 15}, {20, 33, 14, 9}};
    for (const Case& c : cases)
        e.put(c.row, c.col, 219, static_cast<std::uint8_t>(c.fg), static_cast<std::uint8_t>(c.bg));
    // A colour index above 15 uses its low four bits: 0x1C draws as 12.
    e.put(30, 40, 219, 0x1C, 0x21);
    e.render(false);
    const std::vector<std::uint8_t> canvas = read_canvas();
    for (const Case& c : cases)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_TRUE(near(canvas_pixel(canvas, c.col * 8 + x, c.row * 12 + y), palette_rgba(e, c.fg)))
                    << "cell " << c.row << "," << c.col << " pixel " << x << "," << y << " is "
                    << canvas_pixel(canvas, c.col * 8 + x, c.row * 12 + y);
    EXPECT_EQ(canvas_pixel(canvas, 40 * 8 + 3, 30 * 12 + 5), (Rgba{255, 0, 0, 255}));
    // A blank cell next to them shows its background (0: black).
    EXPECT_EQ(canvas_pixel(canvas, 8, 0), (Rgba{0, 0, 0, 255}));
    // Space (32) is blank in the atlas: the whole cell shows the background.
    e.clear();
    e.put(10, 10, 32, 15, 13);
    e.render(false);
    const std::vector<std::uint8_t> blank = read_canvas();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(canvas_pixel(blank, 80 + x, 120 + y), (Rgba{255, 0, 255, 255}));
}

TEST_F(AsciiEngineGL, EveryGlyphMatchesTheAtlasUnmirrored)
{
    // The atlas as our decoder gives it: bottom row first.
    Texture atlas;
    ASSERT_TRUE(atlas.load_png_buffer(ascii_glyph_atlas_png, ascii_glyph_atlas_png_size, false, false, GL_NEAREST,
                                      GL_NEAREST));
    atlas.bind_and_enable();
    std::vector<std::uint8_t> atlasPixels(640 * 120 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, atlasPixels.data());
    glDisable(GL_TEXTURE_2D);
    // Pixel (x, y) of the atlas counted from its top-left corner.
    auto atlasWhite = [&](int x, int y) { return atlasPixels[((119 - y) * 640 + x) * 4] > 127; };

    AsciiEngine e;
    for (int ch = 0; ch < 256; ++ch)
        e.put(ch / 16 * 3, ch % 16 * 5, static_cast<std::uint8_t>(ch), 14, 1);
    e.render(false);
    const std::vector<std::uint8_t> canvas = read_canvas();
    const Rgba fg = palette_rgba(e, 14), bg = palette_rgba(e, 1);
    for (int ch = 0; ch < 256; ++ch) {
        const int cellX = ch % 16 * 5 * 8, cellY = ch / 16 * 3 * 12;
        const int glyphX = ch % 80 * 8, glyphY = ch / 80 * 12;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_TRUE(near(canvas_pixel(canvas, cellX + x, cellY + y), atlasWhite(glyphX + x, glyphY + y) ? fg : bg))
                    << "glyph " << ch << " pixel " << x << "," << y;
    }

    // The atlas itself is upright and unmirrored: the upper half block (223)
    // is lit in its top rows only, 'L' along its left edge and bottom.
    auto litRows = [&](int ch, int y) {
        int n = 0;
        for (int x = 0; x < 8; ++x)
            n += atlasWhite(ch % 80 * 8 + x, ch / 80 * 12 + y);
        return n;
    };
    EXPECT_EQ(litRows(223, 0), 8);
    EXPECT_EQ(litRows(223, 11), 0);
    EXPECT_EQ(litRows(220, 0), 0);
    EXPECT_EQ(litRows(220, 11), 8);
    int left = 0, right = 0;
    for (int y = 0; y < 12; ++y) {
        left += atlasWhite('L' % 80 * 8 + 1, 'L' / 80 * 12 + y);
        right += atlasWhite('L' % 80 * 8 + 6, 'L' / 80 * 12 + y);
    }
    EXPECT_GT(left, right + 3);
    for (int ch : {0, 32, 255})
        for (int y = 0; y < 12; ++y)
            EXPECT_EQ(litRows(ch, y), 0) << "glyph " << ch << " is not blank";
}

// The canvas draws its cells grouped by colour pair; this is the plain way,
// one quad per cell with two uniform updates, column by column.
TEST_F(AsciiEngineGL, GroupedDrawingEqualsOneQuadPerCell)
{
    AsciiEngine e;
    velmo_srand(4242);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            e.put(r, c, static_cast<std::uint8_t>(velmo_rand() & 255), static_cast<std::uint8_t>(velmo_rand() % 20),
                  static_cast<std::uint8_t>(velmo_rand() % 20));
    e.render(false);
    const std::vector<std::uint8_t> grouped = read_canvas();

    Target target(640, 600);
    target.clear(0, 0, 0, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, 640, 600);
    ascii_test::ReferenceCanvasDrawer().draw(e);
    glDisable(GL_BLEND);
    std::vector<std::uint8_t> reference(640 * 600 * 4);
    glReadPixels(0, 0, 640, 600, GL_RGBA, GL_UNSIGNED_BYTE, reference.data());
    int differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 640; ++x)
            differing += !(canvas_pixel(grouped, x, y) == Rgba{reference[((599 - y) * 640 + x) * 4],
                                                                reference[((599 - y) * 640 + x) * 4 + 1],
                                                                reference[((599 - y) * 640 + x) * 4 + 2],
                                                                reference[((599 - y) * 640 + x) * 4 + 3]});
    EXPECT_EQ(differing, 0);
}

TEST_F(AsciiEngineGL, PresentLetterboxesAdditivelyAndRestoresTheTarget)
{
    AsciiEngine e;
    e.fill(219, 12, 0);  // red everywhere
    e.set_viewport(1920, 1080, 4.0f / 3.0f);
    Target target(1920, 1080);
    target.clear(0.0f, 0.0f, 1.0f, 1.0f);
    e.render(true);

    // render restored the target's binding and present drew into it.
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), target.fbo);
    const Rgba blue{0, 0, 255, 255}, added{255, 0, 255, 255};
    struct Case {
        int x, y;
        Rgba expected;
    } cases[] = {
        {0, 0, blue},       {239, 540, blue},   {240, 540, added},  {960, 0, added},  {960, 1079, added},
        {1679, 540, added}, {1680, 540, blue},  {1919, 1079, blue}, {240, 0, added},  {1679, 1079, added},
    };
    for (const Case& c : cases)
        EXPECT_EQ(target.at(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(AsciiEngineGL, PresentBeforeSetViewportDrawsOnePixel)
{
    AsciiEngine e;
    e.fill(219, 15, 15);
    Target target(8, 8);
    target.clear(0, 0, 0, 1);
    e.render(true);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // The viewport (1, 1, 1, 1) is the second pixel from the bottom-left.
            const bool inside = x == 1 && y == 6;
            EXPECT_EQ(target.at(x, y), inside ? (Rgba{255, 255, 255, 255}) : (Rgba{0, 0, 0, 255})) << x << "," << y;
        }
}

TEST_F(AsciiEngineGL, TwoCanvasesShareOneFramebuffer)
{
    AsciiEngine a;
    FBO* shared = AsciiEngine::shared_framebuffer();
    ASSERT_NE(shared, nullptr);
    AsciiEngine b;
    EXPECT_EQ(AsciiEngine::shared_framebuffer(), shared);

    a.put(0, 0, 219, 10, 0);
    b.put(0, 1, 219, 9, 0);
    a.render(false);
    EXPECT_EQ(canvas_pixel(read_canvas(), 3, 3), (Rgba{0, 255, 0, 255}));
    b.render(false);  // the same picture, redrawn from b's cells
    const std::vector<std::uint8_t> canvas = read_canvas();
    EXPECT_EQ(canvas_pixel(canvas, 3, 3), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(canvas_pixel(canvas, 11, 3), (Rgba{0, 0, 255, 255}));
}

}  // namespace
