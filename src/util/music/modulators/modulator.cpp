#include "util/music/modulators/modulator.h"

#include <string>

#include "system/fatal_error.h"

ModulatorRangeTable::ModulatorRangeTable() = default;

float noteLengthBeats(int numerator, int denominator, bool triplet)
{
    if (denominator == 0)
        return 0.0f;
    float beats = static_cast<float>(numerator) * 4.0f / static_cast<float>(denominator);
    if (triplet)
        beats *= 0.6666667f;
    return beats;
}

Modulator::Modulator() : controller(-1), type(-1), intensity(1.0f), period(0.0f) {}

float Modulator::evaluate(float, float, float, float)
{
    return 1.0f;
}

std::int32_t Modulator::getType()
{
    return type;
}

std::int32_t Modulator::getController()
{
    return controller;
}

void Modulator::setIntensity(float value)
{
    intensity = value;
}

void Modulator::addRange(int min, int max, int numerator, int denominator, bool triplet)
{
    appendRange(static_cast<std::uint8_t>(min & 0xff), static_cast<std::uint8_t>(max & 0xff),
                noteLengthBeats(numerator, denominator, triplet));
}

void Modulator::appendRange(std::uint8_t min, std::uint8_t max, float beats)
{
    ranges.min.push_back(min);
    ranges.max.push_back(max);
    ranges.beats.push_back(beats);
}

float Modulator::lookupRange(std::uint8_t value)
{
    // The first range whose maximum holds the value decides. Its minimum is
    // exclusive, except that a lane at 0 selects a range starting at 0
    // (otherwise no lane could ever sit at 0); a value in a gap between
    // ranges is a broken range table.
    for (std::size_t i = 0; i < ranges.max.size(); ++i) {
        if (value > ranges.max[i])
            continue;
        if (value > ranges.min[i] || (value == 0 && ranges.min[i] == 0))
            return ranges.beats[i];
        FATAL_ERROR("How did this happen?");
    }
    return period;
}

void Modulator::setControllerValue(int value)
{
    if (value < 0 || value > 127)
        FATAL_ERROR("Value out of bounds: " + std::to_string(value));
    period = lookupRange(static_cast<std::uint8_t>(value));
}
