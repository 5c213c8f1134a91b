#include "util/music/modulators/lfo.h"

#include <cmath>
#include <string>

#include "system/fatal_error.h"

LFO::LFO(int wave_, int controller_, int numerator, int denominator, bool triplet) : wave(wave_)
{
    type = 1;
    controller = controller_;
    period = noteLengthBeats(numerator, denominator, triplet);
}

float LFO::evaluate(float, float now, float lastOff, float lastOn)
{
    if (lastOn <= lastOff)
        return 0.0f;
    const float t = now - lastOn;
    switch (wave) {
    case 0:
        if (!(period > 0.0f))
            return 0.0f;
        return 0.5f * std::sin(6.2831855f * t / period + (-1.5707964f)) + 0.5f;
    case 1:
        if (!(period > 0.0f))
            return 0.0f;
        return std::fmod(t, period);
    default:
        FATAL_ERROR("Unsupported wave type: " + std::to_string(wave));
    }
}
