// The video dump's AVI writer, checked with ffprobe and ffmpeg as oracles:
// streams and headers, decoded pixels and audio, part naming and splitting,
// the compression choice.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/avi_probe.h"
#include "platform/audio_waveformat.h"
#include "platform/avifile.h"
#include "platform/aviwriter.h"

namespace fs = std::filesystem;
using avitest::decode_audio_s16;
using avitest::decode_video_bgr24;
using avitest::probe_streams;

namespace {

// A 16-bit PCM format as the music object holds it.
struct PcmFormat {
    WAVEFORMATEX format{};
    PcmFormat(int channels, int rate)
    {
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(channels);
        format.nSamplesPerSec = static_cast<DWORD>(rate);
        format.nAvgBytesPerSec = static_cast<DWORD>(rate * channels * 2);
        format.nBlockAlign = static_cast<WORD>(channels * 2);
        format.wBitsPerSample = 16;
    }
    const WAVEFORMATEX* get() const { return &format; }
};

// Tightly packed bottom-up BGR frame with a pattern that differs per frame.
std::vector<std::uint8_t> make_frame(int width, int height, int frame, bool smooth)
{
    std::vector<std::uint8_t> f(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* p = &f[(static_cast<std::size_t>(y) * width + x) * 3];
            if (smooth) {
                p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
                p[1] = static_cast<std::uint8_t>(30 + y * 2);
                p[2] = static_cast<std::uint8_t>(40 * frame + 20);
            } else {
                p[0] = static_cast<std::uint8_t>(x * 7 + frame * 13);
                p[1] = static_cast<std::uint8_t>(y * 5 + frame * 3);
                p[2] = static_cast<std::uint8_t>(x + y + frame);
            }
        }
    return f;
}

// The decoder gives top row first; our frames are bottom row first.
std::vector<std::uint8_t> flip_rows(const std::uint8_t* frame, int width, int height)
{
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> out(row * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&out[y * row], frame + (height - 1 - y) * row, row);
    return out;
}

class AviWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path("avi_writer_test") /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        set_avi_save_options_responder({});
    }
    void TearDown() override
    {
        set_avi_save_options_responder({});
        fs::remove_all(dir);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

struct DumpCase {
    const char* name;
    std::uint32_t codec;
    int width;
    int height;
    const char* codecName;
};

class AviWriterDumpTest : public AviWriterTest, public ::testing::WithParamInterface<DumpCase> {};

// A few frames with their audio slices, as the dump writes them, decode in
// ffmpeg to the same pixels and samples; the headers say 30 frames per
// second, the frame size and the audio format.
TEST_P(AviWriterDumpTest, FramesAndAudioDecodeInFfmpeg)
{
    const DumpCase& c = GetParam();
    const bool jpeg = c.codec == AVI_HANDLER_MJPG;
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("Dump Test.avi").c_str(), 30.0f, c.codec, 9500));
    writer.set_size(c.width, c.height);
    const PcmFormat format(2, 44100);
    writer.set_audio_format(format.get());

    const int frameCount = 4;
    std::vector<std::uint8_t> expectedVideo;
    std::vector<std::int16_t> audio;
    for (int f = 0; f < frameCount; ++f) {
        const auto frame = make_frame(c.width, c.height, f, jpeg);
        ASSERT_TRUE(writer.add_video_frame(frame.data()));
        const auto flipped = flip_rows(frame.data(), c.width, c.height);
        expectedVideo.insert(expectedVideo.end(), flipped.begin(), flipped.end());
        std::vector<std::int16_t> slice(1470 * 2);
        for (std::size_t i = 0; i < slice.size(); ++i)
            slice[i] = static_cast<std::int16_t>((f * 1470 + i / 2) * (i % 2 ? -3 : 5));
        ASSERT_TRUE(writer.add_audio(slice.data(), 1470));
        audio.insert(audio.end(), slice.begin(), slice.end());
    }
    writer.close();

    const std::string file = path("Dump Test.01.avi");
    ASSERT_TRUE(fs::exists(file));
    const auto streams = probe_streams(file);
    ASSERT_EQ(streams.size(), 2u);
    const auto& v = streams[0];
    EXPECT_EQ(v.at("codec_type"), "video");
    EXPECT_EQ(v.at("codec_name"), c.codecName);
    EXPECT_EQ(v.at("width"), std::to_string(c.width));
    EXPECT_EQ(v.at("height"), std::to_string(c.height));
    EXPECT_EQ(v.at("r_frame_rate"), "30/1");
    EXPECT_EQ(v.at("nb_read_frames"), std::to_string(frameCount));
    EXPECT_EQ(v.at("TAG:title"), "Video");
    const auto& a = streams[1];
    EXPECT_EQ(a.at("codec_type"), "audio");
    EXPECT_EQ(a.at("codec_name"), "pcm_s16le");
    EXPECT_EQ(a.at("sample_rate"), "44100");
    EXPECT_EQ(a.at("channels"), "2");
    EXPECT_EQ(a.at("TAG:title"), "Audio");

    const auto decoded = decode_video_bgr24(file);
    ASSERT_EQ(decoded.size(), expectedVideo.size());
    if (jpeg) {
        long total = 0;
        int worst = 0;
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            const int d = std::abs(decoded[i] - expectedVideo[i]);
            total += d;
            worst = std::max(worst, d);
        }
        EXPECT_LT(static_cast<double>(total) / decoded.size(), 3.0);
        EXPECT_LT(worst, 48);
    } else {
        EXPECT_TRUE(decoded == expectedVideo) << "uncompressed frames must decode exactly";
    }
    EXPECT_EQ(decode_audio_s16(file), audio);
}

INSTANTIATE_TEST_SUITE_P(Codecs, AviWriterDumpTest,
    ::testing::Values(
        DumpCase{"Uncompressed", 0, 64, 48, "rawvideo"},
        // 1366 x 3 bytes is not a multiple of four: bitmap rows get padding.
        DumpCase{"UncompressedOddRow", 0, 1366, 6, "rawvideo"},
        DumpCase{"UncompressedTiny", 0, 3, 2, "rawvideo"},
        DumpCase{"MotionJpeg", AVI_HANDLER_MJPG, 160, 90, "mjpeg"},
        DumpCase{"MotionJpegOddSize", AVI_HANDLER_MJPG, 1366, 10, "mjpeg"}),
    [](const auto& info) { return std::string(info.param.name); });

// Reads the first 'strh' of kind `type` out of the file's header.
struct StreamHeader {
    std::uint32_t handler, scale, rate, length, bufferSize, sampleSize;
    std::int16_t rect[4];
};
StreamHeader read_stream_header(const std::string& file, const char* type)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> head(4096);
    in.read(head.data(), head.size());
    for (std::size_t i = 0; i + 64 < head.size(); ++i) {
        if (std::memcmp(&head[i], "strh", 4) == 0 && std::memcmp(&head[i + 8], type, 4) == 0) {
            const char* h = &head[i + 8];
            StreamHeader s;
            std::memcpy(&s.handler, h + 4, 4);
            std::memcpy(&s.scale, h + 20, 4);
            std::memcpy(&s.rate, h + 24, 4);
            std::memcpy(&s.length, h + 32, 4);
            std::memcpy(&s.bufferSize, h + 36, 4);
            std::memcpy(&s.sampleSize, h + 44, 4);
            std::memcpy(s.rect, h + 48, 8);
            return s;
        }
    }
    ADD_FAILURE() << "no strh " << type << " in " << file;
    return {};
}

// The size is given after part 1 is opened; part 1 still carries the real
// frame rectangle and buffer size. Audio: scale 1, rate = sample rate, sample
// size = block alignment.
TEST_F(AviWriterTest, FirstPartHeadersCarryTheRealFrameSize)
{
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("Head.avi").c_str(), 30.0f, 0, 100));
    writer.set_size(40, 30);
    const PcmFormat format(2, 48000);
    writer.set_audio_format(format.get());
    const auto frame = make_frame(40, 30, 0, false);
    ASSERT_TRUE(writer.add_video_frame(frame.data()));
    std::vector<std::int16_t> slice(3200);
    ASSERT_TRUE(writer.add_audio(slice.data(), 1600));
    writer.close();

    const auto v = read_stream_header(path("Head.01.avi"), "vids");
    EXPECT_EQ(v.scale, 10000u);
    EXPECT_EQ(v.rate, 300000u);
    EXPECT_EQ(v.length, 1u);
    EXPECT_EQ(v.bufferSize, 40u * 30 * 3);
    EXPECT_EQ(v.rect[0], 0);
    EXPECT_EQ(v.rect[1], 0);
    EXPECT_EQ(v.rect[2], 40);
    EXPECT_EQ(v.rect[3], 30);
    const auto a = read_stream_header(path("Head.01.avi"), "auds");
    EXPECT_EQ(a.scale, 1u);
    EXPECT_EQ(a.rate, 48000u);
    EXPECT_EQ(a.sampleSize, 4u);
    EXPECT_EQ(a.length, 1600u);
    EXPECT_EQ(a.bufferSize, 48000u * 4);
}

TEST_F(AviWriterTest, PartNamesComeFromTheStem)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    fs::create_directories(dir / "folder.v2");
    const Case cases[] = {
        {"Glass Harbour Signal.avi", "Glass Harbour Signal.01.avi"},
        {"plain", "plain.01.avi"},
        {"folder.v2/take", "folder.v2/take.01.avi"},  // a "." before the last "/" stays
        {"folder.v2/show.final.avi", "folder.v2/show.final.01.avi"},
    };
    for (const auto& c : cases) {
        AVIWriter writer;
        ASSERT_TRUE(writer.open(path(c.name).c_str(), 30.0f, 0, 100)) << c.name;
        EXPECT_EQ(std::string(writer.part_file_name()), path(c.expected)) << c.name;
        writer.close();
        EXPECT_TRUE(fs::exists(path(c.expected))) << c.name;
    }
}

TEST_F(AviWriterTest, EmptyAudioSliceIsRefusedButCreatesTheStream)
{
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("a.avi").c_str(), 30.0f, 0, 100));
    writer.set_size(8, 8);
    const PcmFormat format(2, 44100);
    writer.set_audio_format(format.get());
    const std::int16_t unused[2] = {};
    EXPECT_FALSE(writer.add_audio(unused, 0));
    EXPECT_EQ(writer.block_align, 4);
    const auto frame = make_frame(8, 8, 0, false);
    ASSERT_TRUE(writer.add_video_frame(frame.data()));
    writer.close();
    const auto streams = probe_streams(path("a.01.avi"));
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[1].at("codec_type"), "audio");
}

TEST_F(AviWriterTest, SizeIsFixedByTheFirstFrame)
{
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("s.avi").c_str(), 30.0f, 0, 100));
    writer.set_size(16, 8);
    const auto frame = make_frame(16, 8, 0, false);
    ASSERT_TRUE(writer.add_video_frame(frame.data()));
    writer.set_size(32, 32);
    EXPECT_EQ(writer.width, 16);
    EXPECT_EQ(writer.height, 8);
    ASSERT_TRUE(writer.add_video_frame(frame.data()));
    writer.close();
    const auto streams = probe_streams(path("s.01.avi"));
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("width"), "16");
    EXPECT_EQ(streams[0].at("nb_read_frames"), "2");
}

TEST_F(AviWriterTest, UnwritableFileFailsTheOpen)
{
    AVIWriter writer;
    EXPECT_FALSE(writer.open(path("no such folder/x.avi").c_str(), 30.0f, 0, 100));
    const std::uint8_t pixel[3] = {};
    EXPECT_FALSE(writer.add_video_frame(pixel));
    writer.close();
}

TEST_F(AviWriterTest, NoSizeNoFrame)
{
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("z.avi").c_str(), 30.0f, 0, 100));
    const std::uint8_t pixel[3] = {};
    EXPECT_FALSE(writer.add_video_frame(pixel));
}

TEST_F(AviWriterTest, CancelInTheCompressionDialogFailsTheOpen)
{
    int asked = 0;
    set_avi_save_options_responder([&](AVICOMPRESSOPTIONS&) {
        ++asked;
        return FALSE;
    });
    AVIWriter writer;
    EXPECT_FALSE(writer.open(path("c.avi").c_str(), 30.0f, AVIWriter::kAskCodec, 100));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(fs::exists(path("c.01.avi")));  // no empty part left behind
}

// 2048 x 1536 x 3 bytes = 9,437,184 per frame: 200 frames make exactly
// 1,887,436,800 bytes, so frame 201 opens part 2, which has the audio stream
// again and the codec chosen once for the whole recording.
TEST_F(AviWriterTest, SplitsIntoANewPartAtTheLimit)
{
    int asked = 0;
    set_avi_save_options_responder([&](AVICOMPRESSOPTIONS& options) {
        ++asked;
        options.fccHandler = AVI_HANDLER_DIB;
        options.dwQuality = 10000;
        return TRUE;
    });
    const int w = 2048, h = 1536;
    ASSERT_EQ(static_cast<std::int64_t>(w) * h * 3 * 200, AVIWriter::kPartLimit);
    AVIWriter writer;
    ASSERT_TRUE(writer.open(path("Big.avi").c_str(), 30.0f, AVIWriter::kAskCodec, 100));
    writer.set_size(w, h);
    const PcmFormat format(1, 8000);
    writer.set_audio_format(format.get());
    const std::vector<std::uint8_t> frame(static_cast<std::size_t>(w) * h * 3, 0x40);
    std::vector<std::int16_t> slice(266, 7);
    for (int f = 0; f < 200; ++f) {
        ASSERT_TRUE(writer.add_video_frame(frame.data())) << f;
        if (f == 0) {
            ASSERT_TRUE(writer.add_audio(slice.data(), 266));
        }
    }
    EXPECT_EQ(writer.part(), 1);
    // The first file has reached the limit: the next frame opens the second.
    ASSERT_TRUE(writer.add_video_frame(frame.data()));
    EXPECT_EQ(writer.part(), 2);
    EXPECT_EQ(writer.frames, 1);
    EXPECT_EQ(writer.audio_samples, 0);
    ASSERT_TRUE(writer.add_audio(slice.data(), 266));
    writer.close();
    EXPECT_EQ(asked, 1);

    const auto part1 = probe_streams(path("Big.01.avi"), false);
    ASSERT_EQ(part1.size(), 2u);
    EXPECT_EQ(part1[0].at("nb_read_packets"), "200");
    EXPECT_LT(fs::file_size(path("Big.01.avi")), 2000000000u);
    fs::remove(path("Big.01.avi"));
    const auto part2 = probe_streams(path("Big.02.avi"));
    ASSERT_EQ(part2.size(), 2u);
    EXPECT_EQ(part2[0].at("nb_read_frames"), "1");
    EXPECT_EQ(part2[0].at("width"), "2048");
    EXPECT_EQ(part2[1].at("codec_name"), "pcm_s16le");
    EXPECT_EQ(decode_audio_s16(path("Big.02.avi")).size(), 266u);
}

}  // namespace

namespace {

// A disk that fills up during the dump (a file size limit in a child
// process stands in for it): the write fails with the system's reason, and
// the part, closed, plays every frame that reached the disk whole, with or
// without room left for its index.
TEST_F(AviWriterTest, FullDiskKeepsAPlayablePart)
{
    for (const long limit : {300000L, 1500000L}) {
        const std::string stem = "Full" + std::to_string(limit);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            setrlimit(RLIMIT_FSIZE, &size);
            AVIWriter writer;
            if (!writer.open(path(stem + ".avi").c_str(), 30.0f, 0, 100))
                _exit(200);
            writer.set_size(64, 48);
            const PcmFormat format(2, 44100);
            writer.set_audio_format(format.get());
            std::vector<std::int16_t> slice(1470 * 2, 1000);
            for (int f = 0; f < 1000; ++f) {
                const auto frame = make_frame(64, 48, f, false);
                if (!writer.add_video_frame(frame.data()) || !writer.add_audio(slice.data(), 1470)) {
                    const int error = writer.write_error();
                    writer.close();
                    _exit(error == EFBIG ? 0 : 201);
                }
            }
            _exit(202);  // the limit never hit
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0) << limit;

        const std::string file = path(stem + ".01.avi");
        EXPECT_LE(fs::file_size(file), static_cast<std::uintmax_t>(limit));
        const auto streams = probe_streams(file);
        ASSERT_EQ(streams.size(), 2u) << limit;
        const int frames = std::atoi(streams[0].at("nb_read_frames").c_str());
        EXPECT_GT(frames, 5) << limit;
        const auto video = decode_video_bgr24(file);
        ASSERT_EQ(video.size(), static_cast<std::size_t>(frames) * 64 * 48 * 3) << limit;
        for (int f = 0; f < frames; ++f) {
            const auto want = make_frame(64, 48, f, false);
            const auto flipped = flip_rows(want.data(), 64, 48);
            EXPECT_EQ(std::memcmp(video.data() + static_cast<std::size_t>(f) * flipped.size(), flipped.data(),
                                  flipped.size()),
                      0)
                << "frame " << f << " of the part cut at " << limit;
        }
    }
}

}  // namespace
