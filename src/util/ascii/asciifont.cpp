#include "util/ascii/asciifont.h"

#include "system/fatal_error.h"
#include "util/ascii/asciiengine.h"

namespace {

// Rows from top to bottom, '#' set, '.' clear.
const AsciiGlyph kLetterA = {7,
    "..###.."
    ".##.##."
    "##...##"
    "##...##"
    "#######"
    "##...##"
    "##...##"};
const AsciiGlyph kLetterB = {7,
    "######."
    "##...##"
    "##...##"
    "######."
    "##...##"
    "##...##"
    "######."};
const AsciiGlyph kLetterC = {7,
    "..####."
    ".##..##"
    "##....."
    "##....."
    "##....."
    ".##..##"
    "..####."};
const AsciiGlyph kLetterD = {7,
    "#####.."
    "##..##."
    "##...##"
    "##...##"
    "##...##"
    "##..##."
    "#####.."};
const AsciiGlyph kLetterE = {7,
    "..####."
    ".##..##"
    "##....."
    "######."
    "##....."
    ".##..##"
    "..####."};
const AsciiGlyph kLetterF = {7,
    "#######"
    "##....."
    "##....."
    "######."
    "##....."
    "##....."
    "##....."};
const AsciiGlyph kLetterG = {7,
    "..#####"
    ".##...."
    "##....."
    "##..###"
    "##...##"
    ".##..##"
    "..####."};
const AsciiGlyph kLetterH = {7,
    "##...##"
    "##...##"
    "##...##"
    "#######"
    "##...##"
    "##...##"
    "##...##"};
const AsciiGlyph kLetterI = {6,
    "######"
    "..##.."
    "..##.."
    "..##.."
    "..##.."
    "..##.."
    "######"};
const AsciiGlyph kLetterJ = {7,
    ".....##"
    ".....##"
    ".....##"
    ".....##"
    "##...##"
    "##...##"
    ".#####."};
const AsciiGlyph kLetterK = {7,
    "##...##"
    "##..##."
    "##.##.."
    "####..."
    "#####.."
    "##.###."
    "##..###"};
const AsciiGlyph kLetterL = {7,
    "##....."
    "##....."
    "##....."
    "##....."
    "##....."
    "##...##"
    "#######"};
const AsciiGlyph kLetterM = {7,
    "##...##"
    "###.###"
    "#######"
    "#######"
    "##.#.##"
    "##...##"
    "##...##"};
const AsciiGlyph kLetterN = {7,
    "##...##"
    "###..##"
    "####.##"
    "#######"
    "##.####"
    "##..###"
    "##...##"};
const AsciiGlyph kLetterO = {7,
    ".#####."
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    ".#####."};
const AsciiGlyph kLetterP = {7,
    "######."
    "##...##"
    "##...##"
    "##...##"
    "######."
    "##....."
    "##....."};
const AsciiGlyph kLetterQ = {7,
    ".#####."
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    "##..##."
    ".###.##"};
const AsciiGlyph kLetterR = {7,
    "######."
    "##...##"
    "##...##"
    "##..###"
    "#####.."
    "##.###."
    "##..###"};
const AsciiGlyph kLetterS = {7,
    ".#####."
    "##...##"
    "##....."
    ".#####."
    ".....##"
    "##...##"
    ".#####."};
const AsciiGlyph kLetterT = {6,
    "######"
    "..##.."
    "..##.."
    "..##.."
    "..##.."
    "..##.."
    "..##.."};
const AsciiGlyph kLetterU = {7,
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    ".#####."};
const AsciiGlyph kLetterV = {7,
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    ".##.##."
    "..###.."
    "...#..."};
const AsciiGlyph kLetterW = {7,
    "##...##"
    "##...##"
    "##...##"
    "##.#.##"
    "#######"
    "###.###"
    "##...##"};
const AsciiGlyph kLetterX = {7,
    "##...##"
    "###.###"
    ".#####."
    "..###.."
    ".#####."
    "###.###"
    "##...##"};
const AsciiGlyph kLetterY = {6,
    "##..##"
    "##..##"
    "##..##"
    ".####."
    "..##.."
    "..##.."
    "..##.."};
const AsciiGlyph kLetterZ = {7,
    "#######"
    "##..###"
    "...###."
    "..###.."
    ".###..."
    "###..##"
    "#######"};
const AsciiGlyph kDigit0 = {7,
    ".#####."
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    "##...##"
    ".#####."};
const AsciiGlyph kDigit1 = {6,
    "..##.."
    ".###.."
    "..##.."
    "..##.."
    "..##.."
    "..##.."
    "######"};
const AsciiGlyph kDigit2 = {7,
    ".#####."
    "##...##"
    "....###"
    "..####."
    ".####.."
    "###...."
    "#######"};
const AsciiGlyph kDigit3 = {7,
    ".######"
    "....##."
    "...##.."
    "..####."
    ".....##"
    "##...##"
    ".#####."};
const AsciiGlyph kDigit4 = {7,
    "...###."
    "..####."
    ".##.##."
    "##..##."
    "#######"
    "....##."
    "....##."};
const AsciiGlyph kDigit5 = {7,
    "######."
    "##....."
    "######."
    ".....##"
    ".....##"
    "##...##"
    ".#####."};
const AsciiGlyph kDigit6 = {7,
    "..####."
    ".##...."
    "##....."
    "######."
    "##...##"
    "##...##"
    ".#####."};
const AsciiGlyph kDigit7 = {7,
    "#######"
    "##...##"
    "....##."
    "...##.."
    "..##..."
    "..##..."
    "..##..."};
const AsciiGlyph kDigit8 = {7,
    ".#####."
    "##...##"
    "###..##"
    ".#####."
    "##..###"
    "##...##"
    ".#####."};
const AsciiGlyph kDigit9 = {7,
    ".#####."
    "##...##"
    "##...##"
    ".######"
    ".....##"
    "....##."
    ".####.."};

struct GlyphEntry {
    char c;
    const AsciiGlyph* glyph;
};

const GlyphEntry kGlyphs[] = {
    {'A', &kLetterA}, {'B', &kLetterB}, {'C', &kLetterC}, {'D', &kLetterD}, {'E', &kLetterE}, {'F', &kLetterF},
    {'G', &kLetterG}, {'H', &kLetterH}, {'I', &kLetterI}, {'J', &kLetterJ}, {'K', &kLetterK}, {'L', &kLetterL},
    {'M', &kLetterM}, {'N', &kLetterN}, {'O', &kLetterO}, {'P', &kLetterP}, {'Q', &kLetterQ}, {'R', &kLetterR},
    {'S', &kLetterS}, {'T', &kLetterT}, {'U', &kLetterU}, {'V', &kLetterV}, {'W', &kLetterW}, {'X', &kLetterX},
    {'Y', &kLetterY}, {'Z', &kLetterZ}, {'0', &kDigit0}, {'1', &kDigit1}, {'2', &kDigit2}, {'3', &kDigit3},
    {'4', &kDigit4}, {'5', &kDigit5}, {'6', &kDigit6}, {'7', &kDigit7}, {'8', &kDigit8}, {'9', &kDigit9},
};

}  // namespace

AsciiFont::AsciiFont(AsciiEngine* canvas) : canvas(canvas)
{
    for (const GlyphEntry& entry : kGlyphs) {
        glyphs[entry.c] = entry.glyph;
        if (entry.c >= 'A' && entry.c <= 'Z')
            glyphs[static_cast<char>(entry.c - 'A' + 'a')] = entry.glyph;
    }
}

void AsciiFont::draw_char(int& row, int& col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg, char c)
{
    if (c == ' ') {
        col += 2;
        return;
    }
    auto found = glyphs.find(c);
    if (found == glyphs.end())
        FATAL_ERROR("data is NULL");
    const AsciiGlyph& glyph = *found->second;
    for (int r = 0; r < 7; ++r)
        for (int x = 0; x < glyph.width; ++x)
            if (glyph.bits[r * glyph.width + x] == '#')
                canvas->put(row + r, col + x, ch, fg, bg);
    col += glyph.width + 1;
}

void AsciiFont::draw_text(int row, int col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg,
                          const std::string& text)
{
    for (char c : text)
        draw_char(row, col, ch, fg, bg, c);
}

int AsciiFont::text_width(const std::string& text) const
{
    int width = 0;
    for (char c : text) {
        if (c == ' ')
            width += 3;
        else if (c == 'I' || c == 'T' || c == 'Y' || c == 'i' || c == 't' || c == 'y' || c == '1')
            width += 7;
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            width += 8;
    }
    return width;
}
