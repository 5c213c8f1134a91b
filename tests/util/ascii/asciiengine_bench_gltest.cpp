// Benchmark, not a test: AsciiEngine::render of a full canvas presented at
// 1920x1080, in milliseconds per frame, next to the plain one-quad-per-cell
// drawing. Disabled, so it never decides a run; start it by hand:
//   tests/util_ascii_asciiengine_bench_gltest --gtest_also_run_disabled_tests
#include <GL/glew.h>

#include <chrono>
#include <cstdio>

#include "support/gl_context.h"
#include "util/ascii/ascii_reference_draw.h"
#include "util/ascii/asciiengine.h"
#include "util/fbo/fbo.h"
#include "util/math/random.h"

namespace {

template <class Fn>
double ms_per_frame(int frames, Fn fn)
{
    fn();
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        fn();
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
}

TEST(AsciiEngineBench, DISABLED_RenderFullCanvasAt1920x1080)
{
    ASSERT_TRUE(gltest::ensure_context());
    FBO target(1920, 1080, FBO_TYPE_RGBA8, 0);
    target.push(true);
    glClearColor(0, 0, 0, 0);

    struct Content {
        const char* name;
        int pairs;  // colour pairs in use
    } contents[] = {{"one colour pair", 1}, {"16 pairs (rotozoom-like)", 16}, {"all 256 pairs", 256}};
    for (const Content& c : contents) {
        AsciiEngine e;
        e.set_viewport(1920, 1080, 4.0f / 3.0f);
        velmo_srand(7);
        for (int i = 0; i < AsciiEngine::CELLS; ++i) {
            const int pair = velmo_rand() % c.pairs;
            e.put(i / 80, i % 80, static_cast<std::uint8_t>(velmo_rand() & 255), static_cast<std::uint8_t>(pair & 15),
                  static_cast<std::uint8_t>(pair >> 4));
        }
        const double grouped = ms_per_frame(30, [&] { e.render(true); });

        ascii_test::ReferenceCanvasDrawer reference;
        FBO* shared = AsciiEngine::shared_framebuffer();
        const double plain = ms_per_frame(10, [&] {
            shared->push(true);
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            glDisable(GL_DEPTH_TEST);
            reference.draw(e);
            shared->pop();
            e.present();
        });
        std::printf("%-26s render+present %7.2f ms/frame   one quad per cell %7.2f ms/frame\n", c.name, grouped,
                    plain);
    }
    target.pop();
}

}  // namespace
