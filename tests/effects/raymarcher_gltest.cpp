// The ray marcher at 96x96: the fourteen tracks registered by the
// constructor (so the first draw is not fatal), the uniforms read back from
// track values, the seeded generator, and a picture with something in it.
#include <cstring>

#include "effect_fixtures.h"
#include "effects/raymarcher/raymarcher.h"
#include "util/math/random.h"

namespace {

using namespace effecttest;

class RaymarcherGLTest : public EffectGLTest {
protected:
    static void set_value(Music& music, const std::string& name, float value)
    {
        for (SyncValue& v : music.syncValues)
            if (v.name == name) {
                ASSERT_EQ(v.track, nullptr) << name << " has a track file";
                v.value = value;
                return;
            }
        FAIL() << "no value " << name;
    }
};

TEST_F(RaymarcherGLTest, TracksRegisteredUniformsAndPicture)
{
    auto music = silent_music();
    Effects::Raymarcher ray(music.get(), vec4(1, 1, 1, 1));
    auto registered = [&] {
        int n = 0;
        for (const SyncValue& v : music->syncValues)
            n += v.name.rfind("Ray", 0) == 0;
        return n;
    };
    EXPECT_EQ(registered(), 14);
    Effects::Raymarcher second(music.get(), vec4(1, 1, 1, 1));  // registers nothing twice
    EXPECT_EQ(registered(), 14);

    glViewport(0, 0, 96, 96);
    ray.draw(2.0f);
    // Defaults: the camera 4 back, no view rotation.
    auto view = uniform("View", 16);
    EXPECT_FLOAT_EQ(view[14], -4.0f);
    auto rotation = uniform("ViewRotation", 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(rotation[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    EXPECT_FLOAT_EQ(uniform("SkyboxMix", 1)[0], 0.0f);
    const std::uint32_t centre = gltest::read_pixel(48, 48);
    EXPECT_GT(red(centre), 30) << "the box is in front of the camera";

    set_value(*music, "RayPosX", 1.5f);
    set_value(*music, "RayPosY", -2.0f);
    set_value(*music, "RayViewRot", 90.0f);
    set_value(*music, "RayViewRotX", 0.0f);
    set_value(*music, "RayViewRotY", 0.0f);
    set_value(*music, "RayViewRotZ", 2.0f);
    const char* looks[] = {"RotationTime", "Color", "AoFactor", "Cutouts", "Slashes", "PlaneDistance", "RotationMix"};
    for (int i = 0; i < 7; ++i)
        set_value(*music, std::string("Ray") + looks[i], 0.5f + float(i));
    ray.render(3.0f);
    view = uniform("View", 16);
    EXPECT_FLOAT_EQ(view[12], 1.5f);
    EXPECT_FLOAT_EQ(view[13], -2.0f);
    rotation = uniform("ViewRotation", 16);
    // 90 degrees about z: x goes to y.
    EXPECT_NEAR(rotation[0], 0.0f, 1e-6f);
    EXPECT_NEAR(rotation[1], 1.0f, 1e-6f);
    EXPECT_NEAR(rotation[4], -1.0f, 1e-6f);
    for (int i = 0; i < 7; ++i)
        EXPECT_FLOAT_EQ(uniform(looks[i], 1)[0], 0.5f + float(i)) << looks[i];

    // Seeded from the time's bits, the same every draw.
    const int next = velmo_rand();
    float t = 3.0f;
    unsigned bits = 0;
    std::memcpy(&bits, &t, sizeof bits);
    velmo_srand(bits);
    EXPECT_EQ(velmo_rand(), next);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
