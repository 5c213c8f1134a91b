#pragma once
// The vertex block of the fireworks: one billboard quad per visible spark,
// in three regions one after the other (positions: 12 floats per quad, the
// spark's point at all four corners; texture coordinates: 8 floats; colours:
// 16 floats), each region sized for every particle of one firework.
#include <cstddef>
#include <vector>

#include "util/math/vec3.h"

class FireworksQuads {
public:
    // Room for `capacity` quads.
    explicit FireworksQuads(std::size_t capacity = 0);

    void clear() { count = 0; }
    // One quad at the point, in the colour with this alpha. A quad of alpha 0
    // or less adds nothing to an additive picture and is left out, unless
    // keepInvisible is set (to compare pictures with and without them).
    void write(const vec3& position, const float colour[3], float alpha);

    std::size_t size() const { return count; }
    std::size_t capacity() const { return room; }
    const float* data() const { return block.data(); }
    std::size_t positionBytes() const { return room * 48; }
    std::size_t texcoordBytes() const { return room * 32; }
    std::size_t colourBytes() const { return room * 64; }
    std::size_t bytes() const { return positionBytes() + texcoordBytes() + colourBytes(); }

    bool keepInvisible = false;

private:
    std::vector<float> block;
    std::size_t room;
    std::size_t count = 0;
};
