// The frame's shortcuts (SceneManager::skipUnseenWork: clears a full-screen
// pass overwrites, mip chains nobody samples, the overlay step when
// "ActiveScene4rd" names no scene, the text canvas's mip chain while it is
// drawn magnified, the radial blur's and the blur's flat areas, a fade at 0, a scene's
// depth clear when no scene follows it) leave every frame of the show as it
// was:
// the compiled-in production, from the packed data file of the build folder,
// drawn at a table of times and track settings with the shortcuts off and on,
// in a letterboxed window (bars at the top and bottom), and at 1280 x 720,
// where the text canvas is drawn magnified; and production 1's blurred
// sections from its own run folder, at 1280 x 720 and 1366 x 768.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/timing.h"
#include "scenes/scene.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/velmosystem.h"
#include "util/fbo/fbo.h"
#include "util/music/music.h"

namespace {

constexpr int kSize = 256;  // the window; the 16:9 view is 256 x 144 at (0, 56)
constexpr int kLargeWidth = 1280;
constexpr int kLargeHeight = 720;
// The window the context is made with, large enough for a 1366 x 768 view
// (the tests of smaller windows read its lower left corner).
constexpr int kContextWidth = 1366;
constexpr int kContextHeight = 768;

struct Difference {
    int bytes = 0;  // colour bytes that differ
    int most = 0;   // the largest difference of one byte
};

Difference compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    Difference d;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3)
            continue;  // the window's alpha is not part of the picture
        const int delta = std::abs(int(a[i]) - int(b[i]));
        d.bytes += delta != 0;
        d.most = std::max(d.most, delta);
    }
    return d;
}

// Fills the rectangle (x0, y0)-(x1, y1), in fractions of its framebuffer,
// at a depth from 0 (near) to 1 (far) with the depth test (less) and depth
// writes on, as a 3-D scene draws. The scene manager's setViewport leaves
// both matrices at identity.
class DepthTestedScene : public Scene {
public:
    DepthTestedScene(float depth, float r, float g, float b, float x0, float y0, float x1, float y1)
        : depth(depth), colour{r, g, b}, rect{x0, y0, x1, y1}
    {
    }
    void init() override {}
    void deinit() override {}
    void draw() override
    {
        glUseProgram(0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        glColor4f(colour[0], colour[1], colour[2], 1.0f);
        const float z = depth * 2.0f - 1.0f;
        glBegin(GL_QUADS);
        glVertex3f(rect[0] * 2.0f - 1.0f, rect[1] * 2.0f - 1.0f, z);
        glVertex3f(rect[2] * 2.0f - 1.0f, rect[1] * 2.0f - 1.0f, z);
        glVertex3f(rect[2] * 2.0f - 1.0f, rect[3] * 2.0f - 1.0f, z);
        glVertex3f(rect[0] * 2.0f - 1.0f, rect[3] * 2.0f - 1.0f, z);
        glEnd();
    }

private:
    float depth;
    float colour[3];
    float rect[4];
};

class FrameShortcuts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gltest::ensure_context(kContextWidth, kContextHeight));
        manager = scenetest::start_compiled_show(kSize, kSize);
    }
    static void TearDownTestSuite()
    {
        delete manager;
        manager = nullptr;
        set_tick_count_override(false, 0);
    }

    static std::vector<std::uint8_t> frame(bool skip, int width, int height)
    {
        manager->setSkipUnseenWork(skip);
        manager->run();
        return gltest::read_rgba(0, 0, width, height);
    }

    // Draws the frame at `seconds` with the shortcuts off, on and off again.
    // The clock and the tick count stand still, and ten frames first let the
    // scenes' own motion (which follows the beat's step) come to rest, so
    // the two frames drawn without shortcuts must be equal.
    // The frames are read from the window's lower left width x height.
    static void expect_same_frames(float seconds, const std::string& what, int width = kSize, int height = kSize)
    {
        set_tick_count_override(true, 500000 + static_cast<unsigned long long>(seconds * 1000.0f));
        manager->music->seekSeconds(seconds);
        for (int i = 0; i < 10; ++i)
            frame(true, width, height);
        const auto full = frame(false, width, height);
        const auto fast = frame(true, width, height);
        const auto again = frame(false, width, height);
        ASSERT_EQ(compare(full, again).bytes, 0) << what << ": the frame is not repeatable";
        const Difference d = compare(full, fast);
        EXPECT_EQ(d.bytes, 0) << what << ": " << d.bytes << " bytes differ, by up to " << d.most;
    }

    static float show_seconds()
    {
        const Music* music = manager->music;
        if (music->dummy_mode)
            return SceneManager::kSilentDumpFrames / 30.0f;
        return static_cast<float>(music->num_samples) / music->waveFormat.nChannels / music->waveFormat.nSamplesPerSec;
    }

    static SceneManager* manager;
};

SceneManager* FrameShortcuts::manager = nullptr;

// Modulators (the production's last scene) draws without the depth test,
// and leaves its depth clear out when no scene follows it in the
// framebuffer. Followed by a scene that draws with the depth test, the
// clear stays: first in the framebuffer (whose depth the frame has just
// cleared), and after a scene that wrote nearer depth, where the scene after
// Modulators draws only over a cleared depth. Two small scenes draw with the
// depth test: one near over the lower half, one farther over the left half.
TEST_F(FrameShortcuts, ModulatorsBeforeADepthTestedSceneIsUnchanged)
{
    manager->resize(kSize, kSize * 9 / 16);
    const float modulators = static_cast<float>(manager->scenes.size()) - 1;
    manager->addScene(new DepthTestedScene(0.25f, 1.0f, 0.2f, 0.1f, 0.0f, 0.0f, 1.0f, 0.5f));
    manager->addScene(new DepthTestedScene(0.5f, 0.1f, 0.3f, 1.0f, 0.0f, 0.0f, 0.5f, 1.0f));
    const float nearScene = modulators + 1, farScene = modulators + 2;
    struct Case {
        const char* name;
        float first, second, third;
    };
    const Case cases[] = {
        {"Modulators, then a depth-tested scene", modulators, farScene, -1},
        {"a depth-tested scene, Modulators, a depth-tested scene", nearScene, modulators, farScene},
        {"a depth-tested scene, Modulators", nearScene, modulators, -1},
    };
    // TextRibbons with Modulators in the timeline, with the blur.
    const float t = 136.2f;
    for (const Case& c : cases) {
        scenetest::set_track(manager->music, "ActiveScene1st", c.first);
        scenetest::set_track(manager->music, "ActiveScene2nd", c.second);
        scenetest::set_track(manager->music, "ActiveScene3rd", c.third);
        scenetest::set_track(manager->music, "ActiveScene4rd", -1);
        expect_same_frames(t, c.name, kSize, kSize * 9 / 16);
    }
    for (int i = 0; i < 2; ++i) {
        manager->scenes.back()->deinit();
        delete manager->scenes.back();
        manager->scenes.pop_back();
    }
    manager->resize(kSize, kSize);
}

// Production 1 ("orvik - lantern"), from its own run folder.
class Production1FrameShortcuts : public FrameShortcuts {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gltest::ensure_context(kContextWidth, kContextHeight));
        manager = scenetest::start_show(1, VELMO_PRODUCTION1_DIR, kLargeWidth, kLargeHeight);
    }
};

// Times spread over the whole show: every scene, the effects the timeline
// gives them, the overlay where the timeline has one.
TEST_F(FrameShortcuts, ShowFramesAreUnchanged)
{
    manager->resize(kSize, kSize);
    const float length = show_seconds();
    for (int k = 0; k < 16; ++k) {
        const float t = length * (static_cast<float>(k) + 0.5f) / 16.0f;
        expect_same_frames(t, "at " + std::to_string(t) + " s");
    }
    // The sections with the blur (TextIntro and TextRibbons with Modulators).
    for (const float t : {124.3f, 125.0f, 136.2f, 137.1f})
        expect_same_frames(t, "at " + std::to_string(t) + " s");
}

// A 1280 x 720 view: the text canvas (640 x 600) is drawn magnified, and its
// mip chain is left out with the shortcuts on: TextIntro, TextRoto,
// TextPiano, TextDrop and TextRibbons, then TextIntro and TextRibbons with
// Modulators, with the blur and without (the view fills the window: the
// last filter, a fade at 0, stays after the blur).
TEST_F(FrameShortcuts, LargeViewFramesAreUnchanged)
{
    manager->resize(kLargeWidth, kLargeHeight);
    for (const float t : {12.0f, 37.0f, 62.0f, 88.0f, 110.0f, 124.3f, 125.0f, 131.0f, 136.2f, 139.0f})
        expect_same_frames(t, "1280 x 720 at " + std::to_string(t) + " s", kLargeWidth, kLargeHeight);
    manager->resize(kSize, kSize);
}

// The radial blur, whose flat areas are coloured from the sharp sample with
// the shortcuts on: the sections of the show that use it (the start and the
// end of TextDrop, TextRibbons alone and with Modulators, TextIntro with
// Modulators), then centres, steps and strengths the timeline does not
// reach, a black picture (flat everywhere) and a view of odd size.
TEST_F(FrameShortcuts, RadialBlurFramesAreUnchanged)
{
    manager->resize(kSize, kSize);
    for (const float t : {75.0f, 76.8f, 99.5f, 104.0f, 108.6f, 113.1f, 117.7f, 122.3f, 126.0f, 131.0f, 137.5f, 140.9f,
                          143.2f, 145.0f})
        expect_same_frames(t, "at " + std::to_string(t) + " s");
    // TextDrop's ends, where the radial blur comes last but for a fade at 0
    // (the film is off), in views that fill the window.
    for (const auto& [width, height] : {std::pair{kLargeWidth, kLargeHeight}, std::pair{kSize, kSize * 9 / 16}}) {
        manager->resize(width, height);
        for (const float t : {75.5f, 77.0f, 144.0f})
            expect_same_frames(t, std::to_string(width) + " x " + std::to_string(height) + " at " + std::to_string(t) +
                                      " s", width, height);
    }
    manager->resize(kSize, kSize);

    // Rows marked `fills` are drawn in a 1280 x 720 window too, which the
    // view fills.
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, float>> tracks;
        bool fills = false;
    };
    const Case cases[] = {
        {"centre in a corner", {{"ppRadblurCntrX", 0.0f}, {"ppRadblurCntrY", 1.0f}, {"ppRadblurStep", 0.8f}}},
        {"centre outside", {{"ppRadblurCntrX", 1.6f}, {"ppRadblurCntrY", -0.4f}}},
        {"step 1", {{"ppRadblurCntrX", 0.4f}, {"ppRadblurCntrY", 0.6f}, {"ppRadblurStep", 1.0f}}},
        {"step past the pixel", {{"ppRadblurStep", 1.3f}}},
        {"step past the centre", {{"ppRadblurStep", -0.5f}}},
        {"strength 0", {{"ppRadblurStep", 0.9f}, {"ppRadblurStrength", 0.0f}}},
        {"strength 1", {{"ppRadblurStrength", 1.0f}}},
        {"strength over 1", {{"ppRadblurStrength", 3.0f}}},
        {"radial blur last", {{"ppFilm", -1}, {"ppFade", -1}, {"ppBlur", -1}, {"ppDither", -1}}, true},
        // A fade at 0 after it stays: a last copy is left out only when it
        // is the only filter.
        {"radial blur, then a fade at 0", {{"ppFade", 4}, {"ppFadeValue", 0.0f}}, true},
        {"radial blur, then a fade at -0", {{"ppFadeValue", -0.0f}}, true},
        {"black picture", {{"ActiveScene1st", -1}, {"ActiveScene2nd", -1}, {"ActiveScene3rd", -1}}},
    };
    const float t = 110.0f;
    scenetest::set_track(manager->music, "ppRadblur", 2);
    for (const Case& c : cases) {
        for (const auto& [track, value] : c.tracks)
            scenetest::set_track(manager->music, track, value);
        expect_same_frames(t, c.name);
        if (c.fills) {
            manager->resize(kLargeWidth, kLargeHeight);
            expect_same_frames(t, std::string("1280 x 720, ") + c.name, kLargeWidth, kLargeHeight);
            manager->resize(kSize, kSize);
        }
    }
    scenetest::set_track(manager->music, "ActiveScene1st", 4);
    manager->resize(250, 250);
    expect_same_frames(t, "a view of 250 x 140");
    manager->resize(kSize, kSize);
}

// The blur, whose flat areas are coloured from the sharp sample with the
// shortcuts on (the show's sections with it are drawn by the tests above):
// scales and step counts the timeline does not reach, the blur last and
// first, last but for a fade at 0, a black picture, at 256 x 144
// letterboxed and at 1280 x 720, and a view of odd size.
TEST_F(FrameShortcuts, BlurFramesAreUnchanged)
{
    manager->resize(kSize, kSize);
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, float>> tracks;
    };
    const Case cases[] = {
        {"scale 1", {{"ppBlurScale", 1.0f}, {"ppBlurIterations", 3.0f}}},
        {"fraction of a step", {{"ppBlurIterations", 2.4f}}},
        {"one step", {{"ppBlurIterations", 1.0f}}},
        {"past the most steps", {{"ppBlurIterations", 11.0f}}},
        {"no step", {{"ppBlurIterations", 0.0f}}},
        {"scale 0", {{"ppBlurIterations", 3.0f}, {"ppBlurScale", 0.0f}}},
        {"negative scale", {{"ppBlurScale", -2.0f}}},
        {"wide scale", {{"ppBlurScale", 40.0f}}},
        {"blur last", {{"ppBlurScale", 2.0f}, {"ppFilm", -1}, {"ppFade", -1}, {"ppRadblur", -1}, {"ppDither", -1}}},
        // A fade at 0 after it stays: a last copy is left out only when it
        // is the only filter.
        {"blur, then a fade at 0", {{"ppFade", 2}, {"ppFadeValue", 0.0f}}},
        {"blur first of two", {{"ppFilm", 3}}},
        {"black picture", {{"ActiveScene1st", -1}, {"ActiveScene2nd", -1}, {"ActiveScene3rd", -1}}},
    };
    const float t = 136.2f;
    scenetest::set_track(manager->music, "ppBlur", 1);
    for (const Case& c : cases) {
        for (const auto& [track, value] : c.tracks)
            scenetest::set_track(manager->music, track, value);
        expect_same_frames(t, c.name);
        manager->resize(kLargeWidth, kLargeHeight);
        expect_same_frames(t, std::string("1280 x 720, ") + c.name, kLargeWidth, kLargeHeight);
        manager->resize(kSize, kSize);
    }
    scenetest::set_track(manager->music, "ActiveScene1st", 4);
    scenetest::set_track(manager->music, "ActiveScene2nd", 5);
    manager->resize(250, 250);
    expect_same_frames(t, "a view of 250 x 140");
    manager->resize(kSize, kSize);
}

// Track settings the timeline may not reach: every filter on (four passes
// between framebuffers 1 and 2), none, an overlay scene, a fade at 0 (a
// copy) at each place in the chain, and the last scene with and
// without scenes after it; with a multisampled and a plain first
// framebuffer (anti-aliasing "None").
TEST_F(FrameShortcuts, CompositingVariantsAreUnchanged)
{
    manager->resize(kSize, kSize);
    const float t = show_seconds() * 0.3f;
    const int last = static_cast<int>(manager->scenes.size()) - 1;
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, float>> tracks;
    };
    const Case cases[] = {
        {"every filter", {{"ppDither", 0}, {"ppFade", 1}, {"ppBlur", 2}, {"ppRadblur", 3}, {"ppFilm", 4},
                          {"ppFadeValue", 0.3f}, {"ppRadblurStrength", 0.5f}}},
        {"no filter", {{"ppDither", -1}, {"ppFade", -1}, {"ppBlur", -1}, {"ppRadblur", -1}, {"ppFilm", -1}}},
        {"overlay", {{"ActiveScene1st", 0}, {"ActiveScene4rd", static_cast<float>(last)}}},
        {"no overlay", {{"ActiveScene4rd", -1}}},
        {"no scene", {{"ActiveScene1st", -1}, {"ActiveScene2nd", -1}, {"ActiveScene3rd", -1}}},
        // A fade at 0: first and between two filters (left out), last (kept),
        // alone (left out where the view fills the window: the picture goes
        // to the view without a filter), and at -0.
        {"fade at 0 first", {{"ActiveScene1st", 0}, {"ppFade", 0}, {"ppFadeValue", 0.0f}, {"ppRadblur", 1},
                             {"ppFilm", 2}, {"ppRadblurStrength", 0.5f}}},
        {"fade at 0 between", {{"ppFade", 1.5f}}},
        {"fade at 0 last", {{"ppFade", 3}}},
        {"fade at -0 last", {{"ppFadeValue", -0.0f}}},
        {"fade at 0 alone", {{"ppRadblur", -1}, {"ppFilm", -1}}},
        {"fade at -0 alone", {{"ppFadeValue", -0.0f}}},
        {"faint fade alone", {{"ppFadeValue", 0.002f}}},
        // The last scene of the production (Modulators) leaves its depth
        // clear out when no scene follows it in the framebuffer.
        {"last scene first, another after it", {{"ActiveScene1st", static_cast<float>(last)}, {"ActiveScene2nd", 4}}},
        {"last scene alone", {{"ActiveScene2nd", -1}}},
        {"last scene third", {{"ActiveScene1st", 0}, {"ActiveScene2nd", 4}, {"ActiveScene3rd", static_cast<float>(last)}}},
        {"last scene as overlay", {{"ActiveScene3rd", -1}, {"ActiveScene4rd", static_cast<float>(last)}}},
    };
    // Letterboxed, and a window the view fills (where a copy alone is left
    // out too).
    for (const int height : {kSize, kSize * 9 / 16}) {
        manager->resize(kSize, height);
        FBO* multisampled = manager->fbos[0];
        FBO plain(multisampled->get_width(), multisampled->get_height(), FBO_TYPE_RGBA8, 0);
        for (FBO* first : {multisampled, &plain}) {
            manager->fbos[0] = first;
            const std::string where = std::to_string(kSize) + " x " + std::to_string(height) + ", " +
                                      (first == multisampled ? "multisampled, " : "plain, ");
            for (const Case& c : cases) {
                for (const auto& [track, value] : c.tracks)
                    scenetest::set_track(manager->music, track, value);
                expect_same_frames(t, where + c.name, kSize, height);
            }
        }
        manager->fbos[0] = multisampled;
    }
    manager->resize(kSize, kSize);
}

// Production 1's blurred sections, which production 3's timeline does not
// have. In a 1280 x 720 window the view fills, the timeline puts a fade at
// 0 after the radial blur (the ball tree, the fireworks, the frames over the
// tunnel, the open tree) and after the blur at the cuts into the floor, the
// particle ball, the cubes, the droplets and the outro's tunnel (the film
// off): each filter draws into a framebuffer there, the fade's copy is
// kept. At 1366 x 768 (a view one pixel narrower than the window, where the
// fade stays), moments where a flat-block map that looks at only part of
// each 8x8 block changes the picture.
TEST_F(Production1FrameShortcuts, BlurredFramesAreUnchanged)
{
    struct Case {
        float seconds;
        int width, height;
        const char* last;  // the filter the fade at 0 follows, or none
    };
    const Case cases[] = {
        {40.0f, kLargeWidth, kLargeHeight, "ppRadblur"},
        {56.0f, kLargeWidth, kLargeHeight, "ppRadblur"},
        {60.0f, kLargeWidth, kLargeHeight, "ppRadblur"},
        {106.0f, kLargeWidth, kLargeHeight, "ppRadblur"},
        {120.0f, kLargeWidth, kLargeHeight, "ppRadblur"},
        {25.6f, kLargeWidth, kLargeHeight, "ppBlur"},
        {64.0f, kLargeWidth, kLargeHeight, "ppBlur"},
        {76.8f, kLargeWidth, kLargeHeight, "ppBlur"},
        {89.6f, kLargeWidth, kLargeHeight, "ppBlur"},
        {133.4f, kLargeWidth, kLargeHeight, "ppBlur"},
        {133.6f, kLargeWidth, kLargeHeight, "ppBlur"},
        {38.8f, kContextWidth, kContextHeight, nullptr},  // the blur, then the radial blur
        {39.6f, kContextWidth, kContextHeight, nullptr},
        {77.2f, kContextWidth, kContextHeight, nullptr},  // the blur
        {109.6f, kContextWidth, kContextHeight, nullptr},  // the radial blur
    };
    for (const Case& c : cases) {
        manager->resize(c.width, c.height);
        const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height) + " at " +
                                 std::to_string(c.seconds) + " s";
        expect_same_frames(c.seconds, what, c.width, c.height);
        if (c.last == nullptr)
            continue;
        // The timeline still has the fade at 0 right after that filter.
        Music* music = manager->music;
        const float filter = music->getSyncValue(c.last);
        EXPECT_GE(filter, 0.0f) << what;
        EXPECT_EQ(music->getSyncValue("ppFadeValue"), 0.0f) << what;
        EXPECT_GT(music->getSyncValue("ppFade"), filter) << what;
        for (const char* other : {"ppDither", "ppBlur", "ppRadblur", "ppFilm"}) {
            if (std::string(other) != c.last) {
                EXPECT_LT(music->getSyncValue(other), filter) << what << ": " << other << " runs after";
            }
        }
    }
}

}  // namespace
