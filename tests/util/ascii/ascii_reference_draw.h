#pragma once
// The canvas drawn the plain way, for comparison with AsciiEngine::render:
// one quad per cell, column by column, with two colour uniform updates each,
// through a program of the same lines as the canvas's render program. Draws
// into the current framebuffer with its viewport and blending as set.
#include <GL/glew.h>

#include "util/ascii/asciiengine.h"
#include "util/ascii/asciiengine_glyphs.h"
#include "util/easydraw/easydraw.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

namespace ascii_test {

class ReferenceCanvasDrawer {
public:
    ReferenceCanvasDrawer()
    {
        atlas.load_png_buffer(ascii_glyph_atlas_png, ascii_glyph_atlas_png_size, false, false, GL_NEAREST,
                              GL_NEAREST);
        ShaderConstructor* sc = new ShaderConstructor("AsciiEngine reference", "#version 420");
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
        program = new ShaderProgram(sc);
    }
    ~ReferenceCanvasDrawer() { delete program; }

    void draw(const AsciiEngine& e)
    {
        mat4 projection;
        projection.ortho(0, 80, 0, 50, -1, 1);
        atlas.bind_and_enable();
        program->bind();
        program->set_mat4("ProjectionMatrix", projection.data(), 1, false);
        for (int x = 0; x < 80; ++x)
            for (int y = 0; y < 50; ++y) {
                const int c = e.get_char(y, x);
                const double u0 = (c % 80) * 0.0125, v0 = (9 - c / 80) * 0.1;
                program->set_vec4("ColorBg", e.get_palette(e.get_bg(y, x)), 1);
                program->set_vec4("ColorFg", e.get_palette(e.get_fg(y, x)), 1);
                EasyDraw::draw_quad_uv(float(x), float(49 - y), 1, 1, float(u0), float(u0 + 0.0125), float(v0),
                                       float(v0 + 0.1));
            }
        glDisable(GL_TEXTURE_2D);
    }

private:
    Texture atlas;
    ShaderProgram* program = nullptr;
};

}  // namespace ascii_test
