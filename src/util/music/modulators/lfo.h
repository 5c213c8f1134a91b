#pragma once
// Low-frequency oscillator (sine or saw) that runs while a note is held.
#include <cstdint>

#include "util/music/modulators/modulator.h"

class LFO final : public Modulator {
public:
    LFO(int wave, int controller, int numerator, int denominator, bool triplet);

    // A period of 0 (denominator 0 or a zero-length range) reads 0.
    float evaluate(float bpm, float now, float lastOff, float lastOn) override;

    std::int32_t wave; // 0 sine, 1 saw
};
