#include "scenes/scene_fireworks/fireworksrocket.h"

#include <algorithm>

#include "system/fatal_error.h"
#include "util/math/mathutils.h"

namespace {
// A random direction; two draws of the generator.
vec3 random_direction()
{
    vec3 v;
    v.setRandomUnit();
    return v;
}
}  // namespace

FireworksRocket::FireworksRocket(int trailCount, float size) : FireworksParticle(), size(size)
{
    for (int i = 0; i < trailCount; ++i)
        trail.push_back(std::make_unique<FireworksParticle>());
}

void FireworksRocket::launchTrail()
{
    for (auto& spark : trail) {
        const vec3 direction = random_direction();
        const float sparkLife = random_float(0.1f, 1.0f);
        spark->launch(position, direction, speed / 4.0f, colour, startTime, sparkLife);
    }
}

void FireworksRocket::launch(const vec3& position, const vec3& velocity, float speed, const float* colour,
                             float startTime, float life)
{
    FireworksParticle::launch(position, velocity, speed, colour, startTime, life);
    launchTrail();
}

void FireworksRocket::launchRandom(float time)
{
    const float z = random_float(0.0f, 50.0f);
    const float x = random_float(-10.0f, 10.0f);
    position = vec3(x, 0.0f, z);
    velocity = vec3(0.0f, 1.0f, 0.0f);
    velocity.rotateZ(random_float(-30.0f, 30.0f));
    speed = random_float(1.0f, 6.0f);
    life = random_float(1.0f, 3.0f);
    colour[0] = 1.0f;
    colour[1] = 0.6f;
    colour[2] = 0.2f;
    startTime = time;
    alpha = 1.0f;
    age = 0.0f;
    alive = true;
    launchTrail();
}

void FireworksRocket::addChildren(int count, int depth)
{
    if (depth == 0) {
        for (int i = 0; i < count; ++i)
            children.push_back(std::make_unique<FireworksRocket>(static_cast<int>(trail.size()), size));
        return;
    }
    VELMO_ASSERT(children.size() > 0);
    for (auto& child : children)
        child->addChildren(count, depth - 1);
}

bool FireworksRocket::update(float time)
{
    const float dt = (time - startTime) - age;
    age = time - startTime;
    bool childrenAlive = false;
    if (alive) {
        alpha = 1.0f - age / life;
        position += velocity * speed * dt;
        if (age > life) {
            alive = false;
            explode(time);
        }
    } else {
        for (auto& child : children)
            if (child->update(time))
                childrenAlive = true;
    }

    bool sparksAlive = false;
    for (auto& spark : trail) {
        if (spark->update(time)) {
            sparksAlive = true;
        } else if (alive) {
            const vec3 direction = random_direction();
            const float sparkLife = random_float(0.3f, 1.8f);
            spark->launch(position, direction, speed / 15.0f, colour, time, sparkLife);
        }
    }
    return sparksAlive || alive || childrenAlive;
}

void FireworksRocket::explode(float time)
{
    // The burst's colour, speed and life become the rocket's own, and every
    // child shares them.
    for (float& c : colour)
        c = random_float(0.2f, 1.0f);
    speed = random_float(0.2f, 3.0f);
    life = random_float(2.0f, 12.0f);
    for (auto& child : children) {
        const vec3 direction = random_direction();
        child->launch(position, direction, speed, colour, time, life);
    }
}

void FireworksRocket::writeQuads(FireworksQuads& quads) const
{
    // A burst rocket's sparks keep full strength; a rocket without children
    // fades its sparks with itself. Its alpha may have passed 0 on its last
    // step, so the fade stops at 0.
    const float fade = children.empty() ? std::max(alpha, 0.0f) : 1.0f;
    if (!children.empty() && !alive)
        for (const auto& child : children)
            child->writeQuads(quads);
    for (const auto& spark : trail)
        spark->writeQuad(quads, fade);
}

std::size_t FireworksRocket::particleCount() const
{
    std::size_t n = 1 + trail.size();
    for (const auto& child : children)
        n += child->particleCount();
    return n;
}
