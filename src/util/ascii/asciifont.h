#pragma once
// Big letters on the text-mode canvas: 36 seven-row bitmaps (A to Z, 0 to 9;
// lower case draws as upper case). Every set bit becomes one canvas cell in
// the character and colours the caller chooses.
#include <cstdint>
#include <map>
#include <string>

class AsciiEngine;

// One letter's bitmap: rows of '#' (set) and '.' (clear), 7 rows of `width`
// characters, one after the other.
struct AsciiGlyph {
    int width;
    const char* bits;
};

class AsciiFont {
public:
    explicit AsciiFont(AsciiEngine* canvas);

    // Draws c with its top-left cell at (row, col) and advances col past the
    // letter and one empty column; a blank only advances col by 2. Any other
    // character that has no glyph is a fatal error.
    void draw_char(int& row, int& col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg, char c);
    void draw_text(int row, int col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg, const std::string& text);
    // Columns the text is counted as taking: a blank counts 3 (one more than
    // drawing advances), characters without a glyph count 0.
    int text_width(const std::string& text) const;

private:
    AsciiEngine* canvas;
    std::map<char, const AsciiGlyph*> glyphs;
};
