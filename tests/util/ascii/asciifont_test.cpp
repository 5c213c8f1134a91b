// The letter font: measured widths, the cells a word sets, clipping and the
// fatal error for characters without a glyph.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/fatal_error.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/asciifont.h"

namespace {

// The canvas's character plane as text rows ('#' for the drawn character,
// '.' for an untouched cell), rows row0 to row0 + count - 1, columns col0 on.
std::vector<std::string> rows_of(const AsciiEngine& e, int row0, int count, int col0, int width)
{
    std::vector<std::string> out;
    for (int r = row0; r < row0 + count; ++r) {
        std::string line;
        for (int c = col0; c < col0 + width; ++c)
            line += e.get_char(r, c) == 0 ? '.' : '#';
        out.push_back(line);
    }
    return out;
}

TEST(AsciiFont, TextWidthCountsColumns)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiFont font(&e);
    struct Case {
        std::string text;
        int width;
    } cases[] = {
        {"", 0},        {"A", 8},        {"A B", 19},    {"AB", 16},    {"I", 7},     {"t", 7},
        {"y", 7},       {"1", 7},        {"0", 8},       {"9", 8},      {" ", 3},     {"HELLO!", 40},
        {"hello", 40},  {"TINY", 29},    {"2024", 32},   {"a-b", 16},   {"\xC9", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(font.text_width(c.text), c.width) << '"' << c.text << '"';
}

TEST(AsciiFont, DrawsTheCellsOfAB)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiFont font(&e);
    int row = 2, col = 10;
    font.draw_char(row, col, 219, 14, 4, 'A');
    font.draw_char(row, col, 219, 14, 4, 'B');
    EXPECT_EQ(row, 2);
    EXPECT_EQ(col, 26);
    const std::vector<std::string> expected = {
        ".................",  // row 1: untouched
        "..###...######...",
        ".##.##..##...##..",
        "##...##.##...##..",
        "##...##.######...",
        "#######.##...##..",
        "##...##.##...##..",
        "##...##.######...",
        ".................",  // row 9: untouched
    };
    EXPECT_EQ(rows_of(e, 1, 9, 10, 17), expected);
    // Column 9 before, 17 between the letters and 25 after stay untouched.
    for (int r = 0; r < 50; ++r) {
        EXPECT_EQ(e.get_char(r, 9), 0);
        EXPECT_EQ(e.get_char(r, 17), 0);
        EXPECT_EQ(e.get_char(r, 25), 0);
    }
    EXPECT_EQ(e.get_fg(2, 12), 14);
    EXPECT_EQ(e.get_bg(2, 12), 4);
}

TEST(AsciiFont, BlankAdvancesTwoAndCaseDoesNotMatter)
{
    AsciiEngine upper{AsciiEngine::PlanesOnly{}}, lower{AsciiEngine::PlanesOnly{}};
    AsciiFont(&upper).draw_text(20, 1, 'X', 15, 0, "VELMO 2024 KQWZ");
    AsciiFont(&lower).draw_text(20, 1, 'X', 15, 0, "velmo 2024 kqwz");
    EXPECT_EQ(rows_of(upper, 0, 50, 0, 80), rows_of(lower, 0, 50, 0, 80));

    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiFont font(&e);
    int row = 0, col = 0;
    font.draw_char(row, col, 1, 1, 1, 'A');
    font.draw_char(row, col, 1, 1, 1, ' ');
    font.draw_char(row, col, 1, 1, 1, 'B');
    EXPECT_EQ(col, 18);  // 8 + 2 + 8, while text_width("A B") is 19
}

TEST(AsciiFont, GlyphsOffTheCanvasAreClipped)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiFont font(&e);
    font.draw_text(46, 0, 'X', 15, 0, "H");
    EXPECT_EQ(rows_of(e, 46, 4, 0, 7), (std::vector<std::string>{"##...##", "##...##", "##...##", "#######"}));

    AsciiEngine left{AsciiEngine::PlanesOnly{}};
    AsciiFont(&left).draw_text(0, -4, 'X', 15, 0, "A");  // glyph columns 4 to 6 land on 0 to 2
    EXPECT_EQ(rows_of(left, 0, 7, 0, 4),
              (std::vector<std::string>{"#...", "##..", ".##.", ".##.", "###.", ".##.", ".##."}));
}

TEST(AsciiFont, CharacterWithoutGlyphIsFatal)
{
    set_fatal_error_throws(true);
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiFont font(&e);
    for (char c : std::string("!.-\xC9"))
        try {
            font.draw_text(0, 0, 'X', 15, 0, std::string("HELLO") + c);
            ADD_FAILURE() << "no fatal error for " << int(c);
        } catch (const FatalErrorException& ex) {
            EXPECT_STREQ(ex.what(), "data is NULL");
            EXPECT_EQ(ex.sourcePath.find("asciifont") != std::string::npos, true) << ex.sourcePath;
        }
}

}  // namespace
