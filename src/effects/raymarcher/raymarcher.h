#pragma once
// Effects::Raymarcher: one quad over the viewport drawn through a
// ray-marching program, animated entirely by sync tracks: a camera position
// ("RayPosX/Y/Z" -> the "View" translation), a view rotation ("RayViewRot"
// degrees about "RayViewRotX/Y/Z" -> "ViewRotation") and seven look values
// ("RayRotationTime", "RayColor", "RayAoFactor", "RayCutouts", "RaySlashes",
// "RayPlaneDistance", "RayRotationMix" -> the uniforms without the "Ray").
#include <memory>

#include "effects/effect.h"
#include "util/math/vec4.h"

class Music;
class ShaderProgram;

namespace Effects {

class Raymarcher : public Effect {
public:
    // The program "data/effects/raymarcher/raymarcher.vert" and ".frag", and
    // the fourteen tracks registered with the music (once per music object).
    // A track reads its track file when the data layer has one (or from the
    // sync editor), else holds its default.
    Raymarcher(Music* music, vec4 color);
    ~Raymarcher() override;

    void render(float time) override;
    void draw(float time);

    std::unique_ptr<ShaderProgram> program;
    vec4 color;
    Music* music;
};

}  // namespace Effects
