#include "util/vectorengine/point_jitter.h"

#include <cmath>
#include <functional>

namespace {

// Eight offsets of 0.001 around a point, x then y, used in turn.
const float kJitter[16] = {
    0.001f, 0.001f, 0.001f, 0.0f, 0.001f, -0.001f, 0.0f, -0.001f,
    -0.001f, -0.001f, -0.001f, 0.0f, -0.001f, 0.001f, 0.0f, 0.001f,
};

}

std::size_t PointJitter::Hash::operator()(const Position& p) const
{
    // -0 and +0 compare equal, so they hash alike.
    const std::size_t hx = std::hash<double>()(p.x == 0.0 ? 0.0 : p.x);
    const std::size_t hy = std::hash<double>()(p.y == 0.0 ? 0.0 : p.y);
    return hx ^ (hy + 0x9e3779b97f4a7c15ull + (hx << 6) + (hx >> 2));
}

bool PointJitter::seen(const std::vector<double>& points, std::size_t count, double x, double y)
{
    count = count / 3 * 3;
    if (count < indexed) {
        // Not the growing list the index follows: look through it.
        for (std::size_t i = 0; i < count; i += 3)
            if (points[i] == x && points[i + 1] == y)
                return true;
        return false;
    }
    // A NaN equals nothing, so it is never indexed (nor found).
    for (; indexed < count; indexed += 3)
        if (!std::isnan(points[indexed]) && !std::isnan(points[indexed + 1]))
            positions.insert({points[indexed], points[indexed + 1]});
    return positions.count({x, y}) > 0;
}

void PointJitter::next(double& dx, double& dy)
{
    dx = kJitter[counter % 16];
    dy = kJitter[(counter + 1) % 16];
    counter = (counter + 2) % 16;
}
