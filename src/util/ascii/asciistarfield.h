#pragma once
// A one-layer horizontal starfield: 30 stars, each a '.' on its own row,
// drifting sideways at their own speed, brighter the faster they go, and
// re-entering at the edge they move away from.
class AsciiEngine;

class AsciiStarfield {
public:
    static constexpr int STARS = 30;

    // Seeds the process-wide random generator from the tick count and places
    // every star at the right or the left edge.
    AsciiStarfield(AsciiEngine* canvas, bool start_right);

    void draw(float step);
    void move(float step);
    void respawn(int index, bool at_right);

    float get_x(int i) const { return x[i]; }
    int get_row(int i) const { return row[i]; }
    float get_speed(int i) const { return speed[i]; }

private:
    AsciiEngine* canvas;
    float x[STARS];
    int row[STARS];
    float speed[STARS];
};
