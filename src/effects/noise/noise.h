#pragma once
// Effects::Noise: animated noise over the current target, drawn like
// Effects::Attractor (Effects::begin_shader_quad); its "time" is a pseudo-random value (100 to 3276800)
// that depends only on the time it draws.
#include <memory>

#include "effects/effect.h"
#include "util/math/vec4.h"

class ShaderProgram;

namespace Effects {

class Noise : public Effect {
public:
    // Program from "data/effects/noise/noise.vert" and ".frag".
    explicit Noise(vec4 color);
    ~Noise() override;
    void render(float time) override;

    std::unique_ptr<ShaderProgram> program;
    vec4 color;
};

}  // namespace Effects
