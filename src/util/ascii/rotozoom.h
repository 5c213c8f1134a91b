#pragma once
// A rotating, zooming, endlessly tiled view of a 256x256 raw colour picture
// over the whole canvas, one full block per cell, in 12-bit fixed point. It
// steps its animation by the wall clock, one step per 20 milliseconds, through
// one clock shared by every rotozoomer.
#include <cstdint>

class AsciiEngine;

class Rotozoom {
public:
    static constexpr int kMaxStepsPerDumpFrame = 1;

    Rotozoom(AsciiEngine* canvas, const char* path);

    // Draws the current frame, then advances by the 20 ms steps that passed
    // (while the video dump draws, at most kMaxStepsPerDumpFrame of them).
    // The steps whose zoom is zero draw their neighbour's zoom instead.
    void draw();
    // One frame for fixed-point rotation terms a, b and zoom.
    void draw_frame(int a, int b, int zoom);
    void load_image(const char* path);

    int get_angle_index() const { return angleIndex; }
    int get_zoom_index() const { return zoomIndex; }
    int get_table_a(int i) const { return tableA[i]; }
    int get_table_b(int i) const { return tableB[i]; }
    std::uint8_t get_pixel(int row, int col) const { return image[row * 256 + col]; }

private:
    AsciiEngine* canvas;
    int angleIndex = 0;
    int zoomIndex = 0;
    std::int32_t tableA[256];
    std::int32_t tableB[256];
    std::uint8_t image[256 * 256];
};
