// The drifting blocks: where blocks are placed (rectangle, disc, a disc of a
// bad radius), the z wrap for positive and negative times, the angle at time
// 0, the vertex buffer a render writes, and the fatal render before init.
#include <cmath>
#include <limits>

#include "effect_fixtures.h"
#include "effects/zeldablocks/zeldablocks.h"
#include "util/math/random.h"

namespace {

using namespace effecttest;
using testsupport::fatal_message;

class ZeldaBlocksGLTest : public EffectGLTest {};

TEST_F(ZeldaBlocksGLTest, PlacementInRectangleAndDisc)
{
    ZeldaBlocks blocks;
    velmo_srand(3);
    blocks.init(200, vec3(-2, 1, -50), vec3(2, 3, 0), 50.0f, 0.5f);
    for (const auto& b : blocks.blocks) {
        EXPECT_GE(b.position.x, -2.0f);
        EXPECT_LE(b.position.x, 2.0f);
        EXPECT_GE(b.position.y, 1.0f);
        EXPECT_LE(b.position.y, 3.0f);
        EXPECT_EQ(b.position.z, -50.0f);
        EXPECT_GE(b.speed, 0.05f);
        EXPECT_LE(b.speed, 0.2f);
    }
    // Disc mode: within the radius of the region's centre (0, 2) whatever
    // the region's z range.
    blocks.init(200, vec3(-2, 1, -50), vec3(2, 3, 0), 50.0f, 0.5f, 1.5f);
    EXPECT_TRUE(blocks.disc_mode);
    for (const auto& b : blocks.blocks)
        EXPECT_LE(std::hypot(b.position.x, b.position.y - 2.0f), 1.5f + 1e-5f);
}

TEST_F(ZeldaBlocksGLTest, UnusableDiscRadiusPlacesAtTheCentreInsteadOfLooping)
{
    ZeldaBlocks blocks;
    blocks.init(3, vec3(0, 0, 0), vec3(4, 2, 1), 1.0f, 1.0f, 1.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float radius : {-1.0f, nan, std::numeric_limits<float>::infinity()}) {
        blocks.disc_radius = radius;
        blocks.respawn(0);
        EXPECT_EQ(blocks.blocks[0].position.x, 2.0f) << radius;
        EXPECT_EQ(blocks.blocks[0].position.y, 1.0f) << radius;
    }
}

TEST_F(ZeldaBlocksGLTest, ZWrapAndAngle)
{
    ZeldaBlocks blocks;
    blocks.init(1, vec3(0, 0, -10), vec3(1, 1, 100), 10.0f, 1.0f);
    auto& b = blocks.blocks[0];
    b.speed = 0.25f;
    b.rate = 1.0f;
    struct Case {
        float t, z;
    };
    // Negative times run on the same way: -1 is 3/4 of the way, not -1/4.
    for (const Case& c : {Case{1.0f, -7.5f}, Case{4.0f, -10.0f}, Case{5.0f, -7.5f}, Case{-1.0f, -2.5f},
                          Case{-4.0f, -10.0f}, Case{-0.4f, -1.0f}}) {
        blocks.update_block(0, c.t);
        EXPECT_NEAR(b.position.z, c.z, 1e-5f) << c.t;
    }
    // A large time keeps its fraction.
    blocks.update_block(0, 40001.0f);
    EXPECT_NEAR(b.position.z, -7.5f, 1e-3f);
    // sin(s)/s + s, with its limit 1 at s = 0 instead of 0/0.
    blocks.update_block(0, 0.0f);
    EXPECT_EQ(b.angle, 1.0f);
    b.rate = 0.0f;
    blocks.update_block(0, 3.0f);
    EXPECT_EQ(b.angle, 1.0f);
    b.rate = 2.0f;
    blocks.update_block(0, 0.5f);
    EXPECT_FLOAT_EQ(b.angle, std::sin(1.0f) + 1.0f);
}

TEST_F(ZeldaBlocksGLTest, RenderWritesTheBufferAndRespawnsPastTheFarEnd)
{
    ZeldaBlocks blocks;
    EXPECT_EQ(fatal_message([&] { blocks.render(0.0f); }),
              "ZeldaBlocks::render() called without initializing effect!");
    // The wrap length (10) is longer than the region (0..4): blocks past 4
    // are placed anew each time.
    blocks.init(2, vec3(0, 0, 0), vec3(1, 1, 4), 10.0f, 0.5f);
    blocks.blocks[0].speed = 0.05f;  // z 0.5 at t = 1: stays
    blocks.blocks[1].speed = 0.6f;   // z 6 at t = 1: past the end
    blocks.blocks[0].rate = blocks.blocks[1].rate = 1.0f;
    const vec3 before0 = blocks.blocks[0].position;
    int moved = 0;
    for (int i = 0; i < 5; ++i) {
        const vec3 before1 = blocks.blocks[1].position;
        blocks.render(1.0f);
        moved += blocks.blocks[1].position.x != before1.x;
    }
    EXPECT_EQ(blocks.blocks[0].position.x, before0.x);
    EXPECT_GE(moved, 4);
    EXPECT_NEAR(blocks.blocks[1].position.z, 6.0f, 1e-5f);

    std::vector<float> v(blocks.vertex_data.size());
    glBindBuffer(GL_ARRAY_BUFFER, blocks.vertex_buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(v.size() * 4), v.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(blocks.texcoord_offset, 2 * 48);
    for (int i = 0; i < 2; ++i) {
        const auto& b = blocks.blocks[i];
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(v[i * 12 + k * 3], b.position.x);
            EXPECT_EQ(v[i * 12 + k * 3 + 2], b.position.z);
        }
        const float s = 0.5f * std::sin(b.angle) + 0.5f, c = 0.5f * std::cos(b.angle) + 0.5f;
        const float want[8] = {s, 0, c, 0, c, 1, s, 1};
        for (int k = 0; k < 8; ++k)
            EXPECT_FLOAT_EQ(v[24 + i * 8 + k], want[k]);
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(ZeldaBlocksGLTest, BlocksDrawAsDarkQuads)
{
    glViewport(0, 0, 64, 64);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ZeldaBlocks blocks;
    blocks.init(1, vec3(0, 0, -0.5f), vec3(0, 0, 0.5f), 1.0f, 0.4f);
    blocks.blocks[0].speed = 0.0f;
    blocks.blocks[0].rate = 1.0f;
    // Angle sin(2) / 2 + 2: the corners lie at sin and cos of it across,
    // on both sides of the centre.
    blocks.render(2.0f);
    EXPECT_LT(red(gltest::read_pixel(32, 32)), 100);
    EXPECT_EQ(red(gltest::read_pixel(2, 2)), 255);
    glClearColor(0, 0, 0, 0);
}

}  // namespace
