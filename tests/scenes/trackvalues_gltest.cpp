// Every text-mode scene with hostile track values: NaN, the infinities and
// 1e30 in each of its tracks (alone and all at once, in every TextIntro
// section) draw a frame and return; a position that is not a number draws as
// 0, and one far off the canvas as any other far one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "scenes/textdrop.h"
#include "scenes/textintro.h"
#include "scenes/textpiano.h"
#include "scenes/textribbons.h"
#include "scenes/textroto.h"
#include "scenes/textscene_fixture.h"

namespace {

template <class S>
struct Probe : S {
    using S::canvas;
};

// The canvas as one string of character, foreground and background bytes.
template <class S>
std::string cells(const Probe<S>& scene)
{
    std::string out;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            const scenetest::Cell cell = scenetest::cell_at(scene.canvas, r, c);
            out += {char(cell.ch), char(cell.fg), char(cell.bg)};
        }
    return out;
}

std::vector<std::string> ribbonTracks()
{
    std::vector<std::string> names = {"flash"};
    for (int n = 1; n <= 4; ++n)
        for (const char* what : {"X", "Y", "Seed"})
            names.push_back("ribbon" + std::to_string(n) + what);
    return names;
}

const float kInf = std::numeric_limits<float>::infinity();
const float kHostile[] = {std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 1e30f, -1e30f, 2e9f};

class TrackValuesTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }

    // Draws the scene once per hostile value in every track alone, and once
    // with every track at that value (`prepare` adds what the scene needs
    // besides tracks); each frame must end in well under a second.
    template <class S>
    void drawEveryCase(const std::vector<std::string>& tracks,
                       const std::function<void(scenetest::SceneWorld&)>& prepare = {})
    {
        scenetest::SceneWorld world(tracks);
        if (prepare)
            prepare(world);
        // "flash" belongs to the scene manager's set; scenes that read it
        // find it registered.
        if (std::find(tracks.begin(), tracks.end(), "flash") != tracks.end())
            world.music->addSyncValue("flash", 0.0f, true);
        Probe<S> scene;
        scene.setMusic(world.music);
        scene.init();
        scene.setViewport(640, 480);
        world.setBeat(3.0f);
        // A loop count taken from a hostile value would run for minutes per
        // frame: the test's own timeout catches that, so no clock is read here.
        const auto frame = [&](const std::string& what) {
            SCOPED_TRACE(what);
            scene.draw();
        };
        for (float value : kHostile) {
            for (const std::string& track : tracks) {
                for (const std::string& other : tracks)
                    world.set(other, 0.0f);
                world.set(track, value);
                frame(track + " = " + std::to_string(value));
            }
            for (const std::string& track : tracks)
                world.set(track, value);
            frame("every track = " + std::to_string(value));
        }
        scene.deinit();
        // Equivalences of positions: NaN draws as 0, 1e30 as any far position.
        if (tracks.size() >= 2) {
            const auto picture = [&](float value) {
                for (const std::string& track : tracks)
                    world.set(track, 0.0f);
                world.set(tracks[0], value);
                scene.draw();
                return cells(scene);
            };
            scene.init();
            scene.setViewport(640, 480);
            EXPECT_EQ(picture(std::nanf("")), picture(0.0f)) << tracks[0];
            EXPECT_EQ(picture(1e30f), picture(5e6f)) << tracks[0];
            EXPECT_EQ(picture(-kInf), picture(-5e6f)) << tracks[0];
            scene.deinit();
        }
    }
};

TEST_F(TrackValuesTest, TextIntroInEverySection)
{
    const std::vector<std::string> tracks = {"introProgress", "introProg2",     "introProg3",
                                             "introRndThings", "introRndSeed",   "fireDecay",
                                             "fireDecayTarget", "fireDecaySpeed", "introSection"};
    drawEveryCase<TextIntro>(tracks);
    // The section picks what the other tracks mean: each section with every
    // other track hostile.
    for (int section = 0; section <= 4; ++section) {
        scenetest::SceneWorld world(tracks);
        Probe<TextIntro> scene;
        scene.setMusic(world.music);
        scene.init();
        scene.setViewport(640, 480);
        for (float value : kHostile) {
            for (const std::string& track : tracks)
                world.set(track, value);
            world.set("introSection", float(section));
            SCOPED_TRACE("section " + std::to_string(section) + ", tracks at " +
                         std::to_string(value));
            scene.draw();
        }
        scene.deinit();
    }
}

TEST_F(TrackValuesTest, TextRoto)
{
    drawEveryCase<TextRoto>({"rotoX1", "rotoY1", "rotoSqX1", "rotoSqY1", "rotoRot1", "flash"});
}

TEST_F(TrackValuesTest, TextPiano)
{
    drawEveryCase<TextPiano>({"lastText", "pianoProgress", "pianoSpeed1", "pianoSpeed2", "flash"},
                             [](scenetest::SceneWorld& world) {
                                 world.addNoteTrack("Old Vinyl Piano", {{36, {0.5f, -4.0f}}});
                             });
}

TEST_F(TrackValuesTest, TextDrop)
{
    drawEveryCase<TextDrop>({"bigX", "bigY", "flash"});
}

TEST_F(TrackValuesTest, TextRibbons)
{
    std::vector<std::string> tracks = ribbonTracks();
    // The first track compared for equivalence is a position.
    std::swap(tracks[0], tracks[2]);
    drawEveryCase<TextRibbons>(tracks, [](scenetest::SceneWorld& world) {
        world.addNoteTrack("RaveBleep", {{60, {0.5f, -4.0f}}});
    });
}

}  // namespace
