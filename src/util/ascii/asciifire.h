#pragma once
// Rising flames in characters: a heat field three times the canvas width and
// twice its height is cooled and shifted up one sub-row per 16 ms step, fed by
// random sparks along its bottom row, and shown by reducing each 3x2 block of
// sub-cells to one heat value that picks the cell's character and colour.
#include <cstdint>

class AsciiEngine;

class AsciiFire {
public:
    static constexpr int FIELD_WIDTH = 240;
    static constexpr int FIELD_HEIGHT = 100;

    // Seeds the process-wide random generator from the tick count.
    explicit AsciiFire(AsciiEngine* canvas);

    void set_decay(double decay, double target, double speed);
    // Runs the due steps (at most 5), then writes the lit cells; fixed_char
    // -1 takes each cell's character from its heat.
    void draw(int fixed_char);
    // The packed cell for a heat value, or -1 when it is not drawn.
    int heat_to_cell(std::uint8_t heat, int fixed_char) const;

    double get_decay() const { return decay; }
    std::uint8_t get_heat(int y, int x) const { return field[y * FIELD_WIDTH + x]; }

private:
    void step();

    AsciiEngine* canvas;
    int sparks = 25;
    int width = 80;
    int height = 50;
    std::uint8_t field[FIELD_WIDTH * FIELD_HEIGHT] = {};
    double decay = 0.5;
    double decayTarget = 0.25;
    double decaySpeed = 0.002;
    std::uint8_t palette[25];
};
