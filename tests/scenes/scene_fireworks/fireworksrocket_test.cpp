// The fireworks' particle tree without a display: the seed conversion, the
// size of the tree, a spark's life, a trail's speeds and lives, a burst's
// colour, speed and life, and the fade of a burst child rocket.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "scenes/scene_fireworks/fireworksquads.h"
#include "scenes/scene_fireworks/fireworksrocket.h"
#include "scenes/scene_fireworks/scene_fireworks.h"
#include "support/fatal_message.h"
#include "util/math/random.h"

namespace {

TEST(FireworksSeed, IntegerPartModulo2To32) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float seed;
        std::uint32_t expected;
    } cases[] = {
        {0.0f, 0u},
        {1423.0f, 1423u},
        {3.9f, 3u},
        {-0.5f, 0u},
        {-1423.0f, 4294967296u - 1423u},
        {4294967296.0f, 0u},                      // 2^32
        {1e10f, 1410065408u},                     // 10^10 - 2 x 2^32
        {-1e10f, 4294967296u - 1410065408u},
        {1e30f, 0u},                              // far past 2^63: a multiple of 2^32
        {-1e30f, 0u},
        {inf, 0u},
        {-inf, 0u},
        {std::numeric_limits<float>::quiet_NaN(), 0u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fireworks::seedFromValue(c.seed), c.expected) << c.seed;
}

TEST(FireworksTree, FiveRocketsHold62155Particles) {
    FireworksRocket rocket(30, 0.25f);
    rocket.addChildren(400, 0);
    EXPECT_EQ(rocket.particleCount(), 1u + 30u + 400u * 31u);
    EXPECT_EQ(5 * rocket.particleCount(), 62155u);
    for (const auto& child : rocket.children) {
        EXPECT_EQ(child->trail.size(), 30u);
        EXPECT_EQ(child->getSize(), 0.25f);
    }
}

TEST(FireworksTree, ChildrenBelowAChildlessRocketStop) {
    testsupport::ThrowingFatalErrors throwing;
    FireworksRocket rocket(3, 0.25f);
    EXPECT_EQ(testsupport::fatal_message([&] { rocket.addChildren(4, 1); }), "Failed assert children.size() > 0");
    rocket.addChildren(2, 0);
    rocket.addChildren(3, 1);
    EXPECT_EQ(rocket.particleCount(), 1u + 3u + 2u * (1u + 3u + 3u * 4u));
}

TEST(FireworksSpark, MovesFadesAndDiesWithoutMoving) {
    FireworksParticle spark;
    const float colour[3] = {1.0f, 0.5f, 0.25f};
    spark.launch(vec3(1, 2, 3), vec3(0, 1, 0), 2.0f, colour, 10.0f, 4.0f);
    EXPECT_TRUE(spark.update(11.0f));
    EXPECT_FLOAT_EQ(spark.position.y, 4.0f);
    EXPECT_FLOAT_EQ(spark.alpha, 0.75f);
    EXPECT_TRUE(spark.update(11.0f));  // no time passed: no move
    EXPECT_FLOAT_EQ(spark.position.y, 4.0f);
    EXPECT_FALSE(spark.update(14.5f));
    EXPECT_EQ(spark.alpha, 0.0f);
    EXPECT_FLOAT_EQ(spark.position.y, 4.0f);
    EXPECT_TRUE(spark.alive);  // the flag belongs to the caller
}

// A flying rocket's trail starts at a quarter of its speed, lives 0.1 to 1
// time units, and each spark that dies while the rocket flies starts again
// from the rocket's point at a fifteenth of its speed, for 0.3 to 1.8.
TEST(FireworksTrail, StartsAtAQuarterAndRelaunchesAtAFifteenthOfTheRocketsSpeed) {
    velmo_srand(11);
    FireworksRocket rocket(2000, 0.25f);
    const float colour[3] = {1.0f, 0.5f, 0.25f};
    rocket.launch(vec3(1, 0, 0), vec3(0, 1, 0), 6.0f, colour, 2.0f, 10.0f);
    const auto lives = [&] {
        float lo = 100.0f, hi = -100.0f;
        for (const auto& spark : rocket.trail) {
            lo = std::min(lo, spark->life);
            hi = std::max(hi, spark->life);
        }
        return std::pair<float, float>(lo, hi);
    };
    for (const auto& spark : rocket.trail)
        ASSERT_EQ(spark->speed, 6.0f / 4.0f);
    auto [lo, hi] = lives();
    EXPECT_GE(lo, 0.1f);
    EXPECT_LT(lo, 0.11f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_GT(hi, 0.99f);

    ASSERT_TRUE(rocket.update(3.5f));  // every first spark has died: all start again
    ASSERT_TRUE(rocket.alive);
    for (const auto& spark : rocket.trail) {
        ASSERT_EQ(spark->speed, 6.0f / 15.0f);
        ASSERT_EQ(spark->startTime, 3.5f);
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(spark->position[k], rocket.position[k]);
        ASSERT_EQ(spark->age, 0.0f);
    }
    EXPECT_FLOAT_EQ(rocket.position.y, 9.0f);
    std::tie(lo, hi) = lives();
    EXPECT_GE(lo, 0.3f);
    EXPECT_LT(lo, 0.32f);
    EXPECT_LE(hi, 1.8f);
    EXPECT_GT(hi, 1.78f);
}

// A burst gives the rocket and every child one colour (0.2 to 1 a channel),
// one speed (0.2 to 3) and one life (2 to 12 time units).
TEST(FireworksBurst, ColourSpeedAndLifeSharedByTheChildren) {
    velmo_srand(3);
    FireworksRocket rocket(0, 0.25f);
    rocket.addChildren(3, 0);
    float lifeLo = 100.0f, lifeHi = 0.0f, speedLo = 100.0f, speedHi = 0.0f, colourLo = 100.0f, colourHi = 0.0f;
    for (int burst = 0; burst < 2000; ++burst) {
        rocket.explode(float(burst));
        lifeLo = std::min(lifeLo, rocket.life);
        lifeHi = std::max(lifeHi, rocket.life);
        speedLo = std::min(speedLo, rocket.speed);
        speedHi = std::max(speedHi, rocket.speed);
        for (const float c : rocket.colour) {
            colourLo = std::min(colourLo, c);
            colourHi = std::max(colourHi, c);
        }
        for (const auto& child : rocket.children) {
            ASSERT_EQ(child->life, rocket.life);
            ASSERT_EQ(child->speed, rocket.speed);
            ASSERT_EQ(child->startTime, float(burst));
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(child->position[k], rocket.position[k]);
                ASSERT_EQ(child->colour[k], rocket.colour[k]);
            }
        }
    }
    EXPECT_GE(lifeLo, 2.0f);
    EXPECT_LT(lifeLo, 2.05f);
    EXPECT_LE(lifeHi, 12.0f);
    EXPECT_GT(lifeHi, 11.95f);
    EXPECT_GE(speedLo, 0.2f);
    EXPECT_LT(speedLo, 0.22f);
    EXPECT_LE(speedHi, 3.0f);
    EXPECT_GT(speedHi, 2.98f);
    EXPECT_GE(colourLo, 0.2f);
    EXPECT_LT(colourLo, 0.21f);
    EXPECT_LE(colourHi, 1.0f);
    EXPECT_GT(colourHi, 0.99f);
}

// A child rocket fades its sparks with itself; its last step may take its
// alpha below 0, which must not turn into negative light. Invisible quads
// are left out of the block.
TEST(FireworksQuadBlock, BurstChildFadeStopsAtZero) {
    velmo_srand(5);
    FireworksRocket top(2, 0.25f);
    top.addChildren(1, 0);
    const float colour[3] = {1.0f, 1.0f, 1.0f};
    top.launch(vec3(0, 0, 0), vec3(0, 1, 0), 1.0f, colour, 0.0f, 1.0f);
    top.update(1.5f);  // bursts: the child flies from here
    ASSERT_FALSE(top.alive);
    FireworksRocket& child = *top.children[0];
    ASSERT_TRUE(child.alive);
    for (auto& spark : child.trail)
        spark->launch(child.position, vec3(0, 1, 0), 0.0f, colour, 1.5f, 100.0f);

    FireworksQuads quads(top.particleCount());
    child.alpha = 0.5f;
    top.writeQuads(quads);
    ASSERT_EQ(quads.size(), 2u);  // the child's two sparks; the top's trail has died out
    const float* alphas = quads.data() + quads.capacity() * 20;
    EXPECT_FLOAT_EQ(alphas[3], 0.5f);

    child.alpha = -0.25f;
    quads.clear();
    top.writeQuads(quads);
    EXPECT_EQ(quads.size(), 0u);

    quads.keepInvisible = true;
    quads.clear();
    top.writeQuads(quads);
    ASSERT_EQ(quads.size(), 4u);
    for (std::size_t q = 0; q < quads.size(); ++q)
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_GE(alphas[q * 16 + corner * 4 + 3], 0.0f) << q;
}

TEST(FireworksQuadBlock, LayoutOfOneQuad) {
    FireworksQuads quads(3);
    const float colour[3] = {0.1f, 0.2f, 0.3f};
    quads.write(vec3(0, 0, 0), colour, 1.0f);
    quads.write(vec3(4, 5, 6), colour, 0.5f);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads.bytes(), 3u * 144u);
    const float* p = quads.data() + 12;
    const float* t = quads.data() + 3 * 12 + 8;
    const float* c = quads.data() + 3 * 20 + 16;
    const float corners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p[k * 3 + 0], 4.0f);
        EXPECT_EQ(p[k * 3 + 2], 6.0f);
        EXPECT_EQ(t[k * 2 + 0], corners[k * 2 + 0]);
        EXPECT_EQ(t[k * 2 + 1], corners[k * 2 + 1]);
        EXPECT_EQ(c[k * 4 + 2], 0.3f);
        EXPECT_EQ(c[k * 4 + 3], 0.5f);
    }
}

}  // namespace
