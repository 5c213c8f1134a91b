#include "util/text/text.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <FTGL/ftgl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

const size_t kFormatBuffer = 256;

ShaderProgram* g_programs[2] = {nullptr, nullptr};

ShaderProgram* make_text_program(bool bufferFont)
{
    ShaderConstructor* sc = new ShaderConstructor("Text", "#version 120");
    sc->add_vert_body_line("\tgl_TexCoord[0] = gl_MultiTexCoord0;");
    sc->add_vert_body_line("\tgl_Position = ftransform();");
    sc->add_vert_body_line("\tgl_FrontColor = gl_Color;");
    if (bufferFont) {
        sc->add_frag_global_line("uniform sampler2D tex;");
        sc->add_frag_body_line("\tgl_FragColor = texture2D( tex, gl_TexCoord[0].st ).a * gl_Color;");
    } else {
        sc->add_frag_body_line("\tgl_FragColor = gl_Color;");
    }
    return new ShaderProgram(sc);
}

void unbind_2d_textures()
{
    for (int unit = 0; unit < 8; unit++) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glActiveTexture(GL_TEXTURE0);
}

}

Text::Text(std::string fontFile, int32_t faceSize, int32_t fontType) : font_type(fontType)
{
    int size = 0;
    uint8_t* bytes = load_file(fontFile.c_str(), "rb", &size, true);
    if (!bytes)
        FATAL_ERROR("Failed to open font file " + fontFile);
    // The font reads its glyphs from these bytes for as long as it lives.
    if (font_type == FONT_BUFFER)
        font = new FTBufferFont(bytes, static_cast<size_t>(size));
    else if (font_type == FONT_OUTLINE)
        font = new FTOutlineFont(bytes, static_cast<size_t>(size));
    else
        FATAL_ERROR("Unknown font type " + std::to_string(font_type));
    // FTGL makes an object even from bytes that are no font, and reports it
    // only through its error code.
    if (!font || font->Error() != 0) {
        delete font;
        font = nullptr;
        std::free(bytes);
        FATAL_ERROR("Failed to create font from " + fontFile);
    }
    font->CharMap(ft_encoding_unicode);
    font->FaceSize(static_cast<unsigned>(faceSize), 72);
    font->Outset(1.0f);
    width = -1;
    height = -1;
}

void Text::Reshape(int32_t width_, int32_t height_)
{
    width = width_;
    height = height_;
}

void Text::SetFaceSize(int32_t size) { font->FaceSize(static_cast<unsigned>(size), 72); }

void Text::BindShader()
{
    if (font_type != FONT_BUFFER && font_type != FONT_OUTLINE)
        FATAL_ERROR("Invalid font type at " + fatal_error_source_path(__FILE__) + ":" + std::to_string(__LINE__));
    ShaderProgram*& program = g_programs[font_type];
    if (!program)
        program = make_text_program(font_type == FONT_BUFFER);
    program->bind();
}

void Text::SetGLState()
{
    if (width < 1 || height < 1)
        FATAL_ERROR("Can't set gl state before calling Text::Reshape() at least once!");
    BindShader();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_SCISSOR_TEST);
}

void Text::render(const char* text)
{
    font->Render(text, -1, FTPoint(), FTPoint(), FTGL::RENDER_ALL);
}

void Text::Print(const char* format, ...)
{
    if (width < 1 || height < 1)
        FATAL_ERROR("Can't print before calling Text::Reshape() at least once!");
    if (!format)
        return;
    char text[kFormatBuffer];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    unbind_2d_textures();
    render(text);
}

void Text::PrintAt(float x, float y, float stretch, const char* format, ...)
{
    if (width < 1 || height < 1)
        FATAL_ERROR("Can't print before calling Text::Reshape() at least once!");
    if (!format)
        return;
    char text[kFormatBuffer];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    unbind_2d_textures();
    glPushMatrix();
    glTranslatef(width * x, height * y, 0);
    const float s = width / 1280.0f;
    glScalef(s * stretch, s, s);
    render(text);
    glPopMatrix();
}
