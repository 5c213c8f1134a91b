#pragma once
// Effects::Fire: a screen-space feedback effect. Each render runs the picture
// of the previous pass through the program of the current mode into the other
// of two framebuffers (ping-pong), with an optional image (unit 1) and a spark
// texture (unit 2) as extra inputs, then draws the new picture tinted by the
// colour over the current target with alpha blending.
#include <memory>
#include <string>

#include "effects/effect.h"
#include "util/fbo/fbo.h"
#include "util/math/vec4.h"
#include "util/texture/texture.h"

class ShaderConstructor;
class ShaderProgram;

namespace Effects {

class Fire : public Effect {
public:
    static constexpr int kModes = 4;

    // Two width x height framebuffers, cleared to transparent black; the
    // four mode programs, assembled from the pieces in "data/effects/fire/"
    // (shared globals, one main body per mode: "fire0.glsl" to "fire3.glsl");
    // the spark texture (the particle sprite). imagePath names
    // an optional picture that the modes burn into the fire; empty: none.
    Fire(int width, int height, const std::string& imagePath = "");
    ~Fire() override;

    // One feedback pass, then the display.
    void render(float time) override;
    // The feedback pass alone.
    void update(float time);

    std::unique_ptr<ShaderConstructor> mode_sources[kModes];
    std::unique_ptr<ShaderProgram> mode_programs[kModes];
    std::unique_ptr<Texture> spark_texture;
    std::unique_ptr<Texture> image_texture;  // null: no image
    float image_factor = 0.0f;
    float image_shinethrough = 0.0f;
    float spark_pct = 0.02f;
    int current = 0;  // the framebuffer the next pass writes is 1 - current
    std::unique_ptr<FBO> framebuffers[2];
    int mode = 0;
    vec4 color{1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace Effects
