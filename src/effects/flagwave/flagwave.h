#pragma once
// Effects::FlagWave: a textured flag that waves, drawn from a display list in
// a fixed perspective view (45 degrees, 4:3) through a program that bends the
// cloth by the wave angle "currentAngle" (degrees, 2 per unit of time).
#include <GL/glew.h>

#include <memory>

#include "effects/effect.h"
#include "util/texture/texture.h"

class ShaderProgram;

namespace Effects {

class FlagWave : public Effect {
public:
    // Texture "data/effects/flagwave/flag.png", program
    // "data/effects/flagwave/flagwave.vert" and ".frag", and the cloth mesh
    // (8.7 x 6 units, 48 x 32 cells) compiled into a display list.
    FlagWave();
    ~FlagWave() override;
    void render(float time) override;

    // 2 x time brought into 0..360 (a whole turn past 0 gives 360, not 0);
    // 0 for a time that is not finite.
    static float wave_angle(float time);

    Texture texture;
    std::unique_ptr<ShaderProgram> program;
    GLuint display_list = 0;
};

}  // namespace Effects
