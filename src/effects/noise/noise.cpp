#include "effects/noise/noise.h"

#include "effects/shader_quad.h"
#include "util/math/random.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

Noise::Noise(vec4 color_)
    : program(std::make_unique<ShaderProgram>("data/effects/noise/noise.vert", "data/effects/noise/noise.frag")),
      color(color_)
{
}

Noise::~Noise() = default;

void Noise::render(float time)
{
    begin_shader_quad(*program, color, time);
    program->set_float("time", static_cast<float>(velmo_rand() * 100 + 100));
    draw_shader_quad();
}

}  // namespace Effects
