// The video dump in a real 1366 x 768 window: frames read back with tightly
// packed rows (1366 x 3 bytes is not a multiple of four) decode in ffmpeg
// without skew; with music, every frame carries its slice of whole sample
// frames, the audio equals the song and the dump ends with it, headers and
// index complete; without music, video only.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/avifile.h"
#include "platform/messages.h"
#include "support/audio_fixtures.h"
#include "support/avi_probe.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/velmosystem.h"
#include "util/music/music.h"

namespace fs = std::filesystem;

namespace {

using scenetest::ColourScene;

constexpr int kWidth = 1366;
constexpr int kHeight = 768;

class SceneDumpGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        ASSERT_EQ(gltest::window_width(), kWidth);
        dir = fs::path(VELMO_BINARY_DIR) / "scene_dump_test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        set_avi_save_options_responder([](AVICOMPRESSOPTIONS& options) {
            options.fccHandler = AVI_HANDLER_DIB;
            return TRUE;
        });
        reset_message_queue_for_testing();
    }
    void TearDown() override
    {
        set_avi_save_options_responder({});
        VelmoSystem::quitPosted = false;
        VelmoSystem::dumpVideo = false;
        reset_message_queue_for_testing();
        fs::remove_all(dir);
    }

    // Four vertical stripes of the 1365 x 768 view: red, green, blue, white.
    void add_stripes(SceneManager* manager)
    {
        const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}};
        for (int i = 0; i < 4; ++i) {
            manager->addScene(new ColourScene("stripe", colours[i][0], colours[i][1], colours[i][2],
                                              1, &log, i * 0.25f, 0, (i + 1) * 0.25f, 1));
        }
        const char* tracks[] = {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd"};
        for (int i = 0; i < 3; ++i)
            scenetest::set_track(manager->music, tracks[i], static_cast<float>(i));
        scenetest::set_track(manager->music, "ActiveScene4rd", 3);
        for (const char* pp : {"ppDither", "ppFade", "ppBlur", "ppRadblur", "ppFilm"})
            scenetest::set_track(manager->music, pp, -1);
    }

    // Every row of every decoded frame: the three stripes and the overlay.
    void expect_stripes(const std::vector<std::uint8_t>& video, int frames)
    {
        const std::size_t row = static_cast<std::size_t>(kWidth) * 3;
        ASSERT_EQ(video.size(), row * kHeight * frames);
        const struct {
            int x;
            std::uint8_t b, g, r;
        } expected[] = {{10, 0, 0, 255},     {330, 0, 0, 255},  {350, 0, 255, 0},
                        {670, 0, 255, 0},    {690, 255, 0, 0},  {1010, 255, 0, 0},
                        {1030, 255, 255, 255}, {1360, 255, 255, 255}};
        int wrong = 0;
        for (int f = 0; f < frames; ++f)
            for (int y = 0; y < kHeight; ++y)
                for (const auto& e : expected) {
                    const std::uint8_t* p = &video[(f * kHeight + y) * row + e.x * 3];
                    if (p[0] != e.b || p[1] != e.g || p[2] != e.r)
                        ++wrong;
                }
        EXPECT_EQ(wrong, 0);
    }

    fs::path dir;
    std::vector<ColourScene::Draw> log;
};

TEST_F(SceneDumpGLTest, SilentProductionDumpsVideoOnlyAtFullWidth)
{
    const std::string stem = (dir / "Silent Show").string();
    SceneManager* manager = scenetest::make_scene_manager(kWidth, kHeight, true, "", stem);
    add_stripes(manager);
    manager->start();
    for (int i = 0; i < 3; ++i)
        manager->run();
    EXPECT_FALSE(VelmoSystem::quitPosted);
    delete manager;

    const std::string file = stem + ".01.avi";
    const auto streams = avitest::probe_streams(file);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("width"), "1366");
    EXPECT_EQ(streams[0].at("height"), "768");
    EXPECT_EQ(streams[0].at("r_frame_rate"), "30/1");
    EXPECT_EQ(streams[0].at("nb_read_frames"), "3");
    expect_stripes(avitest::decode_video_bgr24(file), 3);
}

// 32 kHz does not divide by 30: slices of 1066 or 1067 sample frames, the
// remainder carried, so that one second of music gives 30 frames and all
// 32000 sample frames, and the dump ends cleanly with the song.
TEST_F(SceneDumpGLTest, DumpWithMusicEndsWithTheSong)
{
    const int rate = 32000;
    std::vector<short> samples(rate * 2);
    for (int i = 0; i < rate; ++i) {
        samples[2 * i] = static_cast<short>(8000 * std::sin(i * 0.05));
        samples[2 * i + 1] = static_cast<short>(-6000 * std::sin(i * 0.031));
    }
    const std::string wav = (dir / "song.wav").string();
    const std::string ogg = (dir / "song.ogg").string();
    write_wav(wav, samples, 2, rate);
    int status = -1;
    avitest::run_command("oggenc -Q -o " + avitest::shell_quote(ogg) + " " + avitest::shell_quote(wav),
                         &status);
    ASSERT_EQ(status, 0);

    const std::string stem = (dir / "Music Show").string();
    testing::internal::CaptureStdout();
    SceneManager* manager = scenetest::make_scene_manager(kWidth, kHeight, true, ogg, stem);
    ASSERT_FALSE(manager->music->dummy_mode);
    ASSERT_EQ(manager->music->waveFormat.nSamplesPerSec, static_cast<DWORD>(rate));
    const std::vector<std::int16_t> song(manager->music->u16_buffer,
                                         manager->music->u16_buffer + manager->music->num_samples);
    const std::size_t songFrames = song.size() / 2;
    add_stripes(manager);
    manager->start();
    int frames = 0;
    while (!VelmoSystem::quitPosted && frames < 100) {
        manager->run();
        ++frames;
    }
    delete manager;
    const std::string out = testing::internal::GetCapturedStdout();

    const int expectedFrames = static_cast<int>((songFrames * 30 + rate - 1) / rate);
    EXPECT_EQ(frames, expectedFrames);
    EXPECT_NE(out.find("Dumping to video file " + stem + ".avi\n"), std::string::npos);
    EXPECT_NE(out.find("Dumped frame 0 and wrote 2132 samples of audio\n"), std::string::npos);
    EXPECT_NE(out.find("Dumped frame 1 and wrote 2134 samples of audio\n"), std::string::npos);
    EXPECT_NE(out.find("  Finished dumping, quit event posted\n"), std::string::npos);
    EXPECT_NE(out.find("Finished AVI writing\n"), std::string::npos);

    const std::string file = stem + ".01.avi";
    const auto streams = avitest::probe_streams(file);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].at("nb_read_frames"), std::to_string(expectedFrames));
    EXPECT_EQ(streams[1].at("codec_name"), "pcm_s16le");
    EXPECT_EQ(streams[1].at("sample_rate"), std::to_string(rate));
    EXPECT_EQ(streams[1].at("channels"), "2");
    EXPECT_EQ(avitest::decode_audio_s16(file), song);
    expect_stripes(avitest::decode_video_bgr24(file), expectedFrames);
}

}  // namespace
