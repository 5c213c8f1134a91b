#include "util/ascii/asciiengine.h"

#include <GL/glew.h>

#include <algorithm>

#include "system/fatal_error.h"
#include "util/ascii/asciiengine_glyphs.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

constexpr int kFramebufferWidth = AsciiEngine::COLUMNS * 8;  // one 8x12 glyph per cell
constexpr int kFramebufferHeight = AsciiEngine::ROWS * 12;

// Created by the first full canvas, shared by all, never released.
FBO* g_sharedFramebuffer = nullptr;

ShaderProgram* build_render_program()
{
    // Kept for the life of the process, like the program built from it.
    ShaderConstructor* sc = new ShaderConstructor("AsciiEngine render", "#version 420");
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line("layout (location = 0) in vec2 Position;");
    sc->add_vert_global_line("layout (location = 2) in vec2 TexCoord;");
    sc->add_vert_global_line("out vec2 TexCoordFrag;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
    sc->add_vert_body_line("\tTexCoordFrag = TexCoord;");
    sc->add_frag_global_line("uniform sampler2D Texture;");
    sc->add_frag_global_line("uniform vec4 ColorFg;");
    sc->add_frag_global_line("uniform vec4 ColorBg;");
    sc->add_frag_global_line("in vec2 TexCoordFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("vec4 texel = texture2D( Texture, TexCoordFrag );");
    sc->add_frag_body_line("FragColor = vec4( vec3( 1.0 ) - texel.rgb, 1.0 ) * ColorBg + texel * ColorFg;");
    return new ShaderProgram(sc);
}

}  // namespace

AsciiEngine::AsciiEngine()
{
    if (!glyphTexture.load_png_buffer(ascii_glyph_atlas_png, ascii_glyph_atlas_png_size, false, false, GL_NEAREST,
                                      GL_NEAREST))
        FATAL_ERROR("Failed to load texture!");
    if (!g_sharedFramebuffer)
        g_sharedFramebuffer = new FBO(kFramebufferWidth, kFramebufferHeight, FBO_TYPE_RGBA8_MIPMAP, 0);
    framebuffer = g_sharedFramebuffer;
    init_planes();
    renderProgram = build_render_program();
}

// The render program stays allocated and the shared framebuffer is never
// released; the glyph texture and the cell quads go with the canvas.
AsciiEngine::~AsciiEngine()
{
    if (cellBuffer)
        glDeleteBuffers(1, &cellBuffer);
    if (cellArray)
        glDeleteVertexArrays(1, &cellArray);
}

FBO* AsciiEngine::shared_framebuffer()
{
    return g_sharedFramebuffer;
}

void AsciiEngine::render(bool presentAfter)
{
    framebuffer->push(true);

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glViewport(0, 0, kFramebufferWidth, kFramebufferHeight);

    mat4 projection;
    projection.ortho(0.0f, static_cast<float>(COLUMNS), 0.0f, static_cast<float>(ROWS), -1.0f, 1.0f);

    glyphTexture.bind_and_enable();
    renderProgram->bind();
    renderProgram->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    draw_cells();

    // The picture is reached only through the framebuffer's own calls: its
    // mip chain is built when a draw can read it, not for a magnified view.
    framebuffer->pop_deferring_mipmaps();

    if (presentAfter)
        present();
}

// Every cell is one quad at (x, 49 - y) over its glyph's atlas cell, drawn
// once in its two palette colours onto the cleared framebuffer. The cells do
// not overlap and blending adds, so drawing them grouped by colour pair, one
// draw call per pair, gives the same pixels as 4000 separate quads.
void AsciiEngine::draw_cells()
{
    // Colour indexes are masked: the planes store any byte they are given,
    // the palette has 16 entries.
    auto pair_of = [this](int i) { return (fgs[i] & 15) << 4 | (bgs[i] & 15); };
    int first[257] = {};
    for (int i = 0; i < CELLS; ++i)
        ++first[pair_of(i) + 1];
    for (int p = 0; p < 256; ++p)
        first[p + 1] += first[p];

    constexpr int kFloatsPerCell = 6 * 4;  // two triangles of (x, y, u, v)
    cellVertices.resize(static_cast<size_t>(CELLS) * kFloatsPerCell);
    int next[256];
    std::copy(first, first + 256, next);
    for (int x = 0; x < COLUMNS; ++x) {
        for (int y = 0; y < ROWS; ++y) {
            const int i = y * COLUMNS + x;
            const int c = chars[i];
            const double u0 = (c % 80) * 0.0125;
            const double v0 = (9 - c / 80) * 0.1;
            const float x0 = static_cast<float>(x), y0 = static_cast<float>(ROWS - 1 - y);
            const float x1 = x0 + 1.0f, y1 = y0 + 1.0f;
            const float s0 = static_cast<float>(u0), s1 = static_cast<float>(u0 + 0.0125);
            const float t0 = static_cast<float>(v0), t1 = static_cast<float>(v0 + 0.1);
            const float quad[kFloatsPerCell] = {x0, y0, s0, t0, x1, y0, s1, t0, x1, y1, s1, t1,
                                                x0, y0, s0, t0, x1, y1, s1, t1, x0, y1, s0, t1};
            std::copy(quad, quad + kFloatsPerCell, &cellVertices[static_cast<size_t>(next[pair_of(i)]++) * kFloatsPerCell]);
        }
    }

    if (!cellArray) {
        glGenVertexArrays(1, &cellArray);
        glGenBuffers(1, &cellBuffer);
        glBindVertexArray(cellArray);
        glBindBuffer(GL_ARRAY_BUFFER, cellBuffer);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                              reinterpret_cast<const void*>(2 * sizeof(float)));
    }
    glBindVertexArray(cellArray);
    glBindBuffer(GL_ARRAY_BUFFER, cellBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(cellVertices.size() * sizeof(float)), cellVertices.data(),
                 GL_STREAM_DRAW);
    for (int p = 0; p < 256; ++p) {
        const int count = first[p + 1] - first[p];
        if (count == 0)
            continue;
        renderProgram->set_vec4("ColorBg", palette[p & 15], 1);
        renderProgram->set_vec4("ColorFg", palette[p >> 4], 1);
        glDrawArrays(GL_TRIANGLES, first[p] * 6, count * 6);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void AsciiEngine::present()
{
    Texture::bind_default_shader();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    framebuffer->draw();
}
