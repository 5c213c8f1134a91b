#include "lighthouse.h"

#include <cmath>
#include <cstdlib>

namespace {
constexpr int kW = 50;  // upright width  (becomes the picture's rows)
constexpr int kH = 80;  // upright height (becomes the picture's columns)

// A small deterministic hash for scattering stars and foam.
unsigned hash2(int x, int y) {
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

void draw_sky(Picture& up) {
    for (int y = 0; y < 62; ++y)
        for (int x = 0; x < kW; ++x) {
            unsigned h = hash2(x, y) % 97;
            if (h == 0)
                up.set(x, y, 15);
            else if (h < 3)
                up.set(x, y, 8);
        }
    // The moon, with a darker edge.
    for (int y = 2; y < 13; ++y)
        for (int x = 34; x < 48; ++x) {
            double dx = (x - 41) / 1.2, dy = y - 7.0;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d < 3.6)
                up.set(x, y, 15);
            else if (d < 4.6)
                up.set(x, y, 7);
        }
}

void draw_beams(Picture& up) {
    const double cx = 25, cy = 15;
    for (int y = 0; y < 62; ++y)
        for (int x = 0; x < kW; ++x) {
            double dx = x - cx, dy = y - cy;
            double ax = std::fabs(dx);
            if (ax < 5)
                continue;
            // Two wedges widening away from the lantern, tilted slightly up.
            double centre = -0.12 * ax;
            double half = 1.5 + 0.2 * ax;
            double off = std::fabs(dy - centre);
            if (off > half)
                continue;
            double edge = off / half;  // 0 on the axis, 1 at the border
            double fall = ax / 25.0;   // 0 at the lantern, 1 at the edge
            double level = (1.0 - edge) * 1.4 + (1.0 - fall) * 1.2;
            bool dither = ((x + y) & 1) == 0;
            std::uint8_t c;
            if (level > 2.0)
                c = 15;
            else if (level > 1.5)
                c = 14;
            else if (level > 1.0)
                c = dither ? 14 : 6;
            else if (level > 0.6)
                c = 6;
            else
                c = dither ? 8 : 0;
            if (c)
                up.set(x, y, c);
        }
}

void draw_tower(Picture& up) {
    // Roof: a red cone with a bright tip.
    for (int y = 6; y <= 10; ++y) {
        int half = (y - 6) + 1;
        for (int x = 25 - half; x <= 25 + half; ++x)
            up.set(x, y, x > 25 ? 4 : 12);
    }
    up.set(25, 5, 14);
    // Lantern room: dark frame, glowing glass.
    up.fillRect(20, 11, 11, 8, 8);
    for (int y = 12; y < 18; ++y)
        for (int x = 21; x < 30; ++x)
            up.set(x, y, (x == 24 || x == 27) ? 6 : (std::abs(x - 25) < 2 ? 15 : 14));
    // Gallery with its railing.
    up.fillRect(17, 19, 17, 2, 7);
    for (int x = 17; x < 34; x += 2)
        up.set(x, 18, 8);
    // Tower: red and white bands, lit from the left.
    for (int y = 21; y < 65; ++y) {
        double t = (y - 21) / 43.0;
        int half = int(4 + t * 4.5);
        bool red = ((y - 21) / 8) % 2 == 0;
        for (int x = 25 - half; x <= 25 + half; ++x) {
            std::uint8_t c = red ? 12 : 15;
            if (x >= 25 + half - 1)
                c = red ? 4 : 7;
            else if (x <= 25 - half)
                c = red ? 12 : 15;
            up.set(x, y, c);
        }
        // Window slits in the white bands.
        if (!red && (y - 21) % 8 == 3)
            up.set(25, y, 1);
    }
    // Door.
    up.fillRect(24, 59, 3, 6, 6);
    up.set(25, 59, 0);
}

void draw_rocks_and_sea(Picture& up) {
    for (int y = 62; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            // Sea: rows of waves, crests where a sine passes its top.
            double wave = std::sin(x * 0.45 + y * 1.7) + 0.6 * std::sin(x * 0.13 - y * 0.9);
            std::uint8_t c = (y % 3 == 0) ? 1 : 9;
            if (wave > 1.25)
                c = 11;
            if (wave > 1.5 && hash2(x, y) % 3 == 0)
                c = 15;
            // The lantern's reflection, broken up by the waves.
            if (std::abs(x - 25) <= 3 - (y - 62) / 8 && hash2(x, y) % 2 == 0)
                c = (y < 70) ? 14 : 6;
            up.set(x, y, c);
        }
    // Rocks at the foot of the tower.
    for (int y = 62; y < 72; ++y)
        for (int x = 0; x < kW; ++x) {
            double dx = (x - 25) / 17.0, dy = (y - 64) / 6.0;
            double d = dx * dx + dy * dy + (hash2(x / 2, y) % 5) * 0.04;
            if (d < 1.0)
                up.set(x, y, d < 0.35 ? 7 : 8);
        }
}
}  // namespace

Picture draw_lighthouse() {
    Picture up(kW, kH, 0);
    draw_sky(up);
    draw_beams(up);
    draw_tower(up);
    draw_rocks_and_sea(up);

    // Lay it on its side: picture row r, column c shows upright cell
    // (x = 49 - r, y = c), so that the quarter turn stands it up again.
    Picture picture(80, 50, 0);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            picture.set(c, r, up.get(kW - 1 - r, c));
    return picture;
}
