// SjakkVektor: the tree of 155 balls and sticks, folded into the origin at
// progress 0, every stick ending at its ball's centre (also along -z), the
// level divisor within its swing, and a lit picture.
#include <gtest/gtest.h>

#include <cmath>

#include "scenes/scene3d_fixture.h"
#include "scenes/sjakkvektor.h"

namespace {

using scene3dtest::apply;
using scene3dtest::finite;

struct SjakkVektorProbe : SjakkVektor {
    using SjakkVektor::ballIndex;
    using SjakkVektor::ballNode;
    using SjakkVektor::radius;
    using SjakkVektor::sizeDivisor;
    using SjakkVektor::stickNode;
    using SjakkVektor::tree;
};

class SjakkVektorTest : public scene3dtest::Scene3DTest {
protected:
    std::vector<std::string> trackNames() const override { return {"ballsProgress"}; }
};

TEST_F(SjakkVektorTest, AtProgressZeroEveryBallSitsAtTheOrigin) {
    SjakkVektorProbe scene;
    start(scene);
    ASSERT_EQ(scene.ballNode->modelViewMatrices.size(), 156u);
    ASSERT_EQ(scene.stickNode->modelViewMatrices.size(), 155u);
    EXPECT_GT(scene.radius, 5.0f) << "measured on the unfolded build-time tree";

    world->set("ballsProgress", 0.0f);
    scene.updateBalls();
    EXPECT_EQ(scene.ballIndex, 155);
    for (const mat4& m : scene.ballNode->modelViewMatrices) {
        ASSERT_TRUE(finite(m));
        EXPECT_LT(apply(m, vec3(0, 0, 0)).length(), 1e-5f);
    }
    for (const mat4& m : scene.stickNode->modelViewMatrices) {
        ASSERT_TRUE(finite(m));
        EXPECT_LT(apply(m, vec3(0, 0, 1)).length(), 1e-3f) << "a stick of length 0";
    }
}

TEST_F(SjakkVektorTest, EveryStickEndsAtItsBallAlsoAlongMinusZ) {
    SjakkVektorProbe scene;
    start(scene);
    scene.tree.directions[0] = vec3(0, 0, -1);
    scene.tree.children[0].directions[0] = vec3(0, 0, -1);
    for (const float p : {15.0f, 40.0f, 77.5f}) {
        world->set("ballsProgress", p);
        scene.updateBalls();
        for (std::size_t k = 0; k < 155; ++k) {
            const vec3 end = apply(scene.stickNode->modelViewMatrices[k], vec3(0, 0, 1));
            const vec3 ball = apply(scene.ballNode->modelViewMatrices[k + 1], vec3(0, 0, 0));
            ASSERT_LT((end - ball).length(), 1e-3f) << "p " << p << ", ball " << k;
        }
        // The -z stick of the first ball leaves the origin (its parent, the
        // central ball) rather than pointing the other way.
        const vec3 start0 = apply(scene.stickNode->modelViewMatrices[0], vec3(0, 0, 0));
        EXPECT_LT(start0.length(), 1e-4f);
        EXPECT_LT(apply(scene.ballNode->modelViewMatrices[0], vec3(0, 0, 0)).length(), 1e-6f) << "central ball";
    }
}

TEST_F(SjakkVektorTest, TheLevelDivisorSwingsBetweenOnePointFourAndTwoPointSix) {
    SjakkVektorProbe scene;
    start(scene);
    float lowest = 10.0f, highest = 0.0f;
    for (float p = 0.0f; p < 60.0f; p += 0.37f) {
        world->set("ballsProgress", p);
        scene.updateBalls();
        lowest = std::min(lowest, scene.sizeDivisor);
        highest = std::max(highest, scene.sizeDivisor);
        ASSERT_NEAR(scene.sizeDivisor, 2.0f + 0.6f * std::sin(0.71f * p), 1e-5f);
    }
    EXPECT_GE(lowest, 1.4f - 1e-5f);
    EXPECT_LE(highest, 2.6f + 1e-5f);
    EXPECT_LT(lowest, 1.45f);
    EXPECT_GT(highest, 2.55f);
}

TEST_F(SjakkVektorTest, DrawsALitTreeThatFollowsTheProgress) {
    SjakkVektorProbe scene;
    start(scene);
    world->set("ballsProgress", 40.0f);
    const std::vector<std::uint8_t> open = drawAt(scene, 0.0f);
    EXPECT_GT(litPixels(open), 20);
    world->set("ballsProgress", 0.0f);
    const std::vector<std::uint8_t> folded = drawAt(scene, 0.0f);
    EXPECT_NE(open, folded);
    EXPECT_LT(litPixels(folded), litPixels(open)) << "all balls in one place";
}

}  // namespace
