#include "effects/fire/fire.h"

#include <GL/glew.h>

#include "system/fatal_error.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

void clear_to_transparent(FBO& fbo)
{
    GLfloat saved[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, saved);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    fbo.push(true);
    fbo.pop();
    glClearColor(saved[0], saved[1], saved[2], saved[3]);
}

}  // namespace

Fire::Fire(int width, int height, const std::string& imagePath)
    : spark_texture(std::make_unique<Texture>("data/common/images/own_particle_256.png", true, true))
{
    const std::string dir = "data/effects/fire/";
    for (int m = 0; m < kModes; ++m) {
        mode_sources[m] = std::make_unique<ShaderConstructor>("EffectsFireMode" + std::to_string(m), "#version 420");
        mode_sources[m]->add_vert_global_piece(dir + "fire_vert_globals.glsl");
        mode_sources[m]->add_vert_body_piece(dir + "fire_vert_body.glsl");
        mode_sources[m]->add_frag_global_piece(dir + "fire_frag_globals.glsl");
        mode_sources[m]->add_frag_body_piece(dir + "fire" + std::to_string(m) + ".glsl");
        mode_programs[m] = std::make_unique<ShaderProgram>(mode_sources[m].get());
    }
    if (!imagePath.empty())
        image_texture = std::make_unique<Texture>(imagePath, true, false);
    for (auto& fbo : framebuffers) {
        fbo = std::make_unique<FBO>(width, height, FBO_TYPE_RGBA8, 0);
        clear_to_transparent(*fbo);
    }
}

Fire::~Fire() = default;

void Fire::update(float time)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    current = 1 - current;
    if (mode < 0 || mode >= kModes)
        FATAL_ERROR("Invalid fire mode!");
    ShaderProgram& program = *mode_programs[mode];

    framebuffers[current]->push(false);
    program.bind();
    program.set_float("time", time);
    program.set_float("image_factor", image_factor);
    program.set_float("image_shinethrough", image_shinethrough);
    program.set_float("spark_pct", spark_pct);
    program.set_int("texPrevious", 0);
    program.set_int("texImage", 1);
    program.set_int("texSpark", 2);
    if (image_texture)
        image_texture->bind(1);
    if (spark_texture)
        spark_texture->bind(2);
    framebuffers[1 - current]->draw();
    framebuffers[current]->pop();
    Texture::unbind(1);
    Texture::unbind(2);
}

void Fire::render(float time)
{
    static const mat4 projection(1);
    static ShaderProgram display(make_texture_color2d_shader("EffectsFire"));
    update(time);
    display.bind();
    display.set_mat4("ProjectionMatrix", projection.data(), 1, false);
    display.set_vec4("Color", color, 1);
    framebuffers[current]->draw();
}

}  // namespace Effects
