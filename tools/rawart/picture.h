#pragma once
// A raw colour-index picture being drawn: width x height cells, each a colour
// index of the text-mode canvas palette (0 black .. 15 white). Written to disk
// in the raw file order (black, red, green, yellow, blue, ...), which swaps the
// red and blue bits of every index.
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    Picture(int width, int height, std::uint8_t fill);

    std::uint8_t get(int x, int y) const;          // wraps around the edges
    void set(int x, int y, std::uint8_t colour);  // ignores cells outside
    void fillRect(int x, int y, int w, int h, std::uint8_t colour);

    // The raw file: one byte per cell, rows from the top, file colour order.
    void writeRaw(const std::string& path) const;
    // A PPM image in the canvas palette, for looking at the picture.
    void writePreview(const std::string& path, int scaleX, int scaleY) const;

    int width;
    int height;
    std::vector<std::uint8_t> cells;
};

// Canvas index -> file index (the mapping is its own inverse).
std::uint8_t to_file_colour(std::uint8_t canvasColour);
