// Benchmark, run by hand (a disabled test: --gtest_also_run_disabled_tests):
// how fast the video dump of the compiled-in production renders at 1280 x
// 720 (its first three seconds), uncompressed and Motion JPEG, in seconds of show per second of wall time, and the share of each
// frame spent rendering, reading back and writing. Prints; asserts nothing
// about time.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "platform/avifile.h"
#include "platform/aviwriter.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/velmosystem.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(DumpSpeed, DISABLED_At1280x720)
{
    const int w = 1280, h = 720, frames = 90;
    ASSERT_TRUE(gltest::ensure_context(w, h));
    const fs::path dir = fs::path(VELMO_BINARY_DIR) / "dump_speed";
    fs::create_directories(dir);
    for (const auto& [name, handler] : {std::pair{"uncompressed", AVI_HANDLER_DIB},
                                        std::pair{"Motion JPEG", AVI_HANDLER_MJPG}}) {
        set_avi_save_options_responder([handler = handler](AVICOMPRESSOPTIONS& o) {
            o.fccHandler = handler;
            o.dwQuality = 9000;
            return TRUE;
        });
        // The compiled-in production, its scenes, tracks and music, from the
        // loose files of the source tree.
        scenetest::use_scene_settings(w, h, true, "data/music/glass_harbour_signal.xml",
                                      (dir / "speed").string());
        VelmoSystem::sceneSet = 3;
        SceneManager* manager = new SceneManager();
        manager->start();

        const auto start = Clock::now();
        for (int i = 0; i < frames; ++i)
            manager->run();
        glFinish();
        const double total = seconds_since(start);
        delete manager;

        // The read-back and the writing alone, on the same picture.
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
        auto t = Clock::now();
        for (int i = 0; i < frames; ++i) {
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, w, h, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
        }
        const double readBack = seconds_since(t);
        AVIWriter writer;
        ASSERT_TRUE(writer.open((dir / "write.avi").string().c_str(), 30.0f, handler, 9000));
        writer.set_size(w, h);
        t = Clock::now();
        for (int i = 0; i < frames; ++i)
            ASSERT_TRUE(writer.add_video_frame(pixels.data()));
        writer.close();
        const double write = seconds_since(t);
        const double render = std::max(0.0, total - readBack - write);
        std::printf("%s: %.2f s of show per wall second (%.1f ms a frame): render %.0f %%, "
                    "read-back %.0f %%, write %.0f %%\n",
                    name, frames / 30.0 / total, 1000.0 * total / frames, 100 * render / total,
                    100 * readBack / total, 100 * write / total);
        VelmoSystem::quitPosted = false;
    }
    set_avi_save_options_responder({});
    fs::remove_all(dir);
}

}  // namespace
