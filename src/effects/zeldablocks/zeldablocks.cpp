#include "effects/zeldablocks/zeldablocks.h"

#include <cmath>

#include "effects/fixed_function.h"
#include "system/fatal_error.h"
#include "util/math/mathutils.h"
#include "util/shaderprogram/shaderprogram.h"

ZeldaBlocks::ZeldaBlocks()
    : program(std::make_unique<ShaderProgram>("data/effects/zeldablocks/zeldablocks.vert",
                                              "data/effects/zeldablocks/zeldablocks.frag"))
{
    glGenBuffers(1, &vertex_buffer);
}

ZeldaBlocks::~ZeldaBlocks() { glDeleteBuffers(1, &vertex_buffer); }

void ZeldaBlocks::init(int count, vec3 areaMin, vec3 areaMax, float length_, float size_, float discRadius)
{
    block_count = count > 0 ? count : 0;
    area_min = areaMin;
    area_max = areaMax;
    length = length_;
    size = size_;
    disc_mode = discRadius > 0.0f;
    disc_radius = discRadius;
    blocks.assign(static_cast<std::size_t>(block_count), Block{});
    for (int i = 0; i < block_count; ++i) {
        blocks[i].speed = random_float(0.05f, 0.2f);
        blocks[i].rate = random_float(0.2f, 1.0f);
        respawn(i);
    }
    vertex_data.assign(static_cast<std::size_t>(block_count) * 20, 0.0f);
    texcoord_offset = block_count * 12 * static_cast<int>(sizeof(float));
    texcoord_size = block_count * 8 * static_cast<int>(sizeof(float));
    initialised = true;
}

void ZeldaBlocks::update_block(int i, float t)
{
    Block& b = blocks[i];
    // The fraction first (floor, so negative times run the same way), then
    // scaled: adding a large whole-number part back would lose the fraction.
    const float travelled = t * b.speed;
    b.position.z = area_min.z + (travelled - std::floor(travelled)) * length;
    const float s = t * b.rate;
    // sin(s) / s tends to 1 at 0.
    b.angle = (s == 0.0f ? 1.0f : std::sin(s) / s) + s;
}

void ZeldaBlocks::respawn(int i)
{
    Block& b = blocks[i];
    if (disc_mode) {
        const float cx = (area_min.x + area_max.x) * 0.5f;
        const float cy = (area_min.y + area_max.y) * 0.5f;
        // A radius that is not a positive finite number is a disc of one point.
        const float r = std::isfinite(disc_radius) && disc_radius > 0.0f ? disc_radius : 0.0f;
        float x = cx, y = cy;
        float distance = r + 1.0f;
        while (distance > r) {
            x = random_float(cx - r, cx + r);
            y = random_float(cy - r, cy + r);
            distance = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        }
        b.position.x = x;
        b.position.y = y;
    } else {
        b.position.x = random_float(area_min.x, area_max.x);
        b.position.y = random_float(area_min.y, area_max.y);
    }
    b.position.z = area_min.z;
}

void ZeldaBlocks::render(float t)
{
    if (!initialised)
        FATAL_ERROR("ZeldaBlocks::render() called without initializing effect!");
    float* positions = vertex_data.data();
    float* texcoords = positions + block_count * 12;
    for (int i = 0; i < block_count; ++i) {
        update_block(i, t);
        if (blocks[i].position.z > area_max.z) {
            respawn(i);
            update_block(i, t);
        }
        const Block& b = blocks[i];
        for (int k = 0; k < 4; ++k) {
            positions[i * 12 + k * 3] = b.position.x;
            positions[i * 12 + k * 3 + 1] = b.position.y;
            positions[i * 12 + k * 3 + 2] = b.position.z;
        }
        const float sa = 0.5f * std::sin(b.angle) + 0.5f;
        const float ca = 0.5f * std::cos(b.angle) + 0.5f;
        const float uv[8] = {sa, 0.0f, ca, 0.0f, ca, 1.0f, sa, 1.0f};
        std::copy(uv, uv + 8, texcoords + i * 8);
    }

    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    Effects::disable_texture_generation();
    glDisable(GL_CULL_FACE);

    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    program->bind();
    program->set_vec3("right", vec3(m[0], m[4], m[8]), 1);
    program->set_vec3("up", vec3(m[1], m[5], m[9]), 1);
    program->set_float("size", size);

    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertex_data.size() * sizeof(float)), vertex_data.data(),
                 GL_STREAM_DRAW);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glTexCoordPointer(2, GL_FLOAT, 0, reinterpret_cast<const void*>(static_cast<std::size_t>(texcoord_offset)));
    glDrawArrays(GL_QUADS, 0, 4 * block_count);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
