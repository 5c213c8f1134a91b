#pragma once
// Effects::Oscilloscope: the current audio waveform drawn into the effect's
// own framebuffer, one coloured line strip per channel (a channel is a number
// of interleaved stereo samples, a colour and a vertical offset). The caller
// shows the framebuffer's texture where it likes.
#include <memory>
#include <vector>

#include "effects/effect.h"
#include "util/fbo/fbo.h"
#include "util/math/vec4.h"

class Music;

namespace Effects {

class Oscilloscope : public Effect {
public:
    // A width x height framebuffer (one RGBA8 colour texture).
    Oscilloscope(Music* music, int width, int height);
    ~Oscilloscope() override;

    // sampleCount floats (left and right samples in turn); a trailing odd
    // sample is never drawn.
    void add_channel(int sampleCount, vec4 color, float offset);
    // Redraws the picture; with no channel yet, adds a yellow one of 1024
    // samples first. time is not used.
    void render(float time) override;

    // The points of one channel's line strip: x = k / count, y = (left +
    // right) x 0.75 + offset, one per stereo pair.
    static std::vector<float> strip_points(const std::vector<float>& samples, float offset);

    std::unique_ptr<FBO> framebuffer;
    struct Channel {
        std::vector<float> samples;
        vec4 color;
        float offset;
    };
    std::vector<Channel> channels;
    Music* music;
};

}  // namespace Effects
