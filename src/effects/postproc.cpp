#include "effects/postproc.h"

#include <cmath>

#include <GL/glew.h>

#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

ShaderProgram* load_program(const char* lowerName)
{
    const std::string base = std::string("data/effects/postproc/") + lowerName + "/" + lowerName;
    return new ShaderProgram(base + ".vert", base + ".frag");
}

void set_projection(ShaderProgram* program, const mat4& projection)
{
    program->set_mat4("ProjectionMatrix", projection.data(), 1, false);
}

}  // namespace

Dither::Dither()
{
    effect_name = "Dither";
    addParam("Factor", 0.5f);
    program = load_program("dither");
}

void Dither::apply(int width, int height, float)
{
    static const mat4 projection(1);
    const float factor = getParam(0);
    program->bind();
    const float base = 1.0f - 0.85f * factor;
    const float d = base * base * base;
    program->set_float2("blocks", static_cast<float>(width) * d, static_cast<float>(height) * d);
    set_projection(program, projection);
}

Fade::Fade()
{
    effect_name = "Fade";
    addParam("Value", 0.0f);
    program = load_program("fade");
}

void Fade::apply(int, int, float)
{
    static const mat4 projection(1);
    const float value = getParam(0);
    const float amount = std::fabs(value);
    const float selector = value > 0.0f ? 1.0f : 0.0f;
    program->bind();
    program->set_float2("color", selector, amount);
    set_projection(program, projection);
}

bool Fade::leaves_picture_unchanged() const
{
    // mix(source, target, 0) is the source itself; NaN is no such case.
    return std::fabs(getParam(0)) == 0.0f;
}

Blur::Blur()
{
    effect_name = "Blur";
    addParam("Scale", 2.5f);
    addParam("Iterations", 3.0f);
    program = load_program("blur");
    flat_areas = std::make_unique<RadblurFlatAreas>("data/effects/postproc/blur/blur_tiles.frag",
                                                    "data/effects/postproc/blur/blur_flat.frag", "BlurParams");
}

Blur::~Blur()
{
    delete program;
}

void Blur::apply(int, int, float)
{
    static const mat4 projection(1);
    program->bind();
    set_projection(program, projection);
    program->set_float("Scale", getParam(0) * 0.001f);
    program->set_float("Iterations", getParam(1));
}

void Blur::draw(FBO* source)
{
    if (!skip_unseen_work) {
        source->draw();
        return;
    }
    // The very values apply() gave the blur program.
    const float params[4] = {getParam(0) * 0.001f, getParam(1), 0.0f, 0.0f};
    flat_areas->draw(source, params, *program);
}

Radblur::Radblur()
{
    effect_name = "Radblur";
    addParam("CntrX", 0.5f);
    addParam("CntrY", 0.5f);
    addParam("Step", 0.9f);
    addParam("Strength", 1.0f);
    program = load_program("radblur");
    flat_areas = std::make_unique<RadblurFlatAreas>();
}

Radblur::~Radblur() = default;

void Radblur::apply(int, int, float)
{
    static const mat4 projection(1);
    const float x = getParam(0), y = getParam(1), step = getParam(2), strength = getParam(3);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    program->bind();
    set_projection(program, projection);
    program->set_float4("RadialBlurParams", x, y, step, strength);
}

void Radblur::draw(FBO* source)
{
    if (!skip_unseen_work) {
        source->draw();
        return;
    }
    const float params[4] = {getParam(0), getParam(1), getParam(2), getParam(3)};
    flat_areas->draw(source, params, *program);
}

Film::Film()
{
    effect_name = "Film";
    addParam("Color", 1.0f);
    addParam("Monochrome", 0.0f);
    addParam("BrownSepia", 0.0f);
    addParam("GreenSepia", 0.0f);
    addParam("BlueSepia", 0.0f);
    addParam("Contrast", 0.0f);
    addParam("Brightness", 0.0f);
    addParam("FilmgrainAmount", 0.0f);
    addParam("ScanlineAmount", 0.0f);
    program = load_program("film");
}

void Film::apply(int, int, float time)
{
    static const mat4 projection(1);
    program->bind();
    set_projection(program, projection);
    program->set_float("time", time + 999.9953f);
    program->set_float("Color", getParam(0));
    program->set_float("Monochrome", getParam(1));
    program->set_float("BrownSepia", getParam(2));
    program->set_float("GreenSepia", getParam(3));
    program->set_float("BlueSepia", getParam(4));
    program->set_float("Contrast", getParam(5) + 1.0f);
    program->set_float("Brightness", getParam(6));
    program->set_float("FilmgrainAmount", getParam(7));
    program->set_float("ScanlineAmount", getParam(8));
}

}  // namespace Effects
