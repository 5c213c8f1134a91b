#pragma once
// Effects::RadialBlur: draws a texture over the unit square (the caller's
// matrices decide where that lands) through a radial-blur program, added to
// what is already drawn. "RadialBlurParams" is (centre x, centre y, step, w):
// w is the intensity for the origin program, the sample count for the
// iterations program. The caller's blending comes back as it was.
#include <memory>

#include "effects/effect.h"
#include "util/math/vec4.h"

class ShaderProgram;
class Texture;

namespace Effects {

class RadialBlur : public Effect {
public:
    // The programs "data/effects/radialblur/radialblur.vert" with
    // "radialblur_origin.frag" and "radialblur_iterations.frag"; texture is
    // the picture to blur (the scene keeps it; it may be set later).
    explicit RadialBlur(Texture* texture = nullptr);
    ~RadialBlur() override;

    // time is not used.
    void render(float time) override;

    std::unique_ptr<ShaderProgram> origin_program;
    std::unique_ptr<ShaderProgram> iterations_program;
    bool use_iterations = false;
    Texture* texture;
    float centre_x = 0.5f;
    float centre_y = 0.5f;
    float step = 0.9f;
    float iterations = 16.0f;
    float intensity = 1.0f;
    vec4 color{1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace Effects
