#pragma once
// Five rockets rise from a ground area trailing sparks and burst into 400
// smaller rockets each, which fly out with sparkling trails of their own;
// once everything of a rocket has died it rises again from a new place.
// Every visible spark is one additive billboard, all of them uploaded and
// drawn at once. The time is the track "frwxTime" and the random generator
// is reseeded from "frwxSeed" every frame, so a pair of track curves always
// plays the same show.
#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "scenes/scene.h"
#include "scenes/scene_fireworks/fireworksquads.h"
#include "scenes/scene_fireworks/fireworksrocket.h"
#include "util/camera/camera.h"
#include "util/texture/texture.h"

class ShaderProgram;

class Fireworks : public Scene {
public:
    Fireworks();
    void init() override;
    void draw() override;
    // Frees the particles and the quad block.
    void deinit() override;
    void setViewport(int width, int height) override;

    // The generator's seed for a seed value ("frwxSeed" x 1423): its
    // integer part modulo 2^32, NaN and infinities giving 0.
    static std::uint32_t seedFromValue(float seed);

protected:
    void updateRockets(float time);
    void render();
    // "frwxSeed" x 1423, a NaN track value counting as 0.
    float seedValue();

    std::vector<std::unique_ptr<FireworksRocket>> rockets;
    Texture particleTexture;
    ShaderProgram* fireworksShader = nullptr;
    GLuint vertexBufferObject = 0;
    FireworksQuads quads;
    bool seenSeed = false;
    float lastSeed = 0.0f;
    Camera camera;
};
