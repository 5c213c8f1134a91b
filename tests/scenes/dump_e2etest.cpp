// The video dump of the real program, as a person makes it: "Get &avi" in
// the settings dialog, a codec in the compression dialog, then the show
// renders itself into "<title>.01.avi" and the program ends. The production
// is the compiled-in one with its song cut to two seconds (its own packed
// data file), under an X server of 640 x 360.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/audio_fixtures.h"
#include "support/avi_probe.h"
#include "support/xdotool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWait = 60000;
constexpr int kRate = 44100;
constexpr int kSongFrames = 2 * kRate;  // two seconds
const std::string kTitle = "Glass Harbour Signal";

struct Codec {
    const char* name;
    const char* keys;  // in the compression dialog
    const char* codecName;
    int jpegQuality;  // of the frames; 0 for uncompressed ones
};

// A temporary project holding the production with its two-second song, and
// the run folder with its packed data file.
class DumpProject : public testing::Test {
protected:
    void SetUp() override
    {
        if (e2e::production_setting("index") != "3")
            GTEST_SKIP() << "cuts the song of production 3, which this build does not play";
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        folder = e2e::make_temp_folder();
        ASSERT_FALSE(folder.empty());
        const fs::path project = fs::path(folder) / "project";
        const fs::path source = fs::path(VELMO_SOURCE_DIR) / "data";
        fs::create_directories(project / "data" / "music");
        for (const char* top : {"common", "effects"})
            fs::create_directory_symlink(source / top, project / "data" / top);
        fs::create_directory_symlink(source / "sync_tracker" / "3", project / "data" / "sync_tracker");
        for (const char* file : {"glass_harbour_signal.xml", "glass_harbour_signal_lfo.xml",
                                 "glass_harbour_signal.mid"})
            fs::copy_file(source / "music" / file, project / "data" / "music" / file);

        // The song: two seconds of a chord, encoded as the production's OGG.
        std::vector<short> samples(kSongFrames * 2);
        for (int i = 0; i < kSongFrames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            samples[2 * i] = static_cast<short>(6000 * std::sin(2 * M_PI * 220 * t));
            samples[2 * i + 1] = static_cast<short>(6000 * std::sin(2 * M_PI * 330 * t));
        }
        const std::string wav = folder + "/song.wav";
        ogg = (project / "data" / "music" / "glass_harbour_signal.ogg").string();
        write_wav(wav, samples, 2, kRate);
        int status = -1;
        avitest::run_command("oggenc -Q -o " + avitest::shell_quote(ogg) + " " +
                                 avitest::shell_quote(wav),
                             &status);
        ASSERT_EQ(status, 0);

        run = folder + "/run";
        fs::create_directories(run);
        avitest::run_command(avitest::shell_quote(std::string(VELMO_BINARY_DIR) +
                                                  "/tools/pack/velmo_pack") +
                                 " " + avitest::shell_quote(project.string()) + " " +
                                 avitest::shell_quote(run + "/data.vlm") + " > /dev/null 2>&1",
                             &status);
        ASSERT_EQ(status, 0) << "velmo_pack failed";
    }
    void TearDown() override
    {
        if (!folder.empty())
            fs::remove_all(folder);
    }

    e2e::XServer server{640, 360};
    std::string folder, run, ogg;
};

class DumpE2E : public DumpProject, public testing::WithParamInterface<Codec> {};

TEST_P(DumpE2E, GetAviRendersTheShowWithItsSound)
{
    e2e::Program program(e2e::velmorin_path(), run, server.display());
    e2e::Window dialog;
    ASSERT_TRUE(e2e::wait_for_window(server.display(), "", "#32770", kWait, program, &dialog))
        << program.output();
    ASSERT_EQ(dialog.name, kTitle);
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+a"));
    e2e::Window compression;
    ASSERT_TRUE(e2e::wait_for_window(server.display(), "Video Compression", "", kWait, program,
                                     &compression))
        << program.output();
    ASSERT_TRUE(e2e::press(server.display(), compression.id, GetParam().keys));
    int code = -1;
    ASSERT_TRUE(program.wait_exit(300000, &code)) << "still rendering\n" << program.output();
    const std::string out = program.output();
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("Dumping to video file " + kTitle + ".avi\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Dumped frame 0 and wrote 2940 samples of audio\n"), std::string::npos);
    EXPECT_NE(out.find("Dumped frame 59 and wrote 2940 samples of audio\n"), std::string::npos);
    EXPECT_EQ(out.find("Dumped frame 60 "), std::string::npos);
    EXPECT_NE(out.find("  Finished dumping, quit event posted\n"), std::string::npos);
    EXPECT_NE(out.find("Finished AVI writing\n"), std::string::npos);
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;

    const std::string file = run + "/" + kTitle + ".01.avi";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(run + "/" + kTitle + ".02.avi"));
    const auto streams = avitest::probe_streams(file);
    ASSERT_EQ(streams.size(), 2u);
    const auto& video = streams[0];
    EXPECT_EQ(video.at("codec_type"), "video");
    EXPECT_EQ(video.at("codec_name"), GetParam().codecName);
    EXPECT_EQ(video.at("TAG:title"), "Video");
    EXPECT_EQ(video.at("width"), "640");
    EXPECT_EQ(video.at("height"), "360");
    EXPECT_EQ(video.at("r_frame_rate"), "30/1");
    EXPECT_EQ(video.at("nb_read_frames"), "60");  // the song's two seconds x 30
    const auto& audio = streams[1];
    EXPECT_EQ(audio.at("TAG:title"), "Audio");
    EXPECT_EQ(audio.at("codec_name"), "pcm_s16le");
    EXPECT_EQ(audio.at("sample_rate"), "44100");
    EXPECT_EQ(audio.at("channels"), "2");

    // The audio is the whole song: the same length, and the same samples as
    // ffmpeg's own decoding of the OGG (within rounding).
    const auto dumped = avitest::decode_audio_s16(file);
    const auto song = avitest::decode_audio_s16(ogg);
    ASSERT_EQ(dumped.size(), static_cast<std::size_t>(kSongFrames * 2));
    ASSERT_EQ(song.size(), dumped.size());
    int worst = 0;
    for (std::size_t i = 0; i < song.size(); ++i)
        worst = std::max(worst, std::abs(song[i] - dumped[i]));
    EXPECT_LE(worst, 2);
    EXPECT_EQ(avitest::decode_video_bgr24(file).size(), 640u * 360 * 3 * 60);
    if (GetParam().jpegQuality) {
        EXPECT_EQ(avitest::mjpeg_quality(file), GetParam().jpegQuality);
    }
}

// Cancel (Escape) in the compression dialog: no video file can be opened,
// which is the fatal error with its message box; exit code 1.
TEST_F(DumpProject, CancelInTheCompressionDialogIsFatal)
{
    e2e::Program program(e2e::velmorin_path(), run, server.display());
    e2e::Window dialog;
    ASSERT_TRUE(e2e::wait_for_window(server.display(), "", "#32770", kWait, program, &dialog));
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+a"));
    e2e::Window compression;
    ASSERT_TRUE(e2e::wait_for_window(server.display(), "Video Compression", "", kWait, program,
                                     &compression));
    ASSERT_TRUE(e2e::press(server.display(), compression.id, "Escape"));
    e2e::Window box;
    ASSERT_TRUE(e2e::wait_for_window(server.display(), "Error in file src\\scenes.cpp", "", kWait,
                                     program, &box))
        << program.output();
    ASSERT_TRUE(e2e::press(server.display(), box.id, "Return"));
    int code = -1;
    ASSERT_TRUE(program.wait_exit(kWait, &code));
    EXPECT_EQ(code, 1);
    EXPECT_NE(program.output().find("ERROR: "), std::string::npos);
    EXPECT_NE(program.output().find("Failed to open video file " + kTitle + ".avi"),
              std::string::npos)
        << program.output();
    EXPECT_FALSE(fs::exists(run + "/" + kTitle + ".01.avi"));
}

INSTANTIATE_TEST_SUITE_P(Codecs, DumpE2E,
    testing::Values(Codec{"Uncompressed", "Return", "rawvideo", 0},
                    Codec{"MotionJpeg", "alt+m Return", "mjpeg", 90}),  // as the dialog opens
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
