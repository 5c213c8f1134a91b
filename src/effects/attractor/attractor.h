#pragma once
// Effects::Attractor: a glowing strange attractor drawn by its shader over
// the current target (Effects::begin_shader_quad); "time" animates it,
// "intensity" brightens it.
#include <memory>

#include "effects/effect.h"
#include "util/math/vec4.h"

class ShaderProgram;

namespace Effects {

class Attractor : public Effect {
public:
    // Program from "data/effects/attractor/attractor.vert" and ".frag".
    Attractor(vec4 color, float intensity);
    ~Attractor() override;
    void render(float time) override;

    std::unique_ptr<ShaderProgram> program;
    vec4 color;
    float intensity;
};

}  // namespace Effects
