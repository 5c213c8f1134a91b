// Raw colour-index pictures: the colour remap, drawing offsets, the
// transparent colour, rotated drawing and every way a file can be refused.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "util/ascii/ascii_fixtures.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/rawloader.h"

namespace {

using RawLoaderTest = ascii_test::FixtureTest;

// A picture whose file byte at (row, col) is f(row, col).
template <class F>
std::string picture(int width, int height, F f)
{
    std::string bytes;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            bytes.push_back(static_cast<char>(f(r, c)));
    return bytes;
}

std::vector<int> canvas_cells(const AsciiEngine& e)
{
    std::vector<int> out;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            out.push_back(e.get_char(r, c) << 16 | e.get_fg(r, c) << 8 | e.get_bg(r, c));
    return out;
}

TEST_F(RawLoaderTest, FileColoursAreRemappedToThePalette)
{
    const std::string path = write_file("ramp.raw", picture(16, 1, [](int, int c) { return c; }));
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    RawLoader raw(&e, path.c_str(), 16, 1);
    const int expected[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(raw.get_pixel(0, i), expected[i]) << "file byte " << i;
}

TEST_F(RawLoaderTest, DrawPlacesPixelsByOffset)
{
    // File byte (r + c) % 16 so every position is told apart by its colour.
    auto fileByte = [](int r, int c) { return (r * 3 + c) % 16; };
    const std::string path = write_file("pic.raw", picture(80, 50, fileByte));
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    RawLoader raw(&e, path.c_str(), 80, 50);

    struct Case {
        int x, y;
    } cases[] = {{0, 0}, {-10, 0}, {10, 0}, {0, -7}, {3, 45}, {-79, -49}, {80, 0}, {0, 50}, {-2000000000, 5}};
    for (const Case& c : cases) {
        e.fill(9, 9, 9);
        raw.draw(219, -1, c.x, c.y);
        for (int r = 0; r < 50; ++r) {
            for (int col = 0; col < 80; ++col) {
                const long long py = static_cast<long long>(c.y) + r, px = static_cast<long long>(c.x) + col;
                const bool inside = py >= 0 && py < 50 && px >= 0 && px < 80;
                const int expected = inside ? (219 << 16 | RawLoader::colourRemap[fileByte(py, px)] << 8 | 0)
                                            : (9 << 16 | 9 << 8 | 9);
                ASSERT_EQ(e.get_char(r, col) << 16 | e.get_fg(r, col) << 8 | e.get_bg(r, col), expected)
                    << "x " << c.x << " y " << c.y << " cell " << r << "," << col;
            }
        }
    }
}

TEST_F(RawLoaderTest, TransparentColourKeepsTheCanvas)
{
    // Canvas colour 13 is file byte 13 (it maps to itself); file byte 1 becomes 4.
    const std::string path = write_file("t.raw", picture(80, 50, [](int r, int c) { return (r + c) % 2 ? 13 : 1; }));
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    RawLoader raw(&e, path.c_str(), 80, 50);
    e.fill('#', 2, 2);
    raw.draw(219, 13, 0, 0);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            if ((r + c) % 2)
                ASSERT_EQ(e.get_char(r, c), '#');
            else
                ASSERT_EQ(e.get_fg(r, c), 4);
        }
}

TEST_F(RawLoaderTest, RotatedAtAngleZeroZoomOneEqualsDraw)
{
    const std::string path = write_file("pic.raw", picture(80, 50, [](int r, int c) { return (r * 7 + c * 3) % 16; }));
    AsciiEngine plain{AsciiEngine::PlanesOnly{}}, rotated{AsciiEngine::PlanesOnly{}};
    RawLoader a(&plain, path.c_str(), 80, 50), b(&rotated, path.c_str(), 80, 50);
    a.draw(219, 5, 0, 0);
    b.draw_rotated(219, 5, 0, 0, 0.0, 1.0, 1.0);
    EXPECT_EQ(canvas_cells(plain), canvas_cells(rotated));
}

TEST_F(RawLoaderTest, RotatedSamplesAboutTheCentre)
{
    // A quarter turn: cell (r, c) samples sx = hw + trunc(v), sy = hh - trunc(u)
    // (to within rounding of cos(pi / 2)), u = c - hw, v = r - hh.
    const std::string path = write_file("pic.raw", picture(80, 50, [](int r, int c) { return (r + c * 5) % 16; }));
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    RawLoader raw(&e, path.c_str(), 80, 50);
    raw.draw_rotated(219, -1, 0, 0, 1.5707963267948966, 1.0, 1.0);
    struct Case {
        int r, c;
        bool drawn;
        int sy, sx;
    } cases[] = {
        {25, 40, true, 25, 40},  // the centre samples itself
        {25, 41, true, 24, 40},  {26, 40, true, 25, 41}, {0, 40, true, 25, 15},
        {25, 0, false, 0, 0},    // sy = 65: outside the picture
    };
    for (const Case& c : cases) {
        if (c.drawn)
            EXPECT_EQ(e.get_fg(c.r, c.c), raw.get_pixel(c.sy, c.sx)) << c.r << "," << c.c;
        else
            EXPECT_EQ(e.get_char(c.r, c.c), 0) << c.r << "," << c.c;
    }
}

TEST_F(RawLoaderTest, RotatedSkipsNonFiniteAndHugeSamples)
{
    const std::string path = write_file("pic.raw", picture(80, 50, [](int, int) { return 15; }));
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    RawLoader raw(&e, path.c_str(), 80, 50);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        double angle, zx, zy;
    } cases[] = {{nan, 1, 1}, {0, nan, 1}, {0, 1, inf}, {inf, 1, 1}, {0, 1e300, 1}, {0, -1e12, 1e12}};
    for (const Case& c : cases) {
        e.clear();
        raw.draw_rotated(219, -1, 0, 0, c.angle, c.zx, c.zy);
        // Only cells whose samples stay finite and in range may be drawn: with a
        // huge zoom only the centre row or column (u or v = 0) survives.
        int drawn = 0;
        for (int r = 0; r < 50; ++r)
            for (int col = 0; col < 80; ++col)
                drawn += e.get_char(r, col) != 0;
        EXPECT_LE(drawn, 80 + 50) << c.angle << " " << c.zx << " " << c.zy;
    }
}

TEST_F(RawLoaderTest, ShortMissingAndBadFilesAreRefused)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::string shortPath = write_file("short.raw", std::string(80 * 50 - 1, '\1'));
    EXPECT_EQ(fatal_message([&] { RawLoader r(&e, shortPath.c_str(), 80, 50); }),
              "File " + shortPath + " is only 3999 bytes, expeted 80x50 image!");

    const std::string longPath = write_file("long.raw", std::string(80 * 50, '\1') + std::string(10, '\xFF'));
    EXPECT_EQ(fatal_message([&] { RawLoader r(&e, longPath.c_str(), 80, 50); }), "");

    const std::string missing = (folder / "missing.raw").string();
    EXPECT_EQ(fatal_message([&] { RawLoader r(&e, missing.c_str(), 80, 50); }), "Failed to load file " + missing);

    std::string bytes(80 * 50, '\2');
    bytes[123] = 16;
    const std::string badPath = write_file("bad.raw", bytes);
    EXPECT_EQ(fatal_message([&] { RawLoader r(&e, badPath.c_str(), 80, 50); }),
              "File " + badPath + " holds colour index 16 at byte 123, expected 0 to 15!");

    EXPECT_EQ(fatal_message([&] { RawLoader r(&e, longPath.c_str(), -1, 50); }),
              "Failed to allocate memory for RawLoader");
}

}  // namespace
