#include "util/ascii/asciiengine.h"

#include <GL/glew.h>

#include "system/fatal_error.h"
#include "util/ascii/asciiengine_glyphs.h"
#include "util/easydraw/easydraw.h"
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

    framebuffer->pop();

    if (presentAfter)
        present();
}

void AsciiEngine::draw_cells()
{
    for (int x = 0; x < COLUMNS; ++x) {
        for (int y = 0; y < ROWS; ++y) {
            const int i = y * COLUMNS + x;
            const int c = chars[i];
            const double u0 = (c % 80) * 0.0125;
            const double v0 = (9 - c / 80) * 0.1;
            // Colour indexes are masked: the planes store any byte they are
            // given, the palette has 16 entries.
            renderProgram->set_vec4("ColorBg", palette[bgs[i] & 15], 1);
            renderProgram->set_vec4("ColorFg", palette[fgs[i] & 15], 1);
            EasyDraw::draw_quad_uv(static_cast<float>(x), static_cast<float>(ROWS - 1 - y), 1.0f, 1.0f,
                                   static_cast<float>(u0), static_cast<float>(u0 + 0.0125), static_cast<float>(v0),
                                   static_cast<float>(v0 + 0.1));
        }
    }
}

void AsciiEngine::present()
{
    Texture::bind_default_shader();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    framebuffer->draw();
}
