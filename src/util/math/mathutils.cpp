#include "util/math/mathutils.h"

#include <cmath>

#include "util/math/random.h"

float round_to_decimals(float x, int digits)
{
    const float divisor = static_cast<float>(std::pow(10.0, digits));
    const float scaled = static_cast<float>(static_cast<double>(x) * std::pow(10.0, digits) + 0.5);
    return std::floor(scaled) / divisor;
}

float radians_to_degrees(float r) { return r / 0.017453292f; }

float lerp(float a, float b, float t) { return (1.0f - t) * a + b * t; }

float sine_ease(float t) { return std::sin(t * 3.1415927f - 1.5707964f) * 0.5f + 0.5f; }

float random_float(float min, float max)
{
    return static_cast<float>(velmo_rand()) / 32767.0f * (max - min) + min;
}

int clamp_to_int(double value, int lo, int hi)
{
    if (std::isnan(value))
        value = 0.0;
    if (value <= static_cast<double>(lo))
        return lo;
    if (value >= static_cast<double>(hi))
        return hi;
    return static_cast<int>(value);
}
