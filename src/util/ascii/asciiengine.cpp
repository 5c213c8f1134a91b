#include "util/ascii/asciiengine.h"

#include <algorithm>
#include <cstring>

#include "util/ascii/asciiengine_images.h"

AsciiEngine::AsciiEngine(PlanesOnly)
{
    init_planes();
}

void AsciiEngine::init_planes()
{
    clear();
    // Bit 0 blue, bit 1 green, bit 2 red, bit 3 bright; 7 is light grey.
    static const float kPalette[16][3] = {
        {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.5f}, {0.0f, 0.5f, 0.0f}, {0.0f, 0.5f, 0.5f},
        {0.5f, 0.0f, 0.0f}, {0.5f, 0.0f, 0.5f}, {0.5f, 0.5f, 0.0f}, {0.75f, 0.75f, 0.75f},
        {0.5f, 0.5f, 0.5f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 1.0f},
        {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};
    for (int i = 0; i < 16; ++i)
        palette[i].set(kPalette[i][0], kPalette[i][1], kPalette[i][2], 1.0f);
    viewport[0] = viewport[1] = viewport[2] = viewport[3] = 1;
    init_builtin_images();
}

void AsciiEngine::init_builtin_images()
{
    for (int i = 0; i < 4; ++i)
        builtinImages[i] = ascii_builtin_images[i];
}

void AsciiEngine::put(int row, int col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg)
{
    if (row < 0 || row >= ROWS || col < 0 || col >= COLUMNS)
        return;
    const int i = row * COLUMNS + col;
    chars[i] = ch;
    fgs[i] = fg;
    bgs[i] = bg;
}

void AsciiEngine::put_char_fg(int row, int col, std::uint8_t ch, std::uint8_t fg)
{
    if (row < 0 || row >= ROWS || col < 0 || col >= COLUMNS)
        return;
    const int i = row * COLUMNS + col;
    chars[i] = ch;
    fgs[i] = fg;
}

void AsciiEngine::put_packed(int row, int col, std::uint16_t cell)
{
    put(row, col, static_cast<std::uint8_t>(cell & 0xFF), static_cast<std::uint8_t>((cell >> 8) & 0x0F),
        static_cast<std::uint8_t>((cell >> 12) & 0x0F));
}

void AsciiEngine::fill_rect(int row, int col, int height, int width, std::uint8_t ch, std::uint8_t fg,
                            std::uint8_t bg)
{
    if (height < 1 || width < 1)
        return;
    if (row < 0) {
        height += row;
        row = 0;
    }
    if (col < 0) {
        width += col;
        col = 0;
    }
    // Wide enough for any int start and size.
    const long long rowEnd = std::min<long long>(static_cast<long long>(row) + height, ROWS);
    const long long colEnd = std::min<long long>(static_cast<long long>(col) + width, COLUMNS);
    for (long long r = row; r < rowEnd; ++r)
        for (long long c = col; c < colEnd; ++c)
            put(static_cast<int>(r), static_cast<int>(c), ch, fg, bg);
}

void AsciiEngine::clear()
{
    std::memset(chars, 0, sizeof chars);
    std::memset(fgs, 0, sizeof fgs);
    std::memset(bgs, 0, sizeof bgs);
}

void AsciiEngine::fill(std::uint8_t ch, std::uint8_t fg, std::uint8_t bg)
{
    std::memset(chars, ch, sizeof chars);
    std::memset(fgs, fg, sizeof fgs);
    std::memset(bgs, bg, sizeof bgs);
}

void AsciiEngine::draw_image(const char* const* rows, std::uint8_t fg, std::uint8_t bg, char transparent,
                             bool flip_vertical, int row_offset, int col_offset)
{
    for (int i = 0; i < ROWS; ++i) {
        const int target = (flip_vertical ? ROWS - 1 - i : i) + row_offset;
        for (int j = 0; j < COLUMNS; ++j) {
            const char c = rows[i][j];
            if (c != transparent)
                put(target, j + col_offset, static_cast<std::uint8_t>(c), fg, bg);
        }
    }
}

void AsciiEngine::draw_builtin_image(unsigned index, std::uint8_t fg, std::uint8_t bg, char transparent,
                                     bool flip_vertical, int row_offset, int col_offset)
{
    draw_image(builtinImages[index % 4], fg, bg, transparent, flip_vertical, row_offset, col_offset);
}

void AsciiEngine::draw_builtin_image_row(int row, int col, unsigned index, int src_row, std::uint8_t fg,
                                         std::uint8_t bg, char transparent)
{
    if (src_row < 0 || src_row >= ROWS || row < 0 || row >= ROWS)
        return;
    const char* line = builtinImages[index % 4][src_row];
    for (int i = 0; i < COLUMNS; ++i) {
        const char c = line[i];
        if (c != transparent)
            put(row, col + i, static_cast<std::uint8_t>(c), fg, bg);
    }
}

void AsciiEngine::set_viewport(int width, int height, float aspect)
{
    // The sizes are truncated after a tiny upward nudge, so that an aspect
    // given in single precision (4/3 is 1.3333334) still yields the exact
    // 1024x768 inside 1024x1024 rather than 1024x767.
    constexpr double kNudge = 1e-3;
    int w, h;
    if (static_cast<float>(width) / static_cast<float>(height) > aspect) {
        w = static_cast<int>(static_cast<double>(height) * aspect + kNudge);
        h = height;
    } else {
        w = width;
        h = static_cast<int>(static_cast<double>(width) / aspect + kNudge);
    }
    viewport[0] = (width - w) / 2;
    viewport[1] = (height - h) / 2;
    viewport[2] = w;
    viewport[3] = h;
}

