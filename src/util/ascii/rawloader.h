#pragma once
// A raw colour-index picture (".raw"): width x height bytes, row-major from
// the top-left pixel, each a colour in the order black, red, green, yellow,
// blue, magenta, cyan, white and then the bright eight. Loading turns them
// into canvas palette indexes; drawing puts one cell per pixel.
#include <cstdint>

class AsciiEngine;

class RawLoader {
public:
    // File colour index -> canvas palette index (red and blue bits swapped).
    static constexpr std::uint8_t colourRemap[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};

    // Converts count file bytes through colourRemap into out. A byte above 15
    // is no colour of the format: a fatal error naming the file.
    static void remap_colours(const std::uint8_t* file, std::uint8_t* out, int count, const char* path);

    RawLoader(AsciiEngine* canvas, const char* path, int width, int height);
    ~RawLoader();
    RawLoader(const RawLoader&) = delete;
    RawLoader& operator=(const RawLoader&) = delete;

    // Canvas cell (r, c) shows pixel (y + r, x + c) as character ch in the
    // pixel's colour on background 0; pixels equal to transparent are skipped.
    void draw(std::uint8_t ch, int transparent, int x, int y);
    // The same cells, sampled rotated by angle (radians) and zoomed about the
    // picture's centre. Samples that are not finite or leave the int range
    // are skipped.
    void draw_rotated(std::uint8_t ch, int transparent, int x, int y, double angle, double zoom_x, double zoom_y);

    int get_width() const { return width; }
    int get_height() const { return height; }
    std::uint8_t get_pixel(int row, int col) const { return pixels[row * width + col]; }

private:
    AsciiEngine* canvas;
    int width;
    int height;
    std::uint8_t* pixels = nullptr;
};
