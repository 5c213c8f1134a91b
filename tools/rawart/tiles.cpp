#include "tiles.h"

#include <cmath>

Picture draw_tiles() {
    const double tau = 6.283185307179586;
    // Two colour ramps, swapped in a 64 x 64 checkerboard: deep blues and
    // purples, dark enough that the bright title reads over them.
    const std::uint8_t blue[8] = {0, 1, 1, 9, 3, 11, 3, 1};
    const std::uint8_t purple[8] = {0, 5, 5, 13, 4, 12, 4, 5};
    Picture p(256, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            double v = std::sin(tau * x / 128.0) + std::sin(tau * y / 64.0) +
                       std::sin(tau * (x + y) / 256.0) + std::sin(tau * (x - y) / 128.0);
            int level = int((v + 4.0) / 8.0 * 15.999) % 8;
            bool other = ((x / 64) + (y / 64)) % 2 == 1;
            std::uint8_t c = other ? purple[level] : blue[level];
            // A thin diamond lattice over the waves.
            if ((x + y) % 32 == 0 || (x - y + 256) % 32 == 0)
                c = other ? 8 : 0;
            p.set(x, y, c);
        }
    return p;
}
