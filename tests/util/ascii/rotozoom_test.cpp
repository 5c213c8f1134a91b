// The rotozoomer: its fixed-point tables, the texel each cell shows, its
// 20 ms wall-clock stepping, at most one step a frame while the video dump
// draws and every step caught up otherwise (also across the wrap of the
// 32-bit tick count)
// and its picture checks.
#include <string>

#include "system/velmosystem.h"
#include "util/ascii/ascii_fixtures.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/rawloader.h"
#include "util/ascii/rotozoom.h"

namespace {

using RotozoomTest = ascii_test::FixtureTest;

// File byte (row, col) = (row * 5 + col * 3) % 16 with pixel (0, 0) = 0.
std::string tile_picture()
{
    std::string bytes(256 * 256, '\0');
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 256; ++c)
            bytes[r * 256 + c] = static_cast<char>((r * 5 + c * 3) % 16);
    bytes[0] = 7;
    return bytes;
}

// floor(n / 4096) for any sign.
long long floor_div(long long n)
{
    return n >= 0 ? n / 4096 : -((-n + 4095) / 4096);
}

TEST_F(RotozoomTest, TablesAndPictureLoad)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    Rotozoom roto(&e, write_file("tiles.raw", tile_picture()).c_str());
    EXPECT_EQ(roto.get_table_a(0), 3276);
    EXPECT_EQ(roto.get_table_b(0), 0);
    int minA = 1 << 30, maxA = -(1 << 30), minB = 1 << 30, maxB = -(1 << 30);
    for (int i = 0; i < 256; ++i) {
        minA = std::min(minA, roto.get_table_a(i));
        maxA = std::max(maxA, roto.get_table_a(i));
        minB = std::min(minB, roto.get_table_b(i));
        maxB = std::max(maxB, roto.get_table_b(i));
    }
    EXPECT_EQ(minA, -819);
    EXPECT_EQ(maxA, 7372);
    EXPECT_EQ(minB, -8191);
    EXPECT_EQ(maxB, 8191);
    EXPECT_EQ(roto.get_pixel(0, 0), 7);
    EXPECT_EQ(roto.get_pixel(0, 1), RawLoader::colourRemap[3]);
    EXPECT_EQ(roto.get_pixel(1, 0), RawLoader::colourRemap[5]);
    EXPECT_EQ(roto.get_angle_index(), 0);
    EXPECT_EQ(roto.get_zoom_index(), 0);
}

TEST_F(RotozoomTest, EachCellShowsItsRotatedTexel)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    Rotozoom roto(&e, write_file("tiles.raw", tile_picture()).c_str());
    struct Case {
        int a, b, zoom;
    } cases[] = {
        {3276, 3276, 0},      // zoom 0: every cell shows pixel (0, 0)
        {3276, 3276, 1000},   {7372, -819, 8191}, {-819, 7372, -8191},
        {5000, 1200, -3000},  {4096, 0, 410},
    };
    for (const Case& c : cases) {
        roto.draw_frame(c.a, c.b, c.zoom);
        const long long z = c.zoom * 10;
        const long long dA = floor_div(c.a * z), dB = floor_div(c.b * z);
        for (int r = 0; r < 50; ++r)
            for (int col = 0; col < 80; ++col) {
                const long long tx = floor_div(col * dA - r * dB) & 255;
                const long long ty = floor_div(col * dB + r * dA) & 255;
                ASSERT_EQ(e.get_char(r, col), 219);
                ASSERT_EQ(e.get_bg(r, col), 0);
                ASSERT_EQ(e.get_fg(r, col), roto.get_pixel(static_cast<int>(ty), static_cast<int>(tx)))
                    << "a " << c.a << " b " << c.b << " zoom " << c.zoom << " cell " << r << "," << col;
            }
    }
}

// The only test in this program that calls Rotozoom::draw, so the shared
// step clock starts with its first call here.
TEST_F(RotozoomTest, StepsEveryTwentyMillisecondsAcrossTheTickWrap)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::string path = write_file("tiles.raw", tile_picture());
    Rotozoom roto(&e, path.c_str());
    VelmoSystem::dumpVideo = true;

    const std::uint64_t t = 0x1FFFFFF00ull;  // the low 32 bits wrap 256 ms later
    // First frame: zoom index 0, whose zoom of zero would fill every cell
    // with pixel (0, 0), a flat flash: it is drawn at index 1's zoom.
    AsciiEngine expected{AsciiEngine::PlanesOnly{}};
    Rotozoom reference(&expected, path.c_str());
    EXPECT_EQ(roto.get_table_b(0), 0);
    EXPECT_EQ(roto.get_table_b(255), 0);
    reference.draw_frame(roto.get_table_a(0), roto.get_table_a(128), roto.get_table_b(1));
    set_tick(t);
    roto.draw();
    int flat = 0;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            ASSERT_EQ(e.get_fg(r, c), expected.get_fg(r, c)) << "cell " << r << "," << c;
            flat += e.get_fg(r, c) == 7;
        }
    EXPECT_LT(flat, 50 * 80 / 2);
    EXPECT_EQ(roto.get_angle_index(), 0);
    EXPECT_EQ(roto.get_zoom_index(), 0);

    // Five steps are due while dumping: one is taken, the rest dropped.
    set_tick(t + 100);
    roto.draw();
    EXPECT_EQ(roto.get_angle_index(), 255);
    EXPECT_EQ(roto.get_zoom_index(), 1);
    roto.draw();  // same millisecond: no step
    EXPECT_EQ(roto.get_zoom_index(), 1);

    set_tick(t + 101);  // the next step is due at t + 100, so one runs
    roto.draw();
    EXPECT_EQ(roto.get_zoom_index(), 2);
    set_tick(t + 120);
    roto.draw();
    EXPECT_EQ(roto.get_zoom_index(), 2);
    set_tick(t + 121);
    roto.draw();
    EXPECT_EQ(roto.get_zoom_index(), 3);

    // Past the wrap of the 32-bit count: t + 300 is 44 in the low bits.
    set_tick(t + 300);
    roto.draw();
    EXPECT_EQ(roto.get_zoom_index(), 4);
    EXPECT_EQ(roto.get_angle_index(), 252);
    // The dropped backlog is not owed: 20 ms on, one step.
    set_tick(t + 320);
    roto.draw();
    EXPECT_EQ(roto.get_zoom_index(), 5);

    // Zoom index 255, the other zoom of zero, is drawn at index 254's zoom.
    std::uint64_t tick = t + 320;
    while (roto.get_zoom_index() != 255) {
        tick += 20;
        set_tick(tick);
        roto.draw();
    }
    const int angle = roto.get_angle_index();
    reference.draw_frame(roto.get_table_a(angle), roto.get_table_a((angle + 128) % 256), roto.get_table_b(254));
    roto.draw();
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(e.get_fg(r, c), expected.get_fg(r, c)) << "cell " << r << "," << c;

    // A second rotozoomer shares the clock: its first draw does not step.
    Rotozoom other(&e, path.c_str());
    other.draw();
    EXPECT_EQ(other.get_zoom_index(), 0);

    // Played live, all five steps due are caught up.
    VelmoSystem::dumpVideo = false;
    const int zoomBefore = other.get_zoom_index();
    set_tick(tick + 100);
    other.draw();
    EXPECT_EQ(other.get_zoom_index(), zoomBefore + 5);
    other.draw();  // same millisecond: no step
    EXPECT_EQ(other.get_zoom_index(), zoomBefore + 5);
    set_tick(tick + 101);
    other.draw();
    EXPECT_EQ(other.get_zoom_index(), zoomBefore + 6);
}

TEST_F(RotozoomTest, PictureChecks)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::string shortPath = write_file("short.raw", std::string(65535, '\0'));
    EXPECT_EQ(fatal_message([&] { Rotozoom r(&e, shortPath.c_str()); }),
              "File " + shortPath + " is only 65535 bytes, expected 256x256 image!");
    const std::string longPath = write_file("long.raw", std::string(65537, '\0'));
    EXPECT_EQ(fatal_message([&] { Rotozoom r(&e, longPath.c_str()); }), "");
    const std::string missing = (folder / "none.raw").string();
    EXPECT_EQ(fatal_message([&] { Rotozoom r(&e, missing.c_str()); }), "Failed to load file " + missing);
    std::string bytes(65536, '\0');
    bytes[65535] = static_cast<char>(200);
    const std::string badPath = write_file("bad.raw", bytes);
    EXPECT_EQ(fatal_message([&] { Rotozoom r(&e, badPath.c_str()); }),
              "File " + badPath + " holds colour index 200 at byte 65535, expected 0 to 15!");
}

}  // namespace
