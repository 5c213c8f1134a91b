#pragma once
// A plain-text picture (".asc"): one picture row per line, stored byte for
// byte; shorter lines are padded with zero bytes to the longest.
#include <cstdint>

class AsciiEngine;

class AsciiLoader {
public:
    AsciiLoader(AsciiEngine* canvas, const char* path);
    ~AsciiLoader();
    AsciiLoader(const AsciiLoader&) = delete;
    AsciiLoader& operator=(const AsciiLoader&) = delete;

    int get_width() const { return width; }
    int get_height() const { return height; }
    std::uint8_t get_cell(int row, int col) const { return cells[row * width + col]; }

private:
    AsciiEngine* canvas;
    int width = 0;
    int height = 0;
    std::uint8_t* cells = nullptr;
};
