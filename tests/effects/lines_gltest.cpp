// The waveform and spectrum lines: the 28 bands of the spectrum (bin ranges,
// heights, the clamp at 1), the waveform's strip points (odd counts never
// read past the samples), and both drawn on the silent clock, where they lie
// flat on their offsets instead of drawing leftover memory.
#include <cmath>
#include <vector>

#include "effect_fixtures.h"
#include "effects/oscilloscope/oscilloscope.h"
#include "effects/spectrumline/spectrumline.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using namespace effecttest;
using Effects::Oscilloscope;
using Effects::SpectrumLine;

class LinesGLTest : public EffectGLTest {
protected:
    // Draws with a program left bound by an earlier draw (which would
    // swallow the lines); the draw must unbind it.
    template <class F>
    static void expect_unbinds_program(F draw)
    {
        ShaderProgram junk(make_color2d_shader("LinesTestJunk"));
        junk.bind();
        draw();
        GLint bound = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &bound);
        EXPECT_EQ(bound, 0);
    }
};

TEST_F(LinesGLTest, TwentyEightSpectrumBands)
{
    std::vector<float> spectrum(SpectrumLine::kBins, 0.0f);
    auto bands = SpectrumLine::bands(spectrum.data());
    // Bands 0 to 9 are the single bins 0 to 9, then they widen; the last
    // ends before bin 1023.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(bands[i].first, i);
        EXPECT_EQ(bands[i].end, i + 1);
    }
    EXPECT_EQ(bands[10].first, 10);
    EXPECT_EQ(bands[10].end, 13);
    EXPECT_EQ(bands[11].first, 13);
    EXPECT_EQ(bands[11].end, 16);
    EXPECT_EQ(bands[12].end, 21);
    EXPECT_EQ(bands[26].first, 612);
    EXPECT_EQ(bands[26].end, 792);
    EXPECT_EQ(bands[27].first, 792);
    EXPECT_EQ(bands[27].end, 1023);
    for (int i = 1; i < SpectrumLine::kBands; ++i)
        EXPECT_EQ(bands[i].first, bands[i - 1].end) << i;
    for (const auto& b : bands)
        EXPECT_EQ(b.height, 0.0f);

    // One bin in band 10 (n = 3 + 10): sqrt(0.3 / log10(13)) x 1.2.
    spectrum[11] = 0.3f;
    spectrum[1023] = 1000.0f;  // never summed
    bands = SpectrumLine::bands(spectrum.data());
    EXPECT_NEAR(bands[10].height, std::sqrt(0.3f / std::log10(13.0f)) * 1.2f, 1e-6f);
    EXPECT_EQ(bands[27].height, 0.0f);
    // Loud: clamped at 1.
    spectrum[800] = 50.0f;
    EXPECT_EQ(SpectrumLine::bands(spectrum.data())[27].height, 1.0f);
}

TEST_F(LinesGLTest, WaveformStripPoints)
{
    auto points = Oscilloscope::strip_points({0.2f, 0.4f, -1.0f, 0.0f}, 0.5f);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_FLOAT_EQ(points[0], 0.0f);
    EXPECT_FLOAT_EQ(points[1], 0.6f * 0.75f + 0.5f);
    EXPECT_FLOAT_EQ(points[2], 0.5f);
    EXPECT_FLOAT_EQ(points[3], -0.75f + 0.5f);
    // An odd count: the last sample has no partner and is not drawn.
    points = Oscilloscope::strip_points({1, 1, 1, 1, 1}, 0.0f);
    EXPECT_EQ(points.size(), 4u);
    EXPECT_TRUE(Oscilloscope::strip_points({1}, 0.0f).empty());
    // 1024 samples: 512 points from x 0 to 1022 / 1024.
    points = Oscilloscope::strip_points(std::vector<float>(1024, 0.0f), 0.0f);
    ASSERT_EQ(points.size(), 1024u);
    EXPECT_FLOAT_EQ(points[1022], 1022.0f / 1024.0f);
}

TEST_F(LinesGLTest, SilentOscilloscopeDrawsFlatLinesOnTheirOffsets)
{
    auto music = silent_music();
    Oscilloscope scope(music.get(), 64, 64);
    expect_unbinds_program([&] { scope.render(0.0f); });
    ASSERT_EQ(scope.channels.size(), 1u);  // the default channel
    EXPECT_EQ(scope.channels[0].samples.size(), 1024u);

    // Fill the buffers with junk: the silent clock gives nothing, so the
    // lines must come out flat, not from the junk.
    scope.add_channel(33, vec4(0, 1, 1, 1), 0.5f);
    for (auto& c : scope.channels)
        std::fill(c.samples.begin(), c.samples.end(), 0.9f);
    scope.render(0.0f);
    FBO& fbo = *scope.framebuffer;
    fbo.push(false);
    const auto px = gltest::read_rgba(0, 0, 64, 64);
    fbo.pop();
    auto at = [&](int x, int y) { return &px[(y * 64 + x) * 4]; };
    // y = 0 lies on row 32 of -1..1, y = 0.5 on row 48: yellow and cyan.
    int yellow = 0, cyan = 0, other = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 2; x < 30; ++x) {
            const std::uint8_t* p = at(x, y);
            if (p[3] == 0)
                continue;
            if (p[0] > 200 && p[1] > 200 && p[2] < 50 && std::abs(y - 32) <= 1)
                ++yellow;
            else if (p[0] < 50 && p[1] > 200 && p[2] > 200 && std::abs(y - 48) <= 1)
                ++cyan;
            else
                ++other;
        }
    EXPECT_GT(yellow, 20);
    EXPECT_GT(cyan, 20);
    EXPECT_EQ(other, 0);
}

TEST_F(LinesGLTest, SilentSpectrumLineLiesOnTheBottomAndUnbindsThePreviousProgram)
{
    auto music = silent_music();
    SpectrumLine line(music.get());
    glViewport(0, 0, 64, 64);
    expect_unbinds_program([&] { line.render(0.0f); });
    int bottom = 0, above = 0;
    const auto px = gltest::read_rgba(0, 0, 64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (px[(y * 64 + x) * 4] > 200)
                (y <= 1 ? bottom : above)++;
    EXPECT_GT(bottom, 30);
    EXPECT_EQ(above, 0);
}

}  // namespace
