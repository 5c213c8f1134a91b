#pragma once
// Attack-decay-sustain-release envelope over a note's on and off beats.
#include <cstdint>

#include "util/music/modulators/modulator.h"

class ADSR final : public Modulator {
public:
    ADSR(float attack, int attackSlope, float decay, int decaySlope, float sustain, float release,
         int releaseSlope);

    float evaluate(float bpm, float now, float lastOff, float lastOn) override;

    float riseLinear(float t, float d);
    float fallLinear(float t, float d);
    float riseExp(float t, float d);
    float fallExp(float t, float d);
    float riseExpInv(float t, float d);
    float fallExpInv(float t, float d);

    float attack;
    std::int32_t attackSlope;
    float decay;
    std::int32_t decaySlope;
    float sustain;
    float release;
    std::int32_t releaseSlope;
    float curveBase;

private:
    float rise(int slope, float t, float d);
    float fall(int slope, float t, float d);
};
