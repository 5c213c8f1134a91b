#pragma once
// Effects::SkyDome: a sky drawn as a scaled half-sphere model through a
// program that blends a cloud layer over a star layer under a slowly
// advancing sky clock, with depth testing off so the scene draws over it.
// The sky clock is shared by every sky dome and advances by 0.005 per unit of
// the time passed between two renders of one dome.
#include <memory>

#include "effects/effect.h"
#include "effects/skydome/model_sgl.h"
#include "util/math/vec4.h"
#include "util/texture/texture.h"

class ShaderProgram;

namespace Effects {

class SkyDome : public Effect {
public:
    // Loads the dome model, its two layers and its program from
    // "data/effects/skydome/"; needs a current OpenGL context.
    SkyDome();
    ~SkyDome() override;

    void render(float time) override;

    static float sky_clock();

    SglModel model;
    vec4 bounds{-1.0f, 0.0f, 1.0f, 1.0f};  // "bbox": x and y range of the dome's positions
    Texture first_texture;                  // clouds, unit 0
    Texture second_texture;                 // stars, unit 1
    std::unique_ptr<ShaderProgram> program;
    float last_time = -1.0f;  // negative: no render yet
    float horizontal_scale = 500.0f;
    float vertical_scale = 200.0f;
    float daylight = 1.0f;
    float tex2_factor = 0.6f;
    float tex2_offset = 0.0f;
    float tex2_scale = 3.0f;
};

}  // namespace Effects
