#include "effects/attractor/attractor.h"

#include "effects/shader_quad.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

Attractor::Attractor(vec4 color_, float intensity_)
    : program(std::make_unique<ShaderProgram>("data/effects/attractor/attractor.vert",
                                              "data/effects/attractor/attractor.frag")),
      color(color_), intensity(intensity_)
{
}

Attractor::~Attractor() = default;

void Attractor::render(float time)
{
    begin_shader_quad(*program, color, time);
    program->set_float("time", time);
    program->set_float("intensity", intensity);
    draw_shader_quad();
}

}  // namespace Effects
