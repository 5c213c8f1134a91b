#include "util/music/modulators/adsr.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "system/fatal_error.h"

ADSR::ADSR(float attack_, int attackSlope_, float decay_, int decaySlope_, float sustain_, float release_,
           int releaseSlope_)
    : attack(attack_),
      attackSlope(attackSlope_),
      decay(decay_),
      decaySlope(decaySlope_),
      sustain(sustain_),
      release(release_),
      releaseSlope(releaseSlope_),
      curveBase(250.0f)
{
    type = 0;
}

float ADSR::riseLinear(float t, float d)
{
    return t / d;
}

float ADSR::fallLinear(float t, float d)
{
    return 1.0f - t / d;
}

float ADSR::riseExp(float t, float d)
{
    return static_cast<float>((std::pow(static_cast<double>(curveBase), static_cast<double>(t / d)) - 1.0)
                              / (curveBase - 1.0f));
}

float ADSR::fallExp(float t, float d)
{
    return static_cast<float>((std::pow(static_cast<double>(curveBase), static_cast<double>((d - t) / d)) - 1.0)
                              / (curveBase - 1.0f));
}

float ADSR::riseExpInv(float t, float d)
{
    return 1.0f - fallExp(t, d);
}

float ADSR::fallExpInv(float t, float d)
{
    return 1.0f - riseExp(t, d);
}

float ADSR::rise(int slope, float t, float d)
{
    switch (slope) {
    case 0: return riseLinear(t, d);
    case 1: return riseExp(t, d);
    case 2: return riseExpInv(t, d);
    default: FATAL_ERROR("Unrecognized slope type " + std::to_string(slope));
    }
}

float ADSR::fall(int slope, float t, float d)
{
    switch (slope) {
    case 0: return fallLinear(t, d);
    case 1: return fallExp(t, d);
    case 2: return fallExpInv(t, d);
    default: FATAL_ERROR("Unrecognized slope type " + std::to_string(slope));
    }
}

float ADSR::evaluate(float, float now, float lastOff, float lastOn)
{
    if (lastOn < 0.0f)
        return 0.0f;
    const float t = now - lastOn;
    if (t < attack)
        return rise(attackSlope, t, attack);
    if (t < attack + decay)
        return fall(decaySlope, t - attack, decay) * (1.0f - sustain) + sustain;
    if (lastOn > lastOff)
        return sustain;
    if (release <= 0.0f)
        return 0.0f;
    const float r0 = lastOn + std::max(attack + decay, lastOff - lastOn);
    const float tr = now - r0;
    if (tr >= release)
        return 0.0f;
    return fall(releaseSlope, tr, release) * sustain;
}
