#include "effects/skydome/skydome.h"

#include <GL/glew.h>

#include "system/fatal_error.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

float g_skyClock = 0.0f;

}  // namespace

SkyDome::SkyDome()
    : first_texture("data/effects/skydome/clouds.png", true, true),
      second_texture("data/effects/skydome/stars.png", true, true),
      program(std::make_unique<ShaderProgram>("data/effects/skydome/skydome.vert", "data/effects/skydome/skydome.frag"))
{
    const char* dome = "data/effects/skydome/dome.sgl";
    if (!model.load(dome))
        FATAL_ERROR(std::string("Failed to load sky dome model ") + dome);
}

SkyDome::~SkyDome() = default;

float SkyDome::sky_clock() { return g_skyClock; }

void SkyDome::render(float time)
{
    static const vec4 horizon(0.9f, 0.7f, 0.7f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(horizontal_scale, vertical_scale, horizontal_scale);
    glDisable(GL_DEPTH_TEST);
    if (last_time < 0.0f)
        last_time = time;
    g_skyClock += (time - last_time) * 0.005f;

    program->bind();
    program->set_float("time", g_skyClock);
    program->set_vec4("horizon", horizon, 1);
    program->set_vec4("bbox", bounds, 1);
    program->set_int("s_texture_0", 0);
    program->set_int("s_texture_1", 1);
    program->set_float("daylight", daylight);
    program->set_float("tex2_factor", tex2_factor);
    program->set_float("tex2_scale", tex2_scale);
    program->set_float("tex2_offset", tex2_offset);
    first_texture.bind(0);
    second_texture.bind(1);
    model.draw();
    Texture::unbind(1);
    Texture::unbind(0);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    last_time = time;
}

}  // namespace Effects
