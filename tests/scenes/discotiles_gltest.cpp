// DiscoTiles: the tile alphas each light pattern builds (checked against the
// patterns walked in full, drop by drop and spot by spot, as a reference),
// the tracks that switch them, and one drawn frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scenes/discotiles.h"
#include "scenes/scene3d_fixture.h"

namespace {

struct DiscoTilesProbe : DiscoTiles {
    using DiscoTiles::drops;
    using DiscoTiles::material;
    using DiscoTiles::node;
    using DiscoTiles::spots;

    std::vector<float> alphas() const
    {
        std::vector<float> out;
        for (const vec4& c : material->diffuseColors)
            out.push_back(c.w);
        return out;
    }
};

float tileDistance(int n, float x, float y)
{
    const float dx = static_cast<float>(n % 80) - x;
    const float dy = static_cast<float>(n / 80) - y;
    return std::sqrt(dx * dx + dy * dy);
}

// The rings of every drop begun so far, each one visited.
std::vector<float> referenceDrops(const std::vector<Drop>& drops, float b, bool outside)
{
    std::vector<float> alpha(6400, 0.0f);
    for (int n = 0; n < 6400; ++n)
        for (const Drop& drop : drops) {
            if (drop.beat > b)
                break;
            const float age = b - drop.beat;
            const float s = 1.0f - age / 5.0f;
            if (s <= 0.0f)
                continue;
            const float d = tileDistance(n, drop.x, drop.y);
            const float g = outside ? d - 5.0f * age : 8.0f * age - d;
            if (s > 0.0f && g > 0.0f)
                alpha[n] += s / g;
        }
    return alpha;
}

class DiscoTilesTest : public scene3dtest::Scene3DTest {
protected:
    std::vector<std::string> trackNames() const override { return {"discScroll", "discDrops", "discSpots"}; }

    void only(float scroll, float drops, float spots)
    {
        world->set("discScroll", scroll);
        world->set("discDrops", drops);
        world->set("discSpots", spots);
    }

    // The alphas one frame builds at the beat.
    std::vector<float> alphasAt(DiscoTilesProbe& scene, float beat)
    {
        drawAt(scene, beat);
        return scene.alphas();
    }
};

TEST_F(DiscoTilesTest, TilesLieOnTheGridAndMarksInsideIt) {
    DiscoTilesProbe scene;
    start(scene);
    ASSERT_EQ(scene.node->modelViewMatrices.size(), 6400u);
    ASSERT_EQ(scene.material->diffuseColors.size(), 6400u);
    const vec3 first = scene3dtest::apply(scene.node->modelViewMatrices[0], vec3(0, 0, 0));
    const vec3 last = scene3dtest::apply(scene.node->modelViewMatrices[6399], vec3(0, 0, 0));
    EXPECT_NEAR(first.x, -44.0f, 1e-4f);
    EXPECT_NEAR(first.z, -44.0f, 1e-4f);
    EXPECT_NEAR(last.x, 42.9f, 1e-4f);
    EXPECT_NEAR(last.z, 42.9f, 1e-4f);
    const float length = world->music->getLengthBeats();
    ASSERT_GT(length, 20.0f);
    EXPECT_EQ(scene.drops.size(), static_cast<std::size_t>(std::ceil(length / 2.0f)));
    EXPECT_EQ(scene.spots.size(), static_cast<std::size_t>(std::ceil(length / 0.25f)));
    for (const Drop& d : scene.drops) {
        EXPECT_GE(d.x, 15.0f);
        EXPECT_LE(d.y, 65.0f);
    }
}

TEST_F(DiscoTilesTest, TracksAtOneHalfOrLessLeaveEveryTileDark) {
    DiscoTilesProbe scene;
    start(scene);
    for (const float off : {0.5f, 0.0f, -3.0f})
        for (const float beat : {0.0f, 3.3f, 10.75f}) {
            only(off, off, off);
            for (const float a : alphasAt(scene, beat))
                ASSERT_EQ(a, 0.0f) << off << " at " << beat;
        }
}

TEST_F(DiscoTilesTest, TheScrollWaveFollowsTheTileIndexAndTheBeat) {
    DiscoTilesProbe scene;
    start(scene);
    only(0.51f, 0.0f, 0.0f);
    for (const float beat : {0.0f, 1.0f, 7.3f}) {
        const std::vector<float> a = alphasAt(scene, beat);
        for (const int n : {0, 1, 79, 80, 3333, 6399})
            EXPECT_NEAR(a[n], 0.5f * std::sin(static_cast<float>(n) + beat * 3.14159265f / 2.0f) + 0.5f, 1e-5f)
                << n << " at " << beat;
    }
}

TEST_F(DiscoTilesTest, RingsComeFromTheDropsOfTheLastFiveBeats) {
    DiscoTilesProbe scene;
    start(scene);
    struct Case {
        float track;
        bool outside;
    };
    // Above 1.5 outside the wave fronts; above 0.5 up to 1.5 inside them.
    for (const Case c : {Case{2.0f, true}, Case{1.5f, false}, Case{0.7f, false}}) {
        only(0.0f, c.track, 0.0f);
        for (const float beat : {0.0f, 0.5f, 4.0f, 9.1f, 17.99f, 30.0f}) {
            const std::vector<float> a = alphasAt(scene, beat);
            const std::vector<float> want = referenceDrops(scene.drops, beat, c.outside);
            for (int n = 0; n < 6400; ++n)
                ASSERT_EQ(a[n], want[n]) << "track " << c.track << ", beat " << beat << ", tile " << n;
        }
    }
    // At its own beat a drop lights the tiles around it (outside rings,
    // g = d), and five beats later it has faded out.
    only(0.0f, 2.0f, 0.0f);
    const Drop& drop = scene.drops[3];
    const int near = static_cast<int>(std::round(drop.y)) * 80 + static_cast<int>(std::round(drop.x)) + 2;
    const std::vector<float> atDrop = alphasAt(scene, drop.beat);
    ASSERT_EQ(world->music->getBeat(), drop.beat);
    std::vector<Drop> withoutIt = scene.drops;
    withoutIt.erase(withoutIt.begin() + 3);
    const float lit = atDrop[near] - referenceDrops(withoutIt, drop.beat, true)[near];
    EXPECT_NEAR(lit, 1.0f / tileDistance(near, drop.x, drop.y), 1e-4f);
    const std::vector<float> faded = alphasAt(scene, drop.beat + 5.0f);
    const std::vector<Drop> others(scene.drops.begin() + 4, scene.drops.end());
    EXPECT_EQ(faded, referenceDrops(others, drop.beat + 5.0f, true));
}

TEST_F(DiscoTilesTest, SpotsLightOnlyBetweenTheFirstAndTheLast) {
    DiscoTilesProbe scene;
    start(scene);
    only(0.0f, 0.0f, 1.0f);
    const float lastBeat = scene.spots.back().beat;
    for (const float beat : {-1.0f, -0.01f, lastBeat, lastBeat + 0.1f, lastBeat + 5.0f})
        for (const float a : alphasAt(scene, beat))
            ASSERT_EQ(a, 0.0f) << beat;

    // In between, the spots of the last two beats add soft discs.
    const float beat = 6.1f;
    const std::vector<float> a = alphasAt(scene, beat);
    std::vector<float> want(6400, 0.0f);
    for (int n = 0; n < 6400; ++n)
        for (const Spot& s : scene.spots) {
            if (s.beat > beat)
                break;
            const float strength = 1.0f - (beat - s.beat) / 2.0f;
            const float d = tileDistance(n, s.x, s.y);
            if (strength > 0.0f && d <= 15.0f)
                want[n] += strength * (1.0f - d / 15.0f) * (1.0f - d / 15.0f) * (1.0f - d / 15.0f);
        }
    float brightest = 0.0f;
    for (int n = 0; n < 6400; ++n) {
        ASSERT_NEAR(a[n], want[n], 1e-4f) << n;
        brightest = std::max(brightest, a[n]);
    }
    EXPECT_GT(brightest, 0.5f);
}

TEST_F(DiscoTilesTest, DrawsTheLitTilesAndNotTheSkyBox) {
    DiscoTilesProbe scene;
    start(scene);
    world->set("cameraEyeX", 0.0f);
    world->set("cameraEyeY", 60.0f);
    world->set("cameraEyeZ", 1.0f);
    only(0.0f, 0.0f, 0.0f);
    const std::vector<std::uint8_t> dark = drawAt(scene, 6.1f);
    EXPECT_EQ(litPixels(dark), 0) << "no tile lit and no sky box";
    only(1.0f, 1.0f, 1.0f);
    const std::vector<std::uint8_t> lit = drawAt(scene, 6.1f);
    EXPECT_GT(litPixels(lit), scene3dtest::kSize * scene3dtest::kSize / 4);
}

}  // namespace
