#pragma once
// Effects::SkyBox: a large cube around a point, textured from the inside with
// a cube map of six square images, as the background of a 3D scene. The
// faces are base + face name + "." + extension, with the face names
// "negx" ... "posz" when the data layer has base + "negx." + extension, else
// "left", "right", "down", "up", "back", "front".
#include "effects/effect.h"
#include "util/math/vec3.h"
#include "util/texture/texturecube.h"

class ShaderProgram;

namespace Effects {

class SkyBox : public Effect {
public:
    // Builds the program, so it needs a current OpenGL context.
    SkyBox();
    ~SkyBox() override;

    // Once per object; size is half the cube's edge.
    void init(vec3 position, float size, const char* base, const char* extension);
    // Draws the cube with the current matrices; time is not used.
    void render(float time) override;

    bool initialized = false;
    vec3 position{0.0f, 0.0f, 0.0f};
    float size = 0.0f;  // twice the size given to init
    TextureCube cubemap;
    vec3 color{1.0f, 1.0f, 1.0f};
    ShaderProgram* shader = nullptr;
};

}  // namespace Effects
