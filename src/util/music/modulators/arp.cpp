#include "util/music/modulators/arp.h"

#include <string>

#include "system/fatal_error.h"

Arp::Arp(int pattern_, int octaves_, int numerator, int denominator, bool triplet)
    : pattern(pattern_), octaves(octaves_)
{
    type = 2;
    period = noteLengthBeats(numerator, denominator, triplet);
}

float Arp::evaluate(float, float, float lastOff, float lastOn)
{
    return lastOn > lastOff ? 1.0f : 0.0f;
}

std::uint32_t Arp::step(float, float now, float start, std::uint32_t count)
{
    if (count <= 1)
        return 0;
    if (pattern != 0)
        FATAL_ERROR("Unhandled arp pattern " + std::to_string(pattern) + "!\n");
    if (!(period > 0.0f))
        return 0;
    const float steps = (now - start) / period;
    std::uint32_t n = 0;
    if (steps >= 4294967295.0f)
        n = 4294967295u;
    else if (steps > 0.0f)
        n = static_cast<std::uint32_t>(steps);
    const std::uint32_t m = 2 * count - 2;
    std::uint32_t i = n % m;
    if (i >= count)
        i = 2 * (count - 1) - i;
    return i;
}
