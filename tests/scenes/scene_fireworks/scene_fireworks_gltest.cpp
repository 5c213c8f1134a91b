// Fireworks: the same tracks give the same quad block (two instances side by
// side, each with its own block), constant time moves nothing, the block
// never overflows, and the picture is the additive sum of the sparks.
#include <gtest/gtest.h>

#include <cstring>

#include "scenes/scene_fireworks/scene_fireworks.h"
#include "scenes/textscene_fixture.h"

namespace {

const std::vector<std::string> kTracks = {"frwxTime", "frwxSeed"};

struct FireworksProbe : Fireworks {
    using Fireworks::quads;
    using Fireworks::render;
    using Fireworks::rockets;
};

// The whole block, every region.
std::vector<float> block_of(const FireworksProbe& scene) {
    return std::vector<float>(scene.quads.data(), scene.quads.data() + scene.quads.bytes() / sizeof(float));
}

class FireworksTest : public gltest::GLTest {
protected:
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        start(scene);
    }
    void TearDown() override {
        scene.deinit();
        world.reset();
    }

    void start(FireworksProbe& s) {
        s.setMusic(world->music);
        s.init();
    }

    void drawAt(FireworksProbe& s, float time) {
        world->set("frwxTime", time);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        s.setViewport(256, 256);
        s.draw();
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    FireworksProbe scene;
};

// The written quads of each region: positions, texture coordinates, colours.
std::vector<float> used_part(const FireworksProbe& scene) {
    const float* block = scene.quads.data();
    const std::size_t room = scene.quads.capacity(), n = scene.quads.size();
    std::vector<float> used(block, block + n * 12);
    used.insert(used.end(), block + room * 12, block + room * 12 + n * 8);
    used.insert(used.end(), block + room * 20, block + room * 20 + n * 16);
    return used;
}

// Two runs of the same track curves, one after the other (the generator is
// process-wide, so runs drawn frame by frame in turn would share it), while
// both scenes live: each keeps its own block.
TEST_F(FireworksTest, SameTracksGiveTheSameBlocks) {
    const std::pair<float, float> frames[] = {{0.0f, 0.0f}, {0.7f, 0.0f}, {2.9f, 0.0f}, {3.4f, 2.0f},
                                              {6.0f, 2.0f}, {9.5f, 2.0f}, {4.0f, -3.5f}, {15.0f, -3.5f}};
    const auto run = [&](FireworksProbe& s) {
        std::vector<std::vector<float>> blocks;
        for (const auto& [time, seed] : frames) {
            world->set("frwxSeed", seed);
            drawAt(s, time);
            EXPECT_GT(s.quads.size(), 0u) << time;
            blocks.push_back(used_part(s));
        }
        return blocks;
    };
    world->set("frwxSeed", 0.0f);
    const auto first = run(scene);
    FireworksProbe other;
    world->set("frwxSeed", 0.0f);
    start(other);
    EXPECT_NE(other.quads.data(), scene.quads.data());
    const auto second = run(other);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t f = 0; f < first.size(); ++f)
        EXPECT_EQ(first[f], second[f]) << "frame " << f;
    other.deinit();
}

TEST_F(FireworksTest, ConstantTimeMovesNothing) {
    // From the start: 5 rockets x 30 sparks at their launch points.
    drawAt(scene, 0.0f);
    const std::vector<float> first = block_of(scene);
    EXPECT_EQ(scene.quads.size(), 150u);
    for (int frame = 0; frame < 3; ++frame) {
        drawAt(scene, 0.0f);
        ASSERT_EQ(block_of(scene), first);
    }
    for (std::size_t q = 0; q < 150; ++q) {
        const FireworksRocket& rocket = *scene.rockets[q / 30];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(first[q * 12 + k], rocket.position[k]) << q;
    }
    // Later on: the first frame at a time relaunches the sparks that died
    // before it; after that nothing changes.
    for (const float time : {1.0f, 2.0f, 6.0f})
        drawAt(scene, time);
    const std::vector<float> settled = block_of(scene);
    for (int frame = 0; frame < 3; ++frame) {
        drawAt(scene, 6.0f);
        ASSERT_EQ(block_of(scene), settled);
    }
}

TEST_F(FireworksTest, QuadCountStaysWithinTheBlock) {
    EXPECT_EQ(scene.quads.capacity(), 62155u);
    std::size_t most = 0;
    for (float time = 0.0f; time < 40.0f; time += 0.5f) {
        drawAt(scene, time);
        ASSERT_LE(scene.quads.size(), 60150u) << time;
        most = std::max(most, scene.quads.size());
    }
    EXPECT_GT(most, 5000u) << "the bursts are drawn";
}

// Sparks stacked on one point add up: k sparks give k times the light of
// one. Sparks of alpha 0 add nothing, so leaving them out of the block gives
// the same picture.
TEST_F(FireworksTest, PictureIsTheAdditiveSumOverBlack) {
    drawAt(scene, 0.0f);  // loads the camera's matrices
    const float dim[3] = {0.12f, 0.06f, 0.03f};
    const auto render_with = [&](int visible, bool keepInvisible) {
        int n = 0;
        for (auto& rocket : scene.rockets) {
            rocket->size = 2.0f;
            for (auto& spark : rocket->trail) {
                spark->position = vec3(0.0f, 2.0f, 0.0f);  // the camera's target: the centre
                for (int k = 0; k < 3; ++k)
                    spark->colour[k] = dim[k];
                spark->alpha = n++ < visible ? 1.0f : 0.0f;
            }
        }
        scene.quads.keepInvisible = keepInvisible;
        glClear(GL_COLOR_BUFFER_BIT);
        scene.render();
        return gltest::read_rgba(0, 0, 256, 256);
    };
    const std::vector<std::uint8_t> one = render_with(1, false);
    EXPECT_EQ(scene.quads.size(), 1u);
    const std::vector<std::uint8_t> three = render_with(3, false);
    int lit = 0;
    for (std::size_t i = 0; i < one.size(); i += 4) {
        for (int c = 0; c < 3; ++c)
            ASSERT_NEAR(int(three[i + c]), 3 * int(one[i + c]), 3) << i / 4 << " channel " << c;
        if (one[i] > 0)
            ++lit;
    }
    EXPECT_GT(lit, 400);
    const std::size_t centre = (128 * 256 + 128) * 4;
    EXPECT_GT(one[centre], 10);
    EXPECT_EQ(one[0] + one[1] + one[2], 0) << "the corner stays black";

    const std::vector<std::uint8_t> withInvisible = render_with(3, true);
    EXPECT_EQ(scene.quads.size(), 150u);
    EXPECT_EQ(withInvisible, three);
}

}  // namespace
