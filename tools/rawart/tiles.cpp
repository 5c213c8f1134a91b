#include "tiles.h"

#include <cmath>

// Only waves as long as the tile: the rotozoomer often steps tens of texels
// from cell to cell, and slow waves turn that into broad moire patterns
// rather than noise.
Picture draw_tiles() {
    const double tau = 6.283185307179586;
    // Blues and cyans, then purples: no white, yellow or red, which the
    // title lettering uses.
    const std::uint8_t ramp[16] = {1, 1, 9, 3, 11, 11, 3, 9, 1, 1, 5, 13, 13, 5, 1, 0};
    Picture p(256, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const double v = std::sin(tau * x / 256.0) * std::cos(tau * y / 256.0) +
                             0.5 * std::sin(tau * (x + y) / 256.0) + 0.5 * std::cos(tau * (x - y) / 256.0);
            const double t = (v + 2.0) / 4.0;  // 0 to 1
            p.set(x, y, ramp[int(t * 16 * 0.999) % 16]);
        }
    return p;
}
