#include "effects/radblur_flat_areas.h"

#include "util/easydraw/easydraw.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

const char* const kVertex = "data/effects/postproc/radblur/radblur.vert";
constexpr int kBlock = 8;  // pixels of a block of the map, each way
constexpr int kTile = 16;  // pixels of a tile, each way

int blocks_of(int pixels, int size) { return (pixels + size - 1) / size; }

void bind_program(ShaderProgram& program)
{
    static const mat4 projection(1);
    program.bind();
    program.set_mat4("ProjectionMatrix", projection.data(), 1, false);
}

}  // namespace

RadblurFlatAreas::RadblurFlatAreas(const char* tilesFragment, const char* flatFragment, const char* paramsName)
    : blocks_program(std::make_unique<ShaderProgram>(kVertex, "data/effects/postproc/radblur/radblur_blocks.frag")),
      tiles_program(std::make_unique<ShaderProgram>(kVertex, tilesFragment)),
      flat_program(std::make_unique<ShaderProgram>(kVertex, flatFragment)),
      params_name(paramsName)
{
}

RadblurFlatAreas::~RadblurFlatAreas()
{
    if (framebuffers[0] != 0)
        glDeleteFramebuffers(2, framebuffers);
    if (textures[0] != 0)
        glDeleteTextures(2, textures);
}

void RadblurFlatAreas::resize(int width, int height)
{
    if (width == picture_width && height == picture_height)
        return;
    if (framebuffers[0] != 0)
        glDeleteFramebuffers(2, framebuffers);
    if (textures[0] != 0)
        glDeleteTextures(2, textures);
    picture_width = width;
    picture_height = height;
    glGenTextures(2, textures);
    glGenFramebuffers(2, framebuffers);
    const GLenum formats[2] = {GL_RG32UI, GL_R8};
    const int sizes[2] = {kBlock, kTile};
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexStorage2D(GL_TEXTURE_2D, 1, formats[i], blocks_of(width, sizes[i]), blocks_of(height, sizes[i]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[i]);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures[i], 0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(bound));
}

void RadblurFlatAreas::find_flat_tiles(FBO* source, const float params[4])
{
    const int width = source->get_width(), height = source->get_height();
    resize(width, height);
    GLint drawBound = 0, readBound = 0, viewport[4] = {0, 0, 0, 0}, packAlignment = 4;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBound);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBound);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glDisable(GL_DEPTH_TEST);

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[0]);
    glViewport(0, 0, blocks_of(width, kBlock), blocks_of(height, kBlock));
    bind_program(*blocks_program);
    source->bind_texture(0, 0);
    EasyDraw::draw_quad(0, 0, 1, 1);

    const int columns = blocks_of(width, kTile), rows = blocks_of(height, kTile);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[1]);
    glViewport(0, 0, columns, rows);
    bind_program(*tiles_program);
    tiles_program->set_int("Blocks", 1);
    tiles_program->set_float4(params_name.c_str(), params[0], params[1], params[2], params[3]);
    GLint size[2] = {width, height};
    glUniform2iv(glGetUniformLocation(tiles_program->get_program(), "PictureSize"), 1, size);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    EasyDraw::draw_quad(0, 0, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);

    tiles.resize(static_cast<std::size_t>(columns) * rows);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[1]);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, columns, rows, GL_RED, GL_UNSIGNED_BYTE, tiles.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBound));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBound));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

std::vector<RadblurFlatAreas::Rect> RadblurFlatAreas::rectangles(const std::vector<std::uint8_t>& tiles, int columns,
                                                                 int rows)
{
    std::vector<Rect> done;
    std::vector<Rect> open;  // those reaching the row below
    for (int y = 0; y < rows; ++y) {
        std::vector<Rect> reaching;
        for (int x = 0; x < columns;) {
            const bool flat = tiles[static_cast<std::size_t>(y) * columns + x] != 0;
            int end = x + 1;
            while (end < columns && (tiles[static_cast<std::size_t>(y) * columns + end] != 0) == flat)
                ++end;
            Rect run{x, y, end - x, 1, flat};
            for (auto it = open.begin(); it != open.end(); ++it) {
                if (it->x == run.x && it->width == run.width && it->flat == run.flat) {
                    run.y = it->y;
                    run.height = it->height + 1;
                    open.erase(it);
                    break;
                }
            }
            reaching.push_back(run);
            x = end;
        }
        done.insert(done.end(), open.begin(), open.end());
        open = std::move(reaching);
    }
    done.insert(done.end(), open.begin(), open.end());
    return done;
}

void RadblurFlatAreas::draw(FBO* source, const float params[4], ShaderProgram& blur)
{
    find_flat_tiles(source, params);
    const std::vector<Rect> parts =
        rectangles(tiles, blocks_of(source->get_width(), kTile), blocks_of(source->get_height(), kTile));
    GLint scissor[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    glEnable(GL_SCISSOR_TEST);
    source->bind_texture(0, 0);
    for (const bool flat : {true, false}) {
        if (flat) {
            bind_program(*flat_program);
            flat_program->set_float4(params_name.c_str(), params[0], params[1], params[2], params[3]);
        } else {
            blur.bind();
        }
        for (const Rect& r : parts) {
            if (r.flat != flat)
                continue;
            glScissor(r.x * kTile, r.y * kTile, r.width * kTile, r.height * kTile);
            EasyDraw::draw_quad(0, 0, 1, 1);
        }
    }
    glDisable(GL_SCISSOR_TEST);
    glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
}

}  // namespace Effects
