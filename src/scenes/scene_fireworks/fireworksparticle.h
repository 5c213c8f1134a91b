#pragma once
// One spark of the fireworks: it flies in a straight line from its launch
// point and fades out over its life. Time is the scene's "frwxTime".
#include "util/math/vec3.h"

class FireworksQuads;

class FireworksParticle {
public:
    FireworksParticle() = default;
    virtual ~FireworksParticle() = default;

    // Copies everything (the colour by value); alpha 1, age 0, alive.
    virtual void launch(const vec3& position, const vec3& velocity, float speed, const float* colour,
                        float startTime, float life);
    // Moves the particle to the time; false (and alpha 0, no move) once its
    // life is over. The alive flag is not changed.
    virtual bool update(float time);
    // Its quad, with alpha = fade x its own alpha.
    void writeQuad(FireworksQuads& quads, float fade) const;

    vec3 position;
    vec3 velocity;  // a direction; the particle moves velocity x speed per unit of time
    float speed = 0.0f;
    float startTime = 0.0f;
    float life = 0.0f;
    float colour[3] = {0.0f, 0.0f, 0.0f};
    float alpha = 0.0f;
    float age = 0.0f;
    bool alive = false;
};
