// The video dump's worker-thread writer: the file it writes holds the same
// bytes as frames written one at a time, and a failed write is reported.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/audio_waveformat.h"
#include "platform/avifile.h"
#include "platform/aviwriter.h"
#include "support/file_size_limit.h"
#include "system/dump_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 7;

WAVEFORMATEX stereo_format()
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 44100 * 4;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    return format;
}

void fill_frame(std::uint8_t* bgr, int frame)
{
    for (int i = 0; i < kWidth * kHeight * 3; ++i)
        bgr[i] = static_cast<std::uint8_t>(i * 7 + frame * 31 + (i / (kWidth * 3)) * frame);
}

// Frame f carries 1470 sample frames of audio, except every third, which
// carries none (a song already written to its end).
int audio_frames(int frame) { return frame % 3 == 2 ? 0 : 1470; }

std::vector<char> read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DumpWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path("dump_writer_test") / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (std::size_t i = 0; i < audio.size(); ++i)
            audio[i] = static_cast<std::int16_t>(i * 37 - 20000);
    }
    void TearDown() override { fs::remove_all(dir); }

    bool open(AVIWriter& writer, const char* name)
    {
        const WAVEFORMATEX format = stereo_format();
        if (!writer.open((dir / name).string().c_str(), 30.0f, AVI_HANDLER_MJPG, 9000))
            return false;
        writer.set_size(kWidth, kHeight);
        writer.set_audio_format(&format);
        return true;
    }

    fs::path dir;
    std::vector<std::int16_t> audio = std::vector<std::int16_t>(kFrames * 1470 * 2);
};

TEST_F(DumpWriterTest, WritesTheSameFileAsFramesWrittenAtOnce)
{
    {
        AVIWriter direct;
        ASSERT_TRUE(open(direct, "direct.avi"));
        std::vector<std::uint8_t> frame(kWidth * kHeight * 3);
        for (int f = 0; f < kFrames; ++f) {
            fill_frame(frame.data(), f);
            ASSERT_TRUE(direct.add_video_frame(frame.data()));
            if (audio_frames(f) > 0) {
                ASSERT_TRUE(direct.add_audio(&audio[f * 1470 * 2], audio_frames(f)));
            }
        }
        direct.close();
    }
    {
        AVIWriter writer;
        ASSERT_TRUE(open(writer, "queued.avi"));
        DumpWriter queue(&writer, kWidth * kHeight * 3);
        const std::uint8_t* previous = nullptr;
        for (int f = 0; f < kFrames; ++f) {
            // The buffer handed out is never the one still being written.
            std::uint8_t* buffer = queue.frame_buffer();
            EXPECT_NE(buffer, previous);
            previous = buffer;
            fill_frame(buffer, f);
            ASSERT_TRUE(queue.submit(&audio[f * 1470 * 2], audio_frames(f)));
        }
        ASSERT_TRUE(queue.finish());
        writer.close();
    }
    const std::vector<char> direct = read_file(dir / "direct.01.avi");
    const std::vector<char> queued = read_file(dir / "queued.01.avi");
    ASSERT_GT(direct.size(), 7u * 100u);
    EXPECT_TRUE(direct == queued) << "sizes " << direct.size() << " and " << queued.size();
}

TEST_F(DumpWriterTest, AFailedWriteIsReportedByTheNextSubmitAndByFinish)
{
    AVIWriter unopened;  // no file: every frame fails
    DumpWriter queue(&unopened, kWidth * kHeight * 3);
    fill_frame(queue.frame_buffer(), 0);
    EXPECT_TRUE(queue.submit(nullptr, 0));  // nothing written before it
    fill_frame(queue.frame_buffer(), 1);
    EXPECT_FALSE(queue.submit(nullptr, 0));  // frame 0 failed
    EXPECT_FALSE(queue.finish());            // and stays failed
    EXPECT_FALSE(queue.submit(nullptr, 0));
    EXPECT_FALSE(queue.finish());
}

// A disk that fills up (a file size limit stands in for it): the frame whose
// write fails is the last one handed to the writer. Its failure is reported
// by the submit of the frame after it, which is not written, and the
// writer's state can then be read while nothing else uses it.
TEST_F(DumpWriterTest, NoFrameIsWrittenAfterAFailedOne)
{
    AVIWriter writer;
    const WAVEFORMATEX format = stereo_format();
    ASSERT_TRUE(writer.open((dir / "full.avi").string().c_str(), 30.0f, 0, 100));
    writer.set_size(kWidth, kHeight);
    writer.set_audio_format(&format);
    DumpWriter queue(&writer, kWidth * kHeight * 3);
    // Room for about a dozen uncompressed frames with their audio.
    const testsupport::FileSizeLimit full(200000);
    ASSERT_TRUE(full.ok);
    int submitted = 0;
    while (submitted < 10000) {
        fill_frame(queue.frame_buffer(), submitted);
        if (!queue.submit(audio.data(), 1470))
            break;
        ++submitted;
    }
    ASSERT_LT(submitted, 10000) << "the full disk never failed a write";
    ASSERT_GT(submitted, 1) << "the file failed at once";
    // Frames 0 to submitted - 1 were handed over; the last of them failed.
    EXPECT_EQ(writer.frames, submitted);
    EXPECT_EQ(writer.write_error(), EFBIG);
    EXPECT_FALSE(queue.finish());
    EXPECT_FALSE(queue.submit(audio.data(), 1470));
    EXPECT_FALSE(queue.finish());
    EXPECT_EQ(writer.frames, submitted);
    writer.close();
}

}  // namespace
