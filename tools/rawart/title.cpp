#include "title.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 120;
// One screenful of the text-mode canvas.
constexpr int kScreenWidth = 80;
constexpr int kScreenHeight = 50;
// Canvas cells are shown 5 wide by 6 tall, so letters are drawn 1.2 times
// wider than high to look right on screen.
constexpr double kCellAspect = 1.2;

// Coverage mask of one word: 1 where a letter covers the cell.
struct Mask {
    int width = 0, height = 0;
    std::vector<std::uint8_t> on;
    int capTop = 0, capBottom = 0;  // rows of the capital letters' extent
};

Mask render_word(FT_Face face, const std::string& word, int pixelHeight) {
    if (FT_Set_Pixel_Sizes(face, FT_UInt(pixelHeight * kCellAspect), FT_UInt(pixelHeight)))
        throw std::runtime_error("cannot size font");
    const int ascent = int(face->size->metrics.ascender >> 6);
    const int descent = int(-(face->size->metrics.descender >> 6));
    Mask m;
    m.height = ascent + descent;
    // First pass: total advance.
    int pen = 0;
    for (char ch : word) {
        if (FT_Load_Char(face, FT_ULong(ch), FT_LOAD_DEFAULT))
            throw std::runtime_error("cannot load glyph");
        pen += int(face->glyph->advance.x >> 6);
    }
    m.width = pen + 2;
    m.on.assign(std::size_t(m.width) * m.height, 0);
    m.capTop = m.height;
    m.capBottom = 0;
    pen = 1;
    for (char ch : word) {
        FT_Load_Char(face, FT_ULong(ch), FT_LOAD_RENDER);
        const FT_GlyphSlot g = face->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                if (g->bitmap.buffer[r * g->bitmap.pitch + c] < 110)
                    continue;
                int x = pen + g->bitmap_left + int(c);
                int y = ascent - g->bitmap_top + int(r);
                if (x < 0 || y < 0 || x >= m.width || y >= m.height)
                    continue;
                m.on[std::size_t(y) * m.width + x] = 1;
                m.capTop = std::min(m.capTop, y);
                m.capBottom = std::max(m.capBottom, y);
            }
        pen += int(g->advance.x >> 6);
    }
    return m;
}

// Chrome: sky colours above the horizon line, sunset colours below.
std::uint8_t chrome(double t) {
    if (t < 0.18) return 15;
    if (t < 0.38) return 11;
    if (t < 0.50) return 3;
    if (t < 0.56) return 15;
    if (t < 0.76) return 14;
    return 12;
}

// A box of the picture that a word is centred in.
struct Box {
    int x, y, width, height;
};

void place_word(Picture& p, const Mask& m, const Box& box) {
    const int capHeight = m.capBottom - m.capTop + 1;
    const int x0 = box.x + (box.width - m.width) / 2;
    const int y0 = box.y + (box.height - capHeight) / 2 - m.capTop;
    auto on = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < m.width && y < m.height && m.on[std::size_t(y) * m.width + x];
    };
    // Shadow first, then the outline, then the letters over both.
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (on(x, y))
                for (int s = 1; s <= 2; ++s)
                    p.set(x0 + x + s + 1, y0 + y + s, 1);
    for (int y = -1; y <= m.height; ++y)
        for (int x = -1; x <= m.width; ++x) {
            if (on(x, y))
                continue;
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    edge = edge || on(x + dx, y + dy);
            if (edge)
                p.set(x0 + x, y0 + y, 0);
        }
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (on(x, y))
                p.set(x0 + x, y0 + y, chrome(double(y - m.capTop) / capHeight));
}

// The largest size at which every word's capitals fit the box's height and
// the word its width, with room for the outline and the shadow.
int fitting_size(FT_Face face, const std::vector<std::string>& words, const Box& box) {
    for (int size = 64; size > 4; --size) {
        bool fits = true;
        for (const std::string& word : words) {
            const Mask m = render_word(face, word, size);
            fits = fits && m.capBottom - m.capTop + 1 <= box.height - 6 && m.width <= box.width - 6;
        }
        if (fits)
            return size;
    }
    throw std::runtime_error("the title does not fit its box");
}
}  // namespace

Picture draw_title(const std::string& fontPath) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib))
        throw std::runtime_error("cannot start FreeType");
    FT_Face face;
    if (FT_New_Face(lib, fontPath.c_str(), 0, &face))
        throw std::runtime_error("cannot open font " + fontPath);

    Picture p(kWidth, kHeight, kTitleTransparent);
    // The whole title in the top-left screenful, one word a line, all three
    // at one size.
    const std::vector<std::string> words = {"GLASS", "HARBOUR", "SIGNAL"};
    const Box panel{0, 0, kScreenWidth, kScreenHeight};
    const int lineHeight = panel.height / 3;
    const int size = fitting_size(face, words, Box{0, 0, panel.width, lineHeight});
    for (int line = 0; line < 3; ++line)
        place_word(p, render_word(face, words[line], size), Box{panel.x, panel.y + line * lineHeight, panel.width, lineHeight});
    // The title on one line under it, the full width of the picture, to be
    // scrolled past.
    const std::vector<std::string> line = {"GLASS HARBOUR SIGNAL"};
    const Box band{0, kScreenHeight, kWidth, kHeight - kScreenHeight};
    place_word(p, render_word(face, line[0], fitting_size(face, line, band)), band);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return p;
}
