#pragma once
// Arpeggiator: of the held notes of a track it lets one at a time through,
// stepping up and down the held list at a fixed note length.
#include <cstdint>

#include "util/music/modulators/modulator.h"

class Arp final : public Modulator {
public:
    Arp(int pattern, int octaves, int numerator, int denominator, bool triplet);

    // 1 while the note is held (lastOn > lastOff), else 0.
    float evaluate(float bpm, float now, float lastOff, float lastOn) override;
    // Position in the held list that passes at `now` for `count` held notes
    // whose latest change was at `start`. A step length of 0 stays at 0.
    std::uint32_t step(float bpm, float now, float start, std::uint32_t count);

    std::int32_t pattern; // 0 updown, 1 up, 2 down
    std::int32_t octaves;
};
