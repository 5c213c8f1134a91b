// keep_freed_heap_memory leaves every frame of the show as it was: the
// compiled-in production, from the packed data file of the build folder,
// drawn at times spread over the show (in production 1 the ball tree's two
// sections among them) with the C library's heap defaults, with the kept
// heap and with the defaults again, at 1280 x 720 and at 320 x 180.
#include <gtest/gtest.h>
#include <malloc.h>

#include <string>
#include <vector>

#include "platform/heap_policy.h"
#include "platform/timing.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/velmosystem.h"
#include "util/music/music.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// The heap as the C library sets it up: its top and blocks from 128 KiB up
// go back to the kernel.
void library_defaults()
{
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

int differing_bytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += i % 4 != 3 && a[i] != b[i];  // the window's alpha is not part of the picture
    return n;
}

class HeapPolicyFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        manager = scenetest::start_compiled_show(kWidth, kHeight);
    }
    static void TearDownTestSuite()
    {
        delete manager;
        manager = nullptr;
        set_tick_count_override(false, 0);
        library_defaults();
    }

    static std::vector<std::uint8_t> frame(int width, int height)
    {
        manager->run();
        return gltest::read_rgba(0, 0, width, height);
    }

    // The frame at `seconds` with the defaults, the kept heap, the defaults.
    // The clock and the tick count stand still, and ten frames first let the
    // scenes' own motion come to rest.
    static void expect_same_frames(float seconds, int width, int height)
    {
        const std::string what = std::to_string(width) + " x " + std::to_string(height) + " at " +
                                 std::to_string(seconds) + " s";
        set_tick_count_override(true, 500000 + static_cast<unsigned long long>(seconds * 1000.0f));
        manager->music->seekSeconds(seconds);
        for (int i = 0; i < 10; ++i)
            frame(width, height);
        library_defaults();
        const auto plain = frame(width, height);
        keep_freed_heap_memory();
        const auto kept = frame(width, height);
        const auto keptAgain = frame(width, height);
        library_defaults();
        const auto again = frame(width, height);
        ASSERT_EQ(differing_bytes(plain, again), 0) << what << ": the frame is not repeatable";
        ASSERT_GT(differing_bytes(plain, std::vector<std::uint8_t>(plain.size(), 0)), 0) << what << ": nothing drawn";
        EXPECT_EQ(differing_bytes(plain, kept), 0) << what;
        EXPECT_EQ(differing_bytes(plain, keptAgain), 0) << what;
    }

    static SceneManager* manager;
};

SceneManager* HeapPolicyFrames::manager = nullptr;

TEST_F(HeapPolicyFrames, ShowFramesAreUnchanged)
{
    const Music* music = manager->music;
    const float length = music->dummy_mode ? SceneManager::kSilentDumpFrames / 30.0f
                                           : static_cast<float>(music->num_samples) / music->waveFormat.nChannels /
                                                 music->waveFormat.nSamplesPerSec;
    // In production 1: the tunnel, the ball tree in the build, fireworks over
    // the droplets, the particle ball, the cubes under fireworks, the
    // climax's tunnel in its frames, the open tree.
    const float fractions[] = {0.15f, 0.31f, 0.39f, 0.48f, 0.6f, 0.78f, 0.84f};
    for (const auto& [width, height] : {std::pair{kWidth, kHeight}, std::pair{320, 180}}) {
        manager->resize(width, height);
        for (const float f : fractions)
            expect_same_frames(f * length, width, height);
    }
}

}  // namespace
