// Camera control: the camera follows the ten camera tracks every call;
// free flight (F11 in the key table) leaves the tracks alone and moves the
// camera by hand; an all-zero key table never enters it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <utility>

#include "scenes.h"
#include "support/scene_fixtures.h"
#include "system/frame_timer.h"
#include "util/camera/camera.h"
#include "util/data/data_layer.h"
#include "util/music/music.h"

namespace {

class CameraControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(VELMO_BINARY_DIR), 0);  // the run folder: data/ links to the build production's assets
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
        music = new Music();  // no music file: the silent clock
        const std::pair<const char*, float> tracks[] = {
            {"cameraEyeX", -15}, {"cameraEyeY", -15}, {"cameraEyeZ", -15}, {"cameraDstX", 0},
            {"cameraDstY", 0},   {"cameraDstZ", 0},   {"cameraUpX", 0},    {"cameraUpY", 1},
            {"cameraUpZ", 0},    {"cameraFoV", 45}};
        for (const auto& [name, value] : tracks)
            music->addSyncValue(name, value, true);
        FrameTimer::init();
    }
    void SetUp() override
    {
        set_camera(-15, -15, -15, 0, 0, 0, 0, 1, 0, 45);
        std::fill(std::begin(keys), std::end(keys), 0);
    }
    static void set_camera(float ex, float ey, float ez, float tx, float ty, float tz, float ux,
                           float uy, float uz, float fov)
    {
        const char* names[] = {"cameraEyeX", "cameraEyeY", "cameraEyeZ", "cameraDstX", "cameraDstY",
                               "cameraDstZ", "cameraUpX",  "cameraUpY",  "cameraUpZ",  "cameraFoV"};
        const float values[] = {ex, ey, ez, tx, ty, tz, ux, uy, uz, fov};
        for (int i = 0; i < 10; ++i)
            scenetest::set_track(music, names[i], values[i]);
    }
    static void expect_view(const Camera& camera, float ex, float ey, float ez, float tx, float ty,
                            float tz, float ux, float uy, float uz)
    {
        mat4 expected;
        expected.lookAt(ex, ey, ez, tx, ty, tz, ux, uy, uz);
        const mat4 view = camera.get_view_matrix();
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(view.get(i), expected.get(i), 1e-5f) << i;
    }

    static Music* music;
    std::uint8_t keys[256];
    InputState input;
};

Music* CameraControlTest::music;

TEST_F(CameraControlTest, FollowsTheTracks)
{
    Camera camera;
    update_camera_control(&camera, keys, &input, 10.0f, music);
    expect_view(camera, -15, -15, -15, 0, 0, 0, 0, 1, 0);
    EXPECT_FLOAT_EQ(camera.get_vfov(), 45.0f);
    EXPECT_FLOAT_EQ(camera.eye.x, -15.0f);

    set_camera(3, 4, 5, 1, 2, -3, 0, 0, 1, 60);  // a change reaches the very next call
    update_camera_control(&camera, keys, &input, 10.0f, music);
    expect_view(camera, 3, 4, 5, 1, 2, -3, 0, 0, 1);
    EXPECT_FLOAT_EQ(camera.get_vfov(), 60.0f);
}

// Input state full of keys and mouse movement, but a zero key table: the
// camera still follows the tracks.
TEST_F(CameraControlTest, ZeroKeyTableNeverFliesFree)
{
    Camera camera;
    std::fill(std::begin(input.key_down), std::end(input.key_down), 1);
    std::fill(std::begin(input.key_pressed), std::end(input.key_pressed), 1);
    input.delta_x = 50;
    input.mouse_grabbed = true;
    for (int i = 0; i < 3; ++i) {
        update_camera_control(&camera, keys, &input, 10.0f, music);
        expect_view(camera, -15, -15, -15, 0, 0, 0, 0, 1, 0);
    }
}

// F11 toggles on its press only; in free flight the tracks are ignored and
// the keys move the camera.
TEST_F(CameraControlTest, F11TogglesFreeFlight)
{
    Camera camera;
    update_camera_control(&camera, keys, &input, 10.0f, music);
    const mat4 placed = camera.get_view_matrix();

    keys[122] = 1;
    update_camera_control(&camera, keys, &input, 10.0f, music);  // on
    set_camera(1, 1, 1, 0, 0, 0, 0, 1, 0, 30);
    update_camera_control(&camera, keys, &input, 10.0f, music);  // still held: stays on
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(camera.get_view_matrix().get(i), placed.get(i)) << i;
    EXPECT_FLOAT_EQ(camera.get_vfov(), 45.0f);

    keys[122] = 0;
    // Keypad plus narrows the field of view by 60 degrees a second, keypad
    // minus widens it, both by the averaged frame time.
    for (const auto& [key, sign] : {std::pair{107, -1.0f}, std::pair{109, 1.0f}}) {
        keys[key] = 1;
        const float start = camera.get_vfov();
        float expected = start;
        for (int i = 0; i < 3; ++i) {
            usleep(20000);  // each frame lasts at least 20 ms
            FrameTimer::update();
            expected += sign * 60.0f * FrameTimer::frame_delta();
            update_camera_control(&camera, keys, &input, 10.0f, music);
        }
        EXPECT_NEAR(camera.get_vfov(), expected, 1e-3f) << key;
        EXPECT_GT(sign * (camera.get_vfov() - start), 1.0f) << key;  // 0.024 s at the least
        keys[key] = 0;
    }

    keys[122] = 1;
    update_camera_control(&camera, keys, &input, 10.0f, music);  // off again
    expect_view(camera, 1, 1, 1, 0, 0, 0, 0, 1, 0);
    EXPECT_FLOAT_EQ(camera.get_vfov(), 30.0f);
    keys[122] = 0;
    update_camera_control(&camera, keys, &input, 10.0f, music);
}

}  // namespace
