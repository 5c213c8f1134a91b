#include "picture.h"

#include <cstdio>
#include <stdexcept>

namespace {
const std::uint8_t kRemap[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
const std::uint8_t kPalette[16][3] = {
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},
    {128, 0, 0},     {128, 0, 128},   {128, 128, 0},   {191, 191, 191},
    {128, 128, 128}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};

FILE* open_or_throw(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    return f;
}
}  // namespace

std::uint8_t to_file_colour(std::uint8_t canvasColour) { return kRemap[canvasColour & 15]; }

Picture::Picture(int width, int height, std::uint8_t fill)
    : width(width), height(height), cells(std::size_t(width) * height, fill) {}

std::uint8_t Picture::get(int x, int y) const {
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return cells[std::size_t(y) * width + x];
}

void Picture::set(int x, int y, std::uint8_t colour) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    cells[std::size_t(y) * width + x] = colour & 15;
}

void Picture::fillRect(int x, int y, int w, int h, std::uint8_t colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            set(i, j, colour);
}

void Picture::writeRaw(const std::string& path) const {
    std::vector<std::uint8_t> bytes(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i)
        bytes[i] = to_file_colour(cells[i]);
    FILE* f = open_or_throw(path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void Picture::writePreview(const std::string& path, int scaleX, int scaleY) const {
    FILE* f = open_or_throw(path);
    std::fprintf(f, "P6\n%d %d\n255\n", width * scaleX, height * scaleY);
    for (int y = 0; y < height * scaleY; ++y)
        for (int x = 0; x < width * scaleX; ++x)
            std::fwrite(kPalette[get(x / scaleX, y / scaleY)], 1, 3, f);
    std::fclose(f);
}
