#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

struct Box {
    std::string text;
    std::string caption;
    unsigned type;
};

class ShaderProgramGL : public gltest::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        boxes.clear();
        set_message_box_responder([this](const char* text, const char* caption, UINT type) {
            boxes.push_back({text, caption, type});
            return IDOK;
        });
        set_fatal_error_throws(true);
        oldDir = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() / ("velmo_shaders_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "data/common/shaders");
        std::filesystem::current_path(dir);
    }
    void TearDown() override
    {
        std::filesystem::current_path(oldDir);
        std::filesystem::remove_all(dir);
        set_fatal_error_throws(false);
        set_message_box_responder({});
    }
    void write(const std::string& path, const std::string& text) { std::ofstream(dir / path) << text; }

    // Expects construction to stop with `message`.
    template <class Make>
    void expect_fatal(Make make, const std::string& message)
    {
        try {
            make();
            ADD_FAILURE() << "no fatal error, expected " << message;
        } catch (const FatalErrorException& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }

    std::vector<Box> boxes;
    std::filesystem::path dir, oldDir;
};

// A quad over the lower-left quarter of clip space with texcoords 0..1, fed
// through generic attributes 0 (position) and 2 (texture coordinate).
void draw_quad_attribs(float x0, float y0, float x1, float y1)
{
    glBegin(GL_QUADS);
    const float v[4][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
    for (const auto& p : v) {
        glVertexAttrib2f(2, p[2], p[3]);
        glVertexAttrib2f(0, p[0], p[1]);
    }
    glEnd();
}

const char* kVertexWithWords =
    "#version 420\n"
    "layout(location = VERTEX_ATTRIB_POSITION) in vec3 Position;\n"
    "layout(location = VERTEX_ATTRIB_NORMAL) in vec3 Normal;\n"
    "layout(location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;\n"
    "layout(location = VERTEX_ATTRIB_TANGENT) in vec3 Tangent;\n"
    "out vec4 C;\n"
    "void main() { C = vec4(Normal + Tangent, TexCoord.x); gl_Position = vec4(Position, 1.0); }\n";
const char* kFragmentFixed =
    "#version 420\nin vec4 C;\nuniform vec4 Color;\nvoid main() { gl_FragColor = Color + C * 0.000001; }\n";

TEST_F(ShaderProgramGL, EveryBuiltInProgramCompilesAndLinks)
{
    using Builder = ShaderConstructor* (*)(std::string);
    const Builder builders[] = {make_blur_shader, make_color3d_shader, make_color2d_shader,
                                make_vertex_color3d_shader, make_texture2d_shader,
                                make_texture_color2d_shader};
    for (Builder b : builders) {
        ShaderProgram p(b("Builtin"));
        GLint linked = 0;
        glGetProgramiv(p.get_program(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShaderProgramGL, FilesWithAttributeWordsGetSlotsZeroToThree)
{
    write("words.vert", kVertexWithWords);
    write("data/common/shaders/fixed.frag", kFragmentFixed); // found by its bare name
    ShaderProgram p("words.vert", "fixed.frag");
    const char* names[] = {"Position", "Normal", "TexCoord", "Tangent"};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(glGetAttribLocation(p.get_program(), names[i]), i) << names[i];
}

TEST_F(ShaderProgramGL, OwnNameIsReadBeforeTheShaderDirectory)
{
    write("fixed.frag", kFragmentFixed);
    write("data/common/shaders/fixed.frag", "this would not compile");
    write("words.vert", kVertexWithWords);
    ShaderProgram p("words.vert", "fixed.frag");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShaderProgramGL, MissingFilesAndBadArguments)
{
    write("fixed.frag", kFragmentFixed);
    expect_fatal([] { ShaderProgram p("", "fixed.frag"); }, "Need to specif shader filenames!");
    expect_fatal([] { ShaderProgram p(static_cast<ShaderConstructor*>(nullptr)); },
                 "Need to specify Shader Constructor!");
    expect_fatal([] { ShaderProgram p("a.vert", "b.frag"); }, "Can't read shader file a.vert");
    write("words.vert", kVertexWithWords);
    expect_fatal([] { ShaderProgram p("words.vert", "b.frag"); }, "Can't read shader file b.frag");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShaderProgramGL, CompileFailureShowsLogThenStops)
{
    ShaderConstructor* sc = new ShaderConstructor("Broken", "#version 420");
    sc->add_vert_body_line("\tthis is not glsl;");
    expect_fatal([sc] { ShaderProgram p(sc); }, "Shader compile and link failed! (generated program Broken)");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Vertex shader compilation failed: ");
    EXPECT_EQ(boxes[0].text.rfind("--- Vertex shader compile failed, log:\n ", 0), 0u);
    EXPECT_GT(boxes[0].text.size(), std::string("--- Vertex shader compile failed, log:\n ").size());
    EXPECT_EQ(boxes[0].type, static_cast<unsigned>(MB_OK));
    delete sc;

    boxes.clear();
    write("words.vert", kVertexWithWords);
    write("bad.frag", "#version 420\nvoid main() { undefined_call(); }\n");
    expect_fatal([] { ShaderProgram p("words.vert", "bad.frag"); },
                 "Shader compile and link failed! (words.vert, bad.frag)");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Fragment shader compilation failed: bad.frag");
}

TEST_F(ShaderProgramGL, LinkFailureShowsLogThenStops)
{
    write("plain.vert", "#version 420\nvoid main() { gl_Position = vec4(0.0); }\n");
    write("needs.frag", "#version 420\nin vec4 NeverWritten;\nout vec4 F;\nvoid main() { F = NeverWritten; }\n");
    expect_fatal([] { ShaderProgram p("plain.vert", "needs.frag"); },
                 "Shader compile and link failed! (plain.vert, needs.frag)");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Shader linking failed");
    EXPECT_EQ(boxes[0].text.rfind("--- Shader linking failed, log:\n ", 0), 0u);
}

TEST_F(ShaderProgramGL, UniformsReachTheDrawAndMissingOnesAreIgnored)
{
    ShaderProgram p(make_color2d_shader("Color2d"));
    p.bind();
    const mat4 unit(1);
    EXPECT_TRUE(p.set_mat4("ProjectionMatrix", unit.data(), 1, false));
    EXPECT_FALSE(p.set_mat4("NoSuchMatrix", unit.data(), 1, false));
    p.set_float("NoSuchFloat", 1.0f);
    p.set_float4("Color", 1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    draw_quad_attribs(0, 0, 0.5f, 0.5f);
    EXPECT_EQ(gltest::read_pixel(10, 10), 0xFF0000FFu);
    const int w = gltest::window_width();
    EXPECT_EQ(gltest::read_pixel(w - 10, 10), 0x00000000u);

    p.set_vec4("Color", vec4(0, 1, 0, 1), 1);
    draw_quad_attribs(0, 0, 0.5f, 0.5f);
    EXPECT_EQ(gltest::read_pixel(10, 10), 0x00FF00FFu);
}

TEST_F(ShaderProgramGL, TextureProgramSamplesUnitZero)
{
    ShaderProgram p(make_texture_color2d_shader("TextureColor"));
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tex);
    const unsigned char texel[4] = {200, 100, 50, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    p.bind();
    const mat4 unit(1);
    p.set_mat4("ProjectionMatrix", unit.data(), 1, false);
    p.set_float4("Color", 1.0f, 1.0f, 1.0f, 1.0f);
    draw_quad_attribs(0, 0, 1, 1);
    EXPECT_EQ(gltest::read_pixel(20, 20), 0xC86432FFu);
    glDeleteTextures(1, &tex);
}

}
