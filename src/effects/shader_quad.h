#pragma once
// The full-target quad that the shader-driven effects (attractor, noise, ray
// marcher) draw through their program.
#include "util/math/vec4.h"

class ShaderProgram;

namespace Effects {

// Alpha blending (source alpha, one minus source alpha), the colour set, 2D
// texturing, depth test and lighting off, colour material on; the engine's
// random generator seeded with the bit pattern of time; the program bound.
void begin_shader_quad(ShaderProgram& program, const vec4& color, float time);
// One quad over the whole viewport: identity modelview, a 0..1 orthographic
// projection, both pushed and popped; the matrix mode ends on modelview.
void draw_shader_quad();

}  // namespace Effects
