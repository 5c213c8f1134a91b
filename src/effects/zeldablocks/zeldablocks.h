#pragma once
// ZeldaBlocks: many small blocks travelling along z through a box-shaped (or
// disc-shaped) region, wrapping back to its start as time goes on and placed
// anew at random when they run past its far end. Each block is a
// camera-facing quad: four copies of its centre go to one vertex buffer per
// frame and the program spreads the corners from the camera's right and up
// axes, "size" and the texture coordinates, which carry the block's turn.
#include <GL/glew.h>

#include <memory>
#include <vector>

#include "effects/effect.h"
#include "util/math/vec3.h"

class ShaderProgram;

class ZeldaBlocks : public Effects::Effect {
public:
    // The program ("data/effects/zeldablocks/zeldablocks.vert", ".frag") and
    // the vertex buffer; init() lays out the blocks.
    ZeldaBlocks();
    ~ZeldaBlocks() override;

    // count blocks with random speeds (0.05 to 0.2 wraps per unit of time) and
    // turn rates, in the region areaMin..areaMax; a block's z wraps over
    // length. A disc radius above 0 places blocks in that disc around the
    // region's centre instead of the rectangle.
    void init(int count, vec3 areaMin, vec3 areaMax, float length, float size, float discRadius = 0.0f);
    void render(float time) override;
    void update_block(int index, float time);
    void respawn(int index);

    struct Block {
        vec3 position;
        float angle = 0.0f;
        float speed = 0.0f;
        float rate = 0.0f;
    };
    std::vector<Block> blocks;
    bool initialised = false;
    int block_count = 0;
    float size = 0.0f;
    vec3 area_min;
    vec3 area_max;
    float length = 0.0f;
    bool disc_mode = false;
    float disc_radius = 0.0f;
    std::vector<float> vertex_data;
    int texcoord_offset = 0;  // bytes
    int texcoord_size = 0;    // bytes
    GLuint vertex_buffer = 0;
    std::unique_ptr<ShaderProgram> program;
};
