#pragma once
// A rocket of the fireworks: it flies and trails sparks; when its life ends
// it bursts and launches its children, smaller rockets with trails of their
// own. The top rockets rise from the ground and rise again once everything of
// theirs has died.
#include <cstddef>
#include <memory>
#include <vector>

#include "scenes/scene_fireworks/fireworksparticle.h"

class FireworksRocket : public FireworksParticle {
public:
    FireworksRocket(int trailCount, float size);

    // The particle's launch, then every trail spark from the rocket's point
    // in a random direction at a quarter of its speed.
    void launch(const vec3& position, const vec3& velocity, float speed, const float* colour,
                float startTime, float life) override;
    // Flies (bursting at the end of its life) or, once burst, moves its
    // children; keeps its trail going while it flies. False when it, its
    // sparks and all its children are dead.
    bool update(float time) override;

    // Rises from a random point of the ground area.
    void launchRandom(float time);
    // Launches every child from here, all with one random colour, speed and life.
    void explode(float time);
    // Adds count children (of this rocket's trail length and size) at the
    // given depth below this rocket.
    void addChildren(int count, int depth);
    // The quads of its trail and, once it has burst, of its children's.
    void writeQuads(FireworksQuads& quads) const;
    float getSize() const { return size; }
    // This rocket, its trail and everything below it.
    std::size_t particleCount() const;

    float size;
    std::vector<std::unique_ptr<FireworksRocket>> children;
    std::vector<std::unique_ptr<FireworksParticle>> trail;

private:
    void launchTrail();
};
