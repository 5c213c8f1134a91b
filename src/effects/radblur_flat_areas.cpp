#include "effects/radblur_flat_areas.h"

#include <algorithm>

#include "util/easydraw/easydraw.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

const char* const kVertex = "data/effects/postproc/radblur/radblur.vert";

int power_of_two_at_least(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

int level_size(int base, int level) { return std::max(1, base >> level); }

void bind_program(ShaderProgram& program)
{
    static const mat4 projection(1);
    program.bind();
    program.set_mat4("ProjectionMatrix", projection.data(), 1, false);
}

}  // namespace

RadblurFlatAreas::RadblurFlatAreas()
    : picture_level(std::make_unique<ShaderProgram>(kVertex, "data/effects/postproc/radblur/radblur_blocks_picture.frag")),
      upper_level(std::make_unique<ShaderProgram>(kVertex, "data/effects/postproc/radblur/radblur_blocks.frag")),
      flat(std::make_unique<ShaderProgram>(kVertex, "data/effects/postproc/radblur/radblur_flat.frag"))
{
}

RadblurFlatAreas::~RadblurFlatAreas()
{
    if (!level_framebuffers.empty())
        glDeleteFramebuffers(static_cast<GLsizei>(level_framebuffers.size()), level_framebuffers.data());
    if (map != 0)
        glDeleteTextures(1, &map);
}

void RadblurFlatAreas::resize_map(int width, int height)
{
    if (width == picture_width && height == picture_height)
        return;
    if (!level_framebuffers.empty())
        glDeleteFramebuffers(static_cast<GLsizei>(level_framebuffers.size()), level_framebuffers.data());
    if (map != 0)
        glDeleteTextures(1, &map);
    picture_width = width;
    picture_height = height;
    // Level 0 has a texel per 2x2 pixels; the sizes are powers of two, so
    // that each level halves the one below down to a single texel.
    map_width = std::max(1, power_of_two_at_least(width) / 2);
    map_height = std::max(1, power_of_two_at_least(height) / 2);
    int levels = 1;
    while (level_size(map_width, levels - 1) > 1 || level_size(map_height, levels - 1) > 1)
        ++levels;
    glGenTextures(1, &map);
    glBindTexture(GL_TEXTURE_2D, map);
    glTexStorage2D(GL_TEXTURE_2D, levels, GL_RG32UI, map_width, map_height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    level_framebuffers.assign(static_cast<std::size_t>(levels), 0);
    glGenFramebuffers(levels, level_framebuffers.data());
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    for (int j = 0; j < levels; ++j) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, level_framebuffers[static_cast<std::size_t>(j)]);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, map, j);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(bound));
}

void RadblurFlatAreas::build_map(FBO* source)
{
    resize_map(source->get_width(), source->get_height());
    GLint bound = 0, viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glDisable(GL_DEPTH_TEST);
    const int levels = static_cast<int>(level_framebuffers.size());
    for (int j = 0; j < levels; ++j) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, level_framebuffers[static_cast<std::size_t>(j)]);
        glViewport(0, 0, level_size(map_width, j), level_size(map_height, j));
        if (j == 0) {
            bind_program(*picture_level);
            source->bind_texture(0, 0);
        } else {
            // The level below alone is sampled; the one drawn lies outside
            // the texture's range.
            bind_program(*upper_level);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, map);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, j - 1);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, j - 1);
        }
        EasyDraw::draw_quad(0, 0, 1, 1);
    }
    glBindTexture(GL_TEXTURE_2D, map);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(bound));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void RadblurFlatAreas::draw(FBO* source, const float params[4])
{
    build_map(source);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    bind_program(*flat);
    flat->set_int("Blocks", 1);
    flat->set_int("TopLevel", static_cast<int>(level_framebuffers.size()) - 1);
    flat->set_float4("RadialBlurParams", params[0], params[1], params[2], params[3]);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, map);
    source->bind_texture(0, 0);
    EasyDraw::draw_quad(0, 0, 1, 1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace Effects
