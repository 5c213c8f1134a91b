// Line breaking of message-box text: lines wider than the box allows break
// at a blank, or inside a word that has none; everything else stays as given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/messagebox_wrap.h"

namespace {

// UTF-8 characters in `text`.
std::size_t utf8_characters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// One pixel a character, so widths read as columns.
int columns(std::string_view s)
{
    return static_cast<int>(utf8_characters(s));
}

// `n` times the two-byte character e acute.
std::string e(int n)
{
    std::string s;
    while (n-- > 0)
        s += "\u00e9";
    return s;
}

TEST(WrapLines, BreaksOnlyWhatIsTooWide)
{
    const struct {
        const char* name;
        std::string text;
        std::string wrapped;
    } cases[] = {
        {"short text", "Short", "Short"},
        {"exactly the width", "0123456789", "0123456789"},
        {"empty text", "", ""},
        {"at the last blank that fits", "one two three four", "one two\nthree four"},
        {"at a blank just past the width", "0123456789 abc", "0123456789\nabc"},
        {"every blank at the break dropped", "one two   three", "one two\nthree"},
        {"a word longer than a line", "abcdefghijklmnopqrstuvwxyz", "abcdefghij\nklmnopqrst\nuvwxyz"},
        {"a long word after a short one", "see abcdefghijklmnop", "see\nabcdefghij\nklmnop"},
        {"line breaks kept", "caption\n\nline one two three\n", "caption\n\nline one\ntwo three\n"},
        {"leading blanks kept", "  Unknown header info", "  Unknown\nheader\ninfo"},
        {"leading blanks stay with their word", "    abcdefghijkl", "    abcdef\nghijkl"},
        {"blanks past the end dropped", "abcdefghij    ", "abcdefghij"},
        {"a UTF-8 character counts once and is never split", e(5) + " " + e(11), e(5) + "\n" + e(10) + "\n" + e(1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrap_lines(c.text, 10, columns), c.wrapped) << c.name;
}

TEST(WrapLines, MeasuresWhatTheBoxDraws)
{
    // A wide glyph takes two pixels: the break comes after fewer of them.
    const auto wideW = [](std::string_view s) {
        int w = 0;
        for (char c : s)
            w += c == 'W' ? 2 : 1;
        return w;
    };
    EXPECT_EQ(wrap_lines("WWWWWWWWWWWW", 10, wideW), "WWWWW\nWWWWW\nWW");
    EXPECT_EQ(wrap_lines("WWWW iiii", 10, wideW), "WWWW\niiii");
    // A single character wider than the line still makes progress.
    EXPECT_EQ(wrap_lines("WWW", 1, wideW), "W\nW\nW");
}

TEST(WrapLines, SkyBoxFaceSizeMessageFitsTheWindowLibrarysBox)
{
    // The fatal error's box text: caption, an empty line, the message. The
    // window library's box draws 7 pixels a character.
    const std::string faces = "data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_";
    const std::string head = "Error in file src\\util\\texture\\texturecube.cpp:66\n\n"
                             "Failed assert width == tex_array[i].get_width()\n";
    const std::string text = head + faces + "up.png is 512x512, " + faces +
                             "left.png is 256x256: every face of a cube map must have the first face's size";
    const auto sevenPixels = [](std::string_view s) { return 7 * static_cast<int>(utf8_characters(s)); };
    const std::string wrapped = wrap_lines(text, kMessageBoxTextWidth, sevenPixels);
    EXPECT_EQ(wrapped, head + faces + "up.png is 512x512,\n" + faces +
                           "left.png is 256x256: every face of a cube map\nmust have the first face's size");
    std::istringstream lines(wrapped);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(sevenPixels(line), kMessageBoxTextWidth) << line;
}

TEST(WrapLines, LongLinesAreMeasuredInPiecesTheToolkitCanMeasure)
{
    // The toolkit's measure wraps around past 32,767 pixels: a line of
    // 4,400 characters 8 pixels wide measured whole reads as fitting.
    const auto toolkitW = [](std::string_view s) {
        return static_cast<int>(static_cast<std::int16_t>(8 * static_cast<int>(utf8_characters(s))));
    };
    for (const std::size_t n : {std::size_t{1025}, std::size_t{4400}, std::size_t{100000}}) {
        const std::string wrapped = wrap_lines(std::string(n, 'x'), kMessageBoxTextWidth, toolkitW);
        std::istringstream lines(wrapped);
        std::size_t total = 0;
        for (std::string line; std::getline(lines, line); total += line.size())
            EXPECT_EQ(line.size(), std::min<std::size_t>(n - total, 105)) << n << " characters";
        EXPECT_EQ(total, n);
    }
    // A long line that fits after all: marks that take no room.
    const std::string marks = "a" + std::string(2000, '\'');
    const auto marksTakeNoRoom = [](std::string_view s) {
        return static_cast<int>(std::count_if(s.begin(), s.end(), [](char c) { return c != '\''; }));
    };
    EXPECT_EQ(wrap_lines(marks, 10, marksTakeNoRoom), marks);
}

TEST(Utf8Columns, WideCharactersTakeMore)
{
    const struct {
        std::string text;
        std::size_t columns;
    } cases[] = {
        {"", 0},
        {"plain", 5},
        {"\u00e9t\u00e9", 3},
        {"\u0436\u0140\u1fff", 3},
        {"\u4e2d\u6587", 6},
        {"\u2026\u2192\u3042\uffe6", 12},
        {"\U0001F600", 2},
        {"a\U0001F600b\U0001D400\u4e2d", 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8_columns(c.text), c.columns) << c.text;
}

// `n` lines "1" to "n".
std::string numbered(int n)
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += (i > 1 ? "\n" : "") + std::to_string(i);
    return text;
}

TEST(KeepLines, ATextTooLongShowsItsFirstLinesAndHowManyAreLeftOut)
{
    const std::string note = " more lines (the whole text is on standard output)";
    const struct {
        const char* name;
        std::string text;
        int maxLines;
        std::string kept;
    } cases[] = {
        {"fewer lines", numbered(3), 5, numbered(3)},
        {"as many lines", numbered(5), 5, numbered(5)},
        {"one line too many", numbered(6), 5, numbered(4) + "\n... and 2" + note},
        {"many lines", numbered(400), 28, numbered(27) + "\n... and 373" + note},
        {"an empty last line counts", numbered(5) + "\n", 5, numbered(4) + "\n... and 2" + note},
        {"empty lines count", std::string(9, '\n'), 4, "\n\n\n... and 7" + note},
        {"at least one line shown", numbered(3), 1, "1\n... and 2" + note},
        {"an empty text", "", 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keep_lines(c.text, c.maxLines), c.kept) << c.name;
}

} // namespace
