#pragma once
// Base of the note modulators (ADSR, LFO, Arp): a value over time for one
// note from its last note-on and note-off, an optional MIDI controller that
// selects the period through a table of controller ranges.
#include <cstdint>
#include <vector>

// Controller ranges: entry i covers values up to max[i] and stands for
// beats[i] beats. Entries stay in the order they were added.
struct ModulatorRangeTable {
    std::vector<std::uint8_t> min;
    std::vector<std::uint8_t> max;
    std::vector<float> beats;

    ModulatorRangeTable();
};

// Length in beats of numerator/denominator of a whole note (four beats),
// two thirds of it for a triplet, 0 for a denominator of 0.
float noteLengthBeats(int numerator, int denominator, bool triplet);

class Modulator {
public:
    Modulator();

    virtual float evaluate(float bpm, float now, float lastOff, float lastOn);

    std::int32_t getType();
    std::int32_t getController();
    void setIntensity(float intensity);
    void addRange(int min, int max, int numerator, int denominator, bool triplet);
    void appendRange(std::uint8_t min, std::uint8_t max, float beats);
    // The beats of the first range whose maximum is at least `value` (fatal
    // when `value` lies at or below that range's minimum, 0 aside); the
    // current period when no range reaches that high.
    float lookupRange(std::uint8_t value);
    // Fatal outside 0..127; otherwise the period becomes the range's length.
    void setControllerValue(int value);

    std::int32_t controller;
    std::int32_t type;
    float intensity;
    float period;
    ModulatorRangeTable ranges;
};
