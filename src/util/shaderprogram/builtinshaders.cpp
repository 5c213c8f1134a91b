#include "util/shaderprogram/builtinshaders.h"

#include "util/ioutils/ioutils.h"

namespace {

const int kPositionSlot = 0;
const int kTexCoordSlot = 2;
const int kColorSlot = 4;

std::string location(int slot)
{
    return "layout (location = " + to_string(slot) + ")";
}

void add_textured_2d_vertex(ShaderConstructor* sc)
{
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line(location(kPositionSlot) + " in vec2 Position;");
    sc->add_vert_global_line(location(kTexCoordSlot) + " in vec2 TexCoord;");
    sc->add_vert_global_line("out vec2 TexCoordFrag;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
    sc->add_vert_body_line("\tTexCoordFrag = TexCoord;");
}

void add_plain_3d_vertex(ShaderConstructor* sc)
{
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line("uniform mat4 ModelViewMatrix;");
    sc->add_vert_global_line(location(kPositionSlot) + " in vec3 Position;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * ModelViewMatrix * vec4( Position, 1.0 );");
}

void add_uniform_color_fragment(ShaderConstructor* sc)
{
    sc->add_frag_global_line("uniform vec4 Color;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("\tFragColor = Color;");
}

}

ShaderConstructor* make_blur_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    add_textured_2d_vertex(sc);
    sc->add_frag_global_line("uniform sampler2D Texture;");
    sc->add_frag_global_line("uniform vec4 Color;");
    sc->add_frag_global_line("in vec2 TexCoordFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_global_line("vec2 offsets[12];");
    sc->add_frag_global_line("const float BlurScale = 0.002;");
    sc->add_frag_function_line("vec4 blur( float scale )");
    sc->add_frag_function_line("{");
    sc->add_frag_function_line("\tvec4 tempsum = vec4( 0.0 );");
    sc->add_frag_function_line(
        "\tfor ( int i = 0; i < 12; i++ ) tempsum += texture2D( Texture, TexCoordFrag + scale * offsets[i] );");
    sc->add_frag_function_line("\treturn tempsum / 12.0;");
    sc->add_frag_function_line("}");
    sc->add_frag_body_line("\toffsets[ 0] = vec2( -0.326212, -0.405805 );");
    sc->add_frag_body_line("\toffsets[ 1] = vec2( -0.840144, -0.073580 );");
    sc->add_frag_body_line("\toffsets[ 2] = vec2( -0.695914,  0.457137 );");
    sc->add_frag_body_line("\toffsets[ 3] = vec2( -0.203345,  0.620716 );");
    sc->add_frag_body_line("\toffsets[ 4] = vec2(  0.962340, -0.194983 );");
    sc->add_frag_body_line("\toffsets[ 5] = vec2(  0.473434, -0.480026 );");
    sc->add_frag_body_line("\toffsets[ 6] = vec2(  0.519456,  0.767022 );");
    sc->add_frag_body_line("\toffsets[ 7] = vec2(  0.185461, -0.893124 );");
    sc->add_frag_body_line("\toffsets[ 8] = vec2(  0.507431,  0.064425 );");
    sc->add_frag_body_line("\toffsets[ 9] = vec2(  0.896420,  0.412458 );");
    sc->add_frag_body_line("\toffsets[10] = vec2( -0.321940, -0.932615 );");
    sc->add_frag_body_line("\toffsets[11] = vec2( -0.791559, -0.597705 );");
    sc->add_frag_body_line("\tvec4 sum = vec4( 0.0 );");
    sc->add_frag_body_line("\tsum += blur( BlurScale * 1.0 );");
    sc->add_frag_body_line("\tsum += blur( BlurScale * 2.0 );");
    sc->add_frag_body_line("\tsum += blur( BlurScale * 3.0 );");
    sc->add_frag_body_line("\tFragColor = sum / 3.0;");
    return sc;
}

ShaderConstructor* make_color3d_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    add_plain_3d_vertex(sc);
    add_uniform_color_fragment(sc);
    return sc;
}

ShaderConstructor* make_color2d_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line(location(kPositionSlot) + " in vec2 Position;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
    add_uniform_color_fragment(sc);
    return sc;
}

ShaderConstructor* make_vertex_color3d_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line("uniform mat4 ModelViewMatrix;");
    sc->add_vert_global_line(location(kPositionSlot) + " in vec3 Position;");
    sc->add_vert_global_line(location(kColorSlot) + " in vec4 Color;");
    sc->add_vert_global_line("out vec4 ColorFrag;");
    sc->add_vert_body_line("\tColorFrag = Color;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * ModelViewMatrix * vec4( Position, 1.0 );");
    sc->add_frag_global_line("in vec4 ColorFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("\tFragColor = ColorFrag;");
    return sc;
}

ShaderConstructor* make_texture2d_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    add_textured_2d_vertex(sc);
    sc->add_frag_global_line("uniform sampler2D Texture;");
    sc->add_frag_global_line("in vec2 TexCoordFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("\tFragColor = texture2D( Texture, TexCoordFrag );");
    return sc;
}

ShaderConstructor* make_texture_color2d_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 420");
    add_textured_2d_vertex(sc);
    sc->add_frag_global_line("uniform sampler2D Texture;");
    sc->add_frag_global_line("uniform vec4 Color;");
    sc->add_frag_global_line("in vec2 TexCoordFrag;");
    sc->add_frag_global_line("out vec4 FragColor;");
    sc->add_frag_body_line("\tFragColor = texture2D( Texture, TexCoordFrag ) * Color;");
    return sc;
}

ShaderConstructor* make_billboard_shader(std::string name)
{
    ShaderConstructor* sc = new ShaderConstructor(std::move(name), "#version 120");
    sc->add_vert_global_line("uniform vec3 right;");
    sc->add_vert_global_line("uniform vec3 up;");
    sc->add_vert_global_line("uniform float size;");
    sc->add_vert_body_line("\t/* Rotate billboards to face eye coords */"
                           "\tfloat rsign = gl_MultiTexCoord0.x - 0.5;"
                           "\tfloat usign = gl_MultiTexCoord0.y - 0.5;"
                           "\tvec3 vert = vec3( gl_Vertex ) + ( right * rsign + up * usign ) * size;"
                           "\tgl_Position = gl_ModelViewProjectionMatrix * vec4( vert, gl_Vertex.w );"
                           "\tgl_TexCoord[0] = gl_MultiTexCoord0;"
                           "\t/* Make sure we pass on the glColor values from the GL state */"
                           "\tgl_FrontColor = gl_Color;");
    sc->add_frag_global_line("uniform sampler2D texture;");
    sc->add_frag_body_line("gl_FragColor = texture2D( texture, gl_TexCoord[0].xy ) * gl_Color;");
    return sc;
}
