#include "effects/motionblur/motionblur.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "util/fbo/fbo.h"
#include "util/ioutils/ioutils.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

constexpr int kRingSize = 512;

// The engine's quad: position on 0, texture coordinate on 2, projected by
// "ProjectionMatrix"; the fragment stage reads TexCoordFrag.
std::unique_ptr<ShaderConstructor> quad_shader(const char* name)
{
    auto sc = std::make_unique<ShaderConstructor>(name, "#version 420");
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_POSITION) in vec2 Position;");
    sc->add_vert_global_line("layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;");
    sc->add_vert_global_line("out vec2 TexCoordFrag;");
    sc->add_vert_body_line("\tTexCoordFrag = TexCoord;");
    sc->add_vert_body_line("\tgl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );");
    sc->add_frag_global_line("in vec2 TexCoordFrag;");
    return sc;
}

const mat4& unit_square()
{
    static const mat4 projection(1);
    return projection;
}

}  // namespace

Motionblur::Motionblur()
{
    effect_name = "Motionblur";
    addParam("Frames", 8.0f);
    addParam("Strength", 0.5f);
    addParam("Delay", 0.25f);
}

Motionblur::~Motionblur() = default;

float& Motionblur::last_advance()
{
    static float time = 0.0f;
    return time;
}

int Motionblur::frame_count(float value)
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    const int most = std::clamp(static_cast<int>(units), 2, 64);
    if (std::isnan(value))
        return 2;
    return static_cast<int>(std::clamp(std::trunc(value), 2.0f, static_cast<float>(most)));
}

void Motionblur::rebuild()
{
    const int n = frame_count(getParam(0));
    if (!blend_program || frames != n) {
        frames = n;
        const float step = 1.0f / static_cast<float>(n);
        auto sc = quad_shader("EffectsMotionblur");
        sc->add_frag_global_line("uniform sampler2D image;");
        for (int i = 1; i < n; ++i)
            sc->add_frag_global_line("uniform sampler2D shadow" + to_string(i) + ";");
        sc->add_frag_global_line("uniform vec4 MotionblurParams;");
        sc->add_frag_body_line("  vec4 final_colour = vec4( vec3( 0.0 ), 1.0 );");
        float weight = 1.0f;
        for (int j = 1; j < n; ++j) {
            weight -= step;
            sc->add_frag_body_line("  final_colour += texture2D( shadow" + to_string(j) + ", TexCoordFrag ) * " +
                                   to_string(weight, 2) + ";");
        }
        sc->add_frag_body_line("  final_colour *= MotionblurParams.y;");
        sc->add_frag_body_line("\tfinal_colour += texture2D( image, TexCoordFrag );");
        sc->add_frag_body_line("\tgl_FragColor = final_colour;");
        blend_program.reset();
        blend_program = std::make_unique<ShaderProgram>(sc.get());
        blend_source = std::move(sc);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        while (static_cast<int>(ring.size()) < frames) {
            ring.push_back(std::make_unique<FBO>(kRingSize, kRingSize, FBO_TYPE_RGBA8, 0));
            ring.back()->push(true);  // a new slot starts black, not undefined
            ring.back()->pop();
        }
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
    }
    if (!copy_program) {
        copy_source = quad_shader("EffectsMotionblurTexrender");
        copy_source->add_frag_global_line("uniform sampler2D tex;");
        copy_source->add_frag_body_line("\tgl_FragColor = texture2D( tex, TexCoordFrag );");
        copy_program = std::make_unique<ShaderProgram>(copy_source.get());
    }
}

void Motionblur::prepare(int, int, float time, FBO* source)
{
    rebuild();
    float delay = getParam(2);
    if (std::isnan(delay))
        delay = 0.0f;
    const float d = time - last_advance();
    if (d < 0.0f || d > delay) {
        last_advance() = time;
        current = (current + 1) % frames;
    }
    if (!source)
        return;
    copy_program->bind();
    copy_program->set_mat4("ProjectionMatrix", unit_square().data(), 1, false);
    ring[current]->push(true);
    source->draw();
    ring[current]->pop();
}

void Motionblur::apply(int, int, float)
{
    if (!blend_program)  // applied before any prepare: the ring is still black
        rebuild();
    float strength = getParam(1);
    if (!std::isfinite(strength))
        strength = 0.0f;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    blend_program->bind();
    blend_program->set_mat4("ProjectionMatrix", unit_square().data(), 1, false);
    for (int i = 1; i < frames; ++i) {
        int k = current - i;
        if (k < 0)
            k += frames;
        blend_program->set_int(("shadow" + to_string(i)).c_str(), i);
        ring[k]->bind_texture(0, i);
    }
    glActiveTexture(GL_TEXTURE0);
    blend_program->set_float4("MotionblurParams", getParam(0), strength, 0.0f, 0.0f);
}

}  // namespace Effects
