#include "effects/spectrumline/spectrumline.h"

#include <GL/glew.h>

#include <cmath>
#include <vector>

#include "effects/fixed_function.h"
#include "util/music/music.h"

namespace Effects {

SpectrumLine::SpectrumLine(Music* music_) : music(music_) {}

std::array<SpectrumLine::Band, SpectrumLine::kBands> SpectrumLine::bands(const float* spectrum)
{
    std::array<Band, kBands> out{};
    int pos = 0;
    for (int i = 0; i < kBands; ++i) {
        int end = static_cast<int>(std::pow(2.0f, static_cast<float>(i) * 10.0f / 27.0f));
        if (end > kBins - 1)
            end = kBins - 1;
        if (end <= pos)
            end = pos + 1;
        const int n = end - pos + 10;
        float sum = 0.0f;
        for (int b = pos; b < end; ++b)
            sum += spectrum[b];
        float y = std::sqrt(sum / std::log10(static_cast<float>(n))) * 1.2f;
        if (y > 1.0f)
            y = 1.0f;
        out[i] = Band{pos, end, y};
        pos = end;
    }
    return out;
}

void SpectrumLine::render(float)
{
    begin_line_drawing();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    load_unit_view(0, 1);

    // The silent clock gives no spectrum: the line lies at 0.
    std::vector<float> spectrum(kBins, 0.0f);
    music->getSpectrum(spectrum.data(), -1.0f);
    const auto heights = bands(spectrum.data());
    glLineWidth(2.0f);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < kBands; ++i)
        glVertex2f(static_cast<float>(i) / 27.0f, heights[i].height);
    glEnd();
}

}  // namespace Effects
