// The compiled-in glyph atlas: a 640x120 8-bit RGBA PNG, and exactly what
// tools/glyph_atlas makes from the Debian console fonts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "util/ascii/asciiengine_glyphs.h"

namespace {

std::uint32_t be32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

TEST(AsciiGlyphAtlas, IsA640x120RgbaPng)
{
    ASSERT_GT(ascii_glyph_atlas_png_size, 33);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ascii_glyph_atlas_png), 8),
              std::string(reinterpret_cast<const char*>(signature), 8));
    const unsigned char* ihdr = ascii_glyph_atlas_png + 8;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ihdr + 4), 4), "IHDR");
    EXPECT_EQ(be32(ihdr + 8), 640u);
    EXPECT_EQ(be32(ihdr + 12), 120u);
    EXPECT_EQ(ihdr[16], 8);   // bits per channel
    EXPECT_EQ(ihdr[17], 6);   // RGBA
    EXPECT_EQ(ihdr[20], 0);   // not interlaced
}

TEST(AsciiGlyphAtlas, ToolRebuildsTheSameBytes)
{
    const std::string tool = std::string(VELMO_BINARY_DIR) + "/tools/glyph_atlas/glyph_atlas";
    for (const char* font : {"/usr/share/consolefonts/lat1-12.psf.gz", "/usr/share/consolefonts/cp850-8x14.psf.gz"})
        ASSERT_TRUE(std::filesystem::exists(font)) << font << " is missing (Debian package console-data)";
    ASSERT_TRUE(std::filesystem::exists(tool)) << "the tool is not built";
    const std::string out =
        (std::filesystem::temp_directory_path() / ("velmo_atlas_" + std::to_string(getpid()) + ".png")).string();
    ASSERT_EQ(std::system((tool + " --png " + out + " > /dev/null").c_str()), 0);
    std::ifstream in(out, std::ios::binary);
    const std::vector<unsigned char> made((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(out);
    const std::vector<unsigned char> embedded(ascii_glyph_atlas_png, ascii_glyph_atlas_png + ascii_glyph_atlas_png_size);
    EXPECT_TRUE(made == embedded) << "regenerate src/util/ascii/asciiengine_glyphs.cpp with tools/glyph_atlas";
}

}  // namespace
