#include "effects/radialblur/radialblur.h"

#include <GL/glew.h>

#include "system/fatal_error.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

namespace Effects {

namespace {

const char* const kVertex = "data/effects/radialblur/radialblur.vert";

}  // namespace

RadialBlur::RadialBlur(Texture* texture_)
    : origin_program(std::make_unique<ShaderProgram>(kVertex, "data/effects/radialblur/radialblur_origin.frag")),
      iterations_program(
          std::make_unique<ShaderProgram>(kVertex, "data/effects/radialblur/radialblur_iterations.frag")),
      texture(texture_)
{
}

RadialBlur::~RadialBlur() = default;

void RadialBlur::render(float)
{
    if (!texture)
        FATAL_ERROR("Trying to radialblur without setting texture");
    const GLboolean blend = glIsEnabled(GL_BLEND);
    GLint blendState[4];
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendState[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendState[1]);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendState[2]);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &blendState[3]);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    ShaderProgram& program = use_iterations ? *iterations_program : *origin_program;
    program.bind();
    program.set_float4("RadialBlurParams", centre_x, centre_y, step, use_iterations ? iterations : intensity);
    glColor4fv(color.data());
    texture->draw_fullscreen(0, 0, 1, 1);

    glBlendFuncSeparate(GLenum(blendState[0]), GLenum(blendState[1]), GLenum(blendState[2]), GLenum(blendState[3]));
    if (!blend)
        glDisable(GL_BLEND);
}

}  // namespace Effects
