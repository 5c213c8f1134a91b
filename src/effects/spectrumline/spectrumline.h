#pragma once
// Effects::SpectrumLine: the current spectrum as a white line strip of 28
// logarithmically spaced bands over the whole target (0..1 in both
// directions), drawn fixed-function.
#include <array>

#include "effects/effect.h"

class Music;

namespace Effects {

class SpectrumLine : public Effect {
public:
    static constexpr int kBands = 28;
    static constexpr int kBins = 1024;

    explicit SpectrumLine(Music* music);
    // time is not used.
    void render(float time) override;

    struct Band {
        int first, end;  // bins first .. end - 1
        float height;    // sqrt(sum / log10(end - first + 10)) x 1.2, at most 1
    };
    // The bands of a spectrum of kBins values.
    static std::array<Band, kBands> bands(const float* spectrum);

    Music* music;
};

}  // namespace Effects
