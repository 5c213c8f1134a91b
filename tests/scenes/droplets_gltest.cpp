// Droplets: the marks it places, the uniforms it uploads for a time (read
// back from the program with glGetUniform*), the gate of each kind of mark,
// the clamped counts, fades of 0 or less, and one drawn frame with a ring.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "scenes/droplets.h"
#include "scenes/textscene_fixture.h"
#include "system/input_state.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

const std::vector<std::string> kTracks = {
    "dropTime",   "dropCircle", "dropSpots",  "dropCiFade", "dropCiSpeed", "dropCiFalloff", "dropSpFade",
    "dropSpSize", "cameraEyeX", "cameraEyeY", "cameraEyeZ", "cameraDstX",  "cameraDstY",    "cameraDstZ",
    "cameraUpX",  "cameraUpY",  "cameraUpZ",  "cameraFoV"};

// What the program holds after an update.
struct Uploaded {
    std::vector<std::array<float, 4>> droplets;
    std::array<float, 4> dropletSettings{};
    std::vector<std::array<float, 3>> spots;
    std::array<float, 2> spotSettings{};
};

class DropletsTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gltest::ensure_context(256, 256)); }

    // A world whose song lasts `beats` (the silent clock's length follows
    // its tempo), the camera straight above the plane's centre looking down
    // with -Z up, so that the plane (texture coordinates u right, v up)
    // fills a square view exactly.
    void makeScene(float beats)
    {
        world = std::make_unique<scenetest::SceneWorld>(kTracks);
        if (!std::filesystem::exists("data/scenes"))  // the shaders
            std::filesystem::create_directory_symlink(std::string(VELMO_SOURCE_DIR) + "/data/scenes", "data/scenes");
        Music* music = world->music;
        music->bpm = float(60.0 * beats / (music->getLengthBytes() / 1000.0));
        while (music->getLengthBeats() > beats)  // exactly as long or a hair shorter
            music->bpm = std::nextafter(music->bpm, 0.0f);
        const std::pair<const char*, float> camera[] = {
            {"cameraEyeX", 0},  {"cameraEyeY", 75}, {"cameraEyeZ", 0}, {"cameraDstX", 0}, {"cameraDstY", 0},
            {"cameraDstZ", 0},  {"cameraUpX", 0},   {"cameraUpY", 0},  {"cameraUpZ", -1}, {"cameraFoV", 90}};
        for (const auto& [name, value] : camera)
            music->addSyncValue(name, value, true);
        scene = std::make_unique<Droplets>();
        scene->setMusic(music);
        scene->setInput(&input);
        scene->setKeyTable(keys);
        scene->setAspect(1.0f);
        scene->init();
        scene->setViewport(256, 256);
        for (const auto& [name, value] : camera)
            world->set(name, value);
    }
    void TearDown() override
    {
        scene.reset();
        world.reset();
    }

    Uploaded uploaded()
    {
        const GLuint p = scene->shader->get_program();
        Uploaded u;
        GLint count = -1;
        glGetUniformiv(p, glGetUniformLocation(p, "NumDroplets"), &count);
        for (int i = 0; i < count; ++i) {
            std::array<float, 4> d{};
            glGetUniformfv(p, glGetUniformLocation(p, ("Droplets[" + std::to_string(i) + "]").c_str()), d.data());
            u.droplets.push_back(d);
        }
        glGetUniformfv(p, glGetUniformLocation(p, "DropletSettings"), u.dropletSettings.data());
        glGetUniformiv(p, glGetUniformLocation(p, "NumSpots"), &count);
        for (int i = 0; i < count; ++i) {
            std::array<float, 3> s{};
            glGetUniformfv(p, glGetUniformLocation(p, ("Spots[" + std::to_string(i) + "]").c_str()), s.data());
            u.spots.push_back(s);
        }
        glGetUniformfv(p, glGetUniformLocation(p, "SpotSettings"), u.spotSettings.data());
        return u;
    }

    Uploaded drawAt(float t)
    {
        world->set("dropTime", t);
        scene->draw();
        return uploaded();
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    std::unique_ptr<Droplets> scene;
    InputState input;
    std::uint8_t keys[256] = {};
};

TEST_F(DropletsTest, MarksEveryTwoBeatsAndEveryBeatInsideThePlane)
{
    const struct {
        float beats;
        std::size_t droplets, spots;
    } cases[] = {{0.0f, 0, 0}, {0.5f, 1, 1}, {3.0f, 2, 3}, {40.0f, 20, 40}};
    for (const auto& c : cases) {
        makeScene(c.beats);
        ASSERT_EQ(scene->droplets.size(), c.droplets) << c.beats;
        ASSERT_EQ(scene->spots.size(), c.spots) << c.beats;
        for (std::size_t i = 0; i < scene->droplets.size(); ++i) {
            const Drop& d = scene->droplets[i];
            EXPECT_EQ(d.beat, 2.0f * i);
            EXPECT_TRUE(d.x >= 0.15f && d.x <= 0.85f && d.y >= 0.15f && d.y <= 0.85f) << d.x << "," << d.y;
        }
        for (std::size_t i = 0; i < scene->spots.size(); ++i)
            EXPECT_EQ(scene->spots[i].beat, float(i));
        // A song of length 0 uploads nothing at all.
        if (c.beats == 0.0f) {
            const Uploaded u = drawAt(0.0f);
            EXPECT_TRUE(u.droplets.empty());
            EXPECT_TRUE(u.spots.empty());
        }
        TearDown();
    }
}

TEST_F(DropletsTest, UploadsTheMarksAliveAtTheTime)
{
    makeScene(6.0f);  // droplets at 0, 2, 4; spots at 0 to 5
    const auto& d = scene->droplets;
    const auto& s = scene->spots;
    using D = std::array<float, 4>;
    using S = std::array<float, 3>;
    const struct {
        float t;
        std::vector<D> droplets;
        std::vector<S> spots;
    } cases[] = {
        // At the start droplet 0 and spot 0 are new; spot 1 waits at 0.
        {0.0f, {{d[0].x, d[0].y, 1.0f, 0.0f}}, {{s[0].x, s[0].y, 1.0f}, {s[1].x, s[1].y, 0.0f}}},
        // Before the first mark: no droplet, only spot 0 at 0.
        {-1.0f, {}, {{s[0].x, s[0].y, 0.0f}}},
        // Two droplets alive at once (fade 2.5), one spot fading.
        // Droplet 0 has just reached 0 and is gone; spot 2 fades, spot 3 waits.
        {2.5f, {{d[1].x, d[1].y, 1.0f - 0.5f / 2.5f, 2.0f}}, {{s[2].x, s[2].y, 0.5f}, {s[3].x, s[3].y, 0.0f}}},
        // After the last spot has begun and faded: nothing follows, nothing uploads.
        {7.0f, {}, {}},
        // After the last spot began but before it faded: no next spot, and
        // spot 0 has faded, so the upload is empty too.
        {5.5f, {{d[2].x, d[2].y, 1.0f - 1.5f / 2.5f, 4.0f}}, {}},
    };
    for (const auto& c : cases) {
        const Uploaded u = drawAt(c.t);
        const std::vector<D>& want = c.droplets;
        ASSERT_EQ(u.droplets.size(), want.size()) << "t " << c.t;
        for (std::size_t i = 0; i < want.size(); ++i)
            for (int k = 0; k < 4; ++k)
                EXPECT_FLOAT_EQ(u.droplets[i][k], want[i][k]) << "t " << c.t << " droplet " << i;
        ASSERT_EQ(u.spots.size(), c.spots.size()) << "t " << c.t;
        for (std::size_t i = 0; i < c.spots.size(); ++i)
            for (int k = 0; k < 3; ++k)
                EXPECT_FLOAT_EQ(u.spots[i][k], c.spots[i][k]) << "t " << c.t << " spot " << i;
        EXPECT_EQ(u.dropletSettings, (std::array<float, 4>{0.2f, 2.5f, 100.0f, 0.0f}));
        EXPECT_EQ(u.spotSettings, (std::array<float, 2>{0.4f, 1.0f}));
    }
}

TEST_F(DropletsTest, CircleAndSpotTracksGateTheirUploads)
{
    makeScene(6.0f);
    // Seed the uniforms at t = 0: one droplet, two spots.
    const Uploaded before = drawAt(0.0f);
    ASSERT_EQ(before.droplets.size(), 1u);
    ASSERT_EQ(before.spots.size(), 2u);
    const struct {
        float circle;
        bool updated;
        float mode;
    } cases[] = {{2.0f, true, 1.0f}, {1.5f, true, 0.0f}, {1.0f, true, 0.0f}, {0.5f, false, 0.0f}, {0.0f, false, 0.0f}};
    for (const auto& c : cases) {
        drawAt(0.0f);  // back to the seeded state, mode 0
        world->set("dropCircle", c.circle);
        world->set("dropSpots", c.circle);
        world->set("dropCiSpeed", 0.7f);
        const Uploaded u = drawAt(4.5f);  // droplet 2 alone, spots 4 and 5
        if (c.updated) {
            ASSERT_EQ(u.droplets.size(), 1u) << c.circle;
            EXPECT_EQ(u.droplets[0][3], 4.0f);
            EXPECT_EQ(u.dropletSettings[0], 0.7f);
            EXPECT_EQ(u.dropletSettings[3], c.mode) << c.circle;
        } else {
            // Untouched: still what t = 0 uploaded.
            ASSERT_EQ(u.droplets.size(), 1u);
            EXPECT_EQ(u.droplets[0][3], 0.0f) << c.circle;
            EXPECT_EQ(u.dropletSettings[0], 0.2f) << c.circle;
        }
        // dropSpots follows the same 0.5 threshold.
        EXPECT_EQ(u.spots.size(), 2u);
        EXPECT_FLOAT_EQ(u.spots[0][2], c.circle > 0.5f ? 0.5f : 1.0f) << c.circle;
        world->set("dropCircle", 1.0f);
        world->set("dropSpots", 1.0f);
        world->set("dropCiSpeed", 0.2f);
    }
}

TEST_F(DropletsTest, CountsAreClampedToTheShaderArraysKeepingTheNewest)
{
    makeScene(400.0f);
    world->set("dropCiFade", 100.0f);  // 50 droplets alive at t = 200
    world->set("dropSpFade", 100.0f);  // 100 spots fading, plus the next
    const Uploaded u = drawAt(200.0f);
    ASSERT_EQ(u.droplets.size(), std::size_t(Droplets::kMaxDroplets));
    EXPECT_EQ(u.droplets.front()[3], 200.0f - 2.0f * (Droplets::kMaxDroplets - 1));
    EXPECT_EQ(u.droplets.back()[3], 200.0f);
    EXPECT_FLOAT_EQ(u.droplets.back()[2], 1.0f);
    ASSERT_EQ(u.spots.size(), std::size_t(Droplets::kMaxSpots));
    EXPECT_EQ(u.spots.back()[2], 0.0f);  // the next spot, beat 201
    EXPECT_EQ(u.spots.back()[0], scene->spots[201].x);
    EXPECT_FLOAT_EQ(u.spots.front()[2], 1.0f - float(Droplets::kMaxSpots - 2) / 100.0f);
}

TEST_F(DropletsTest, AFadeOfZeroOrLessMeansNoMarks)
{
    makeScene(6.0f);
    for (float fade : {0.0f, -1.0f, -0.0f}) {
        drawAt(0.0f);  // some marks first
        world->set("dropCiFade", fade);
        world->set("dropSpFade", fade);
        const Uploaded u = drawAt(1.0f);
        EXPECT_TRUE(u.droplets.empty()) << fade;
        EXPECT_TRUE(u.spots.empty()) << fade;
        EXPECT_EQ(u.dropletSettings[1], fade);
        world->set("dropCiFade", 2.5f);
        world->set("dropSpFade", 1.0f);
    }
}

TEST_F(DropletsTest, DrawsARingAroundTheDropletOverDarkWater)
{
    makeScene(6.0f);
    world->set("dropSpots", 0.0f);  // rings only
    world->set("dropCiFalloff", 400.0f);
    gltest::reset_state();
    glViewport(0, 0, 256, 256);
    drawAt(1.0f);  // droplet 0: radius 0.2 plane widths, strength 0.6
    const Drop& d = scene->droplets[0];
    const auto brightness = [](int x, int y) {
        const std::uint32_t p = gltest::read_pixel(x, y);
        return int((p >> 24) & 255) + int((p >> 16) & 255) + int((p >> 8) & 255);
    };
    const int cx = int(d.x * 256), cy = int(d.y * 256);
    const int water = brightness(cx, cy);
    EXPECT_LT(water, 160) << "centre of the ring";
    const float r = 0.2f * 256;
    int lit = 0;
    for (int k = 0; k < 16; ++k) {
        const float a = float(k) * 3.14159265f / 8.0f;
        const int x = int(cx + r * std::cos(a)), y = int(cy + r * std::sin(a));
        if (x < 0 || y < 0 || x >= 256 || y >= 256)
            continue;
        EXPECT_GT(brightness(x, y), water + 150) << "ring at " << x << "," << y;
        ++lit;
    }
    EXPECT_GE(lit, 8);
    // Far outside the ring the water is as dark as inside it.
    const int fx = d.x < 0.5f ? 250 : 5, fy = d.y < 0.5f ? 250 : 5;
    EXPECT_LT(brightness(fx, fy), 160);
}

}  // namespace
