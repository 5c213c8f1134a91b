#include "scenes/scene_fireworks/fireworksquads.h"

#include "system/fatal_error.h"

FireworksQuads::FireworksQuads(std::size_t capacity) : block(capacity * 36, 0.0f), room(capacity) {}

void FireworksQuads::write(const vec3& position, const float colour[3], float alpha)
{
    if (!(alpha > 0.0f) && !keepInvisible)
        return;
    VELMO_ASSERT(count < room);
    float* p = block.data() + count * 12;
    float* t = block.data() + room * 12 + count * 8;
    float* c = block.data() + room * 20 + count * 16;
    static const float corners[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    for (int k = 0; k < 4; ++k) {
        p[k * 3 + 0] = position.x;
        p[k * 3 + 1] = position.y;
        p[k * 3 + 2] = position.z;
        t[k * 2 + 0] = corners[k * 2 + 0];
        t[k * 2 + 1] = corners[k * 2 + 1];
        c[k * 4 + 0] = colour[0];
        c[k * 4 + 1] = colour[1];
        c[k * 4 + 2] = colour[2];
        c[k * 4 + 3] = alpha;
    }
    ++count;
}
