#include "scenes/scene_fireworks/fireworksparticle.h"

#include "scenes/scene_fireworks/fireworksquads.h"

void FireworksParticle::launch(const vec3& position, const vec3& velocity, float speed, const float* colour,
                               float startTime, float life)
{
    this->position = position;
    this->velocity = velocity;
    this->speed = speed;
    for (int i = 0; i < 3; ++i)
        this->colour[i] = colour[i];
    this->startTime = startTime;
    this->life = life;
    alpha = 1.0f;
    age = 0.0f;
    alive = true;
}

bool FireworksParticle::update(float time)
{
    const float dt = (time - startTime) - age;
    age = time - startTime;
    if (age > life) {
        alpha = 0.0f;
        return false;
    }
    alpha = 1.0f - age / life;
    position += velocity * speed * dt;
    return true;
}

void FireworksParticle::writeQuad(FireworksQuads& quads, float fade) const
{
    quads.write(position, colour, fade * alpha);
}
