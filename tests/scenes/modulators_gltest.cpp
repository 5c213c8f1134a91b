// Modulators: the oscilloscope of the note tracks, read back from the
// window. One track without modulators: its band shows the held state
// (1 while the note sounds) over 10.24 beats centred on the present line.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scenes/modulators.h"
#include "scenes/textscene_fixture.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/lfo.h"
#include "util/music/xmldocument.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/text/text.h"

namespace {

struct ModulatorsProbe : Modulators {
    using Modulators::depthReadAfter;
    using Modulators::histories;
    using Modulators::historyTime;
    using Modulators::labelFont;
    using Modulators::writeIndex;
    using Scene::music;
};

class ModulatorsTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite() { scenetest::ensure_scene_window(); }
    void SetUp() override {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(std::vector<std::string>{});
    }
    void TearDown() override {
        scene.deinit();
        world.reset();
    }

    void start() {
        scene.setMusic(world->music);
        scene.init();
    }

    // Draws at a beat into the cleared 640 x 480 window.
    void drawAt(float beat) {
        world->setBeat(beat);
        gltest::reset_state();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        scene.setViewport(640, 480);
        scene.draw();
    }

    // The colour at plot coordinates (x of 0 to 512, y in bands), 0xRRGGBB.
    static unsigned at(float x, float y, int bands) {
        GLubyte p[4];
        glReadPixels(int(x * 640.0f / 512.0f), int(y * 480.0f / float(bands)), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    }

    // A plot x for a beat, with the music at `now`: the present line stands
    // at x = 256 and a sample is 0.02 beats wide.
    static float xOf(float beat, float now) { return 256.0f + (beat - now) / 0.02f; }

    std::unique_ptr<scenetest::SceneWorld> world;
    ModulatorsProbe scene;
};

const unsigned kArea = 0x009900;     // note 0's area: (0, 1, 0) at 0.6 over black
const unsigned kGrey = 0xB3B3B3;     // the grid and the present line: 0.7

TEST_F(ModulatorsTest, BandShowsHeldStateAroundThePresentLine) {
    world->addNoteTrack("Keys", {{60, {8.0f, -12.0f}}});
    start();
    drawAt(10.0f);
    // Held from beat 8 to 12: the area fills 0.9 of the band there.
    for (float beat : {8.5f, 9.0f, 11.0f, 11.8f})
        EXPECT_TRUE(scenetest::close_colour(at(xOf(beat, 10.0f), 0.45f, 1), kArea)) << beat << std::hex << " " << at(xOf(beat, 10.0f), 0.45f, 1);
    EXPECT_EQ(at(xOf(9.0f, 10.0f), 0.95f, 1), 0x000000u) << "above the held value";
    for (float beat : {6.0f, 7.5f, 12.5f, 14.0f})
        EXPECT_EQ(at(xOf(beat, 10.0f), 0.45f, 1), 0x000000u) << beat;
    // The present line from the bottom to the top.
    for (float y : {0.2f, 0.95f})
        EXPECT_TRUE(scenetest::close_colour(at(256.0f, y, 1), kGrey)) << y;
}

TEST_F(ModulatorsTest, JumpBackRefillsTheWindowFromItsLeftEdge) {
    world->addNoteTrack("Keys", {{60, {8.0f, -12.0f}}});
    start();
    drawAt(30.0f);
    EXPECT_EQ(at(xOf(29.0f, 30.0f), 0.45f, 1), 0x000000u);
    drawAt(10.0f);
    EXPECT_LE(scene.historyTime, 10.0f + 5.12f + 0.001f);
    EXPECT_GT(scene.historyTime, 10.0f + 5.12f - 0.021f);
    for (float beat : {8.5f, 11.0f})
        EXPECT_TRUE(scenetest::close_colour(at(xOf(beat, 10.0f), 0.45f, 1), kArea)) << beat;
    for (float beat : {6.0f, 14.0f})
        EXPECT_EQ(at(xOf(beat, 10.0f), 0.45f, 1), 0x000000u) << beat;
}

// At beat 0 only the coming half of the window has samples; the slots never
// written hold NaN and are left out, not drawn as lines to nowhere.
TEST_F(ModulatorsTest, SamplesNeverWrittenAreSkipped) {
    world->addNoteTrack("Keys", {{60, {0.5f, -100.0f}}});
    start();
    drawAt(0.0f);
    EXPECT_NEAR(double(scene.writeIndex), 255.0, 1.0);  // one sample per 0.02 beats up to 5.12
    EXPECT_TRUE(scenetest::close_colour(at(xOf(2.0f, 0.0f), 0.45f, 1), kArea));
    for (float x : {120.0f, 180.0f, 230.0f})
        for (float y : {0.3f, 0.6f, 0.9f})
            EXPECT_EQ(at(x, y, 1), 0x000000u) << x << "," << y;
}

TEST_F(ModulatorsTest, WithoutTracksOnlyTheStateIsSet) {
    world->music->noteData = new NoteData("");
    start();
    drawAt(4.0f);
    for (float x : {10.0f, 256.0f, 400.0f})
        EXPECT_EQ(at(x, 0.5f, 1), 0x000000u);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

// The plot as drawn before silent stretches were left out: every run of
// written samples as one whole strip, area and outline, then the grid and
// the labels as the scene draws them. Uses the history as it stands.
void draw_whole_strips(ModulatorsProbe& scene, ShaderProgram* shader) {
    constexpr int kLength = Modulators::kHistoryLength;
    Music* music = scene.music;
    const int n = int(music->getTrackCount());
    mat4 projection(1);
    projection.ortho(0.0f, float(kLength), 0.0f, float(n), -1.0f, 1.0f);
    shader->bind();
    shader->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glClear(GL_DEPTH_BUFFER_BIT);
    auto colour = [&](float r, float g, float b, float a) {
        glColor4f(r, g, b, a);
        shader->set_float4("Color", r, g, b, a);
    };
    glLineWidth(2.0f);
    for (int t = 0; t < n; ++t) {
        const float y0 = float(n - 1 - t);
        const int notes = int(music->getNoteCount(t));
        for (const bool filled : {true, false}) {
            for (int j = notes - 1; j >= 0; --j) {
                const float f = float(j) / float(notes);
                colour(0.0f, 1.0f - f, f, filled ? 0.6f : 1.0f);
                bool open = false;
                for (int k = 0; k <= kLength; ++k) {
                    int slot = int(scene.writeIndex % kLength) - k;
                    if (slot < 0)
                        slot += kLength;
                    const float v = k < kLength ? scene.histories[t][j * kLength + slot] : NAN;
                    if (std::isnan(v)) {
                        if (open) {
                            if (!filled && k == kLength)
                                glVertex2f(0.0f, y0);
                            glEnd();
                        }
                        open = false;
                        continue;
                    }
                    if (!open) {
                        glBegin(filled ? GL_TRIANGLE_STRIP : GL_LINE_STRIP);
                        if (!filled && k == 0)
                            glVertex2f(float(kLength - 1), y0);
                        open = true;
                    }
                    glVertex2f(float(kLength - 1 - k), y0 + 0.9f * v);
                    if (filled)
                        glVertex2f(float(kLength - 1 - k), y0);
                }
            }
        }
    }
    colour(0.7f, 0.7f, 0.7f, 1.0f);
    glLineWidth(3.0f);
    for (int t = 0; t < n; ++t) {
        glBegin(GL_LINE_STRIP);
        glVertex2f(0.0f, float(t));
        glVertex2f(float(kLength), float(t));
        glEnd();
    }
    glBegin(GL_LINE_STRIP);
    glVertex2f(float(kLength / 2), 0.0f);
    glVertex2f(float(kLength / 2), float(n));
    glEnd();
    scene.labelFont->BindShader();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const float b = music->getBeat();
    for (int t = 0; t < n; ++t) {
        glPushMatrix();
        glTranslatef(0.0f, float(n - 1 - t) + 0.1f, 0.0f);
        glScalef(0.2f, 0.01f + 0.005f * music->getTrackIntensity(t, b), 1.0f);
        scene.labelFont->Print("%2i: %s", t, music->getTrackName(t).c_str());
        glPopMatrix();
    }
}

// Draws the scene at each beat, from a fresh history (whose first sample
// follows `startBeat`), and expects the picture of the whole strips, byte
// for byte: in a multisampled framebuffer as the scene manager gives it and
// in a plain one, at sizes where the base lines fall on and between pixel
// rows.
void expect_pictures_of_whole_strips(ModulatorsProbe& scene, scenetest::SceneWorld& world, float startBeat,
                                     const std::vector<float>& beats) {
    static ShaderProgram* reference = new ShaderProgram(make_color2d_shader("ModulatorsTestReference"));
    struct Size {
        int width, height, samples;
    };
    for (const Size size : {Size{1280, 720, 4}, Size{1920, 1080, 4}, Size{333, 197, 4}, Size{256, 144, 0}}) {
        FBO target(size.width, size.height, FBO_TYPE_RGBA8, size.samples);
        FBO resolved(size.width, size.height, FBO_TYPE_RGBA8, 0);
        auto picture = [&](bool whole) {
            gltest::reset_state();
            target.push(true);
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            scene.setViewport(size.width, size.height);
            if (whole)
                draw_whole_strips(scene, reference);
            else
                scene.draw();
            target.pop();
            resolved.push(false);
            target.blit();
            glBindFramebuffer(GL_READ_FRAMEBUFFER, resolved.get_id());
            auto pixels = gltest::read_rgba(0, 0, size.width, size.height);
            resolved.pop();
            return pixels;
        };
        scene.deinit();
        scene.init();
        scene.historyTime = startBeat;
        for (const float beat : beats) {
            world.setBeat(beat);
            const auto drawn = picture(false);  // brings the history up to date
            const auto whole = picture(true);
            int lit = 0;
            for (std::size_t i = 0; i < drawn.size(); i += 4)
                lit += drawn[i + 1] != 0 || drawn[i + 2] != 0;
            EXPECT_GT(lit, size.width * size.height / 50) << "the plot is drawn";
            int differing = 0;
            for (std::size_t i = 0; i < drawn.size(); ++i)
                differing += drawn[i] != whole[i];
            EXPECT_EQ(differing, 0) << size.width << "x" << size.height << " at beat " << beat;
        }
    }
}

// Silent stretches (held at 0, or so close to it that the point lies on the
// base line) draw nothing that can be seen, and the scene leaves them out;
// level stretches fill one rectangle in place of their columns. Neither
// changes a pixel. Tracks with plain held notes, an envelope with a sustain
// that dies away, a sine that starts at 0; drawn first at beat 1 (half the
// ring never written), then forward and back.
TEST_F(ModulatorsTest, LeavingOutSilentStretchesChangesNoPixel) {
    world->addNoteTrack("Keys", {{60, {2.0f, -6.0f, 9.0f, -9.5f, 12.0f, -12.02f}},
                                 {62, {4.0f, -14.0f}},
                                 {64, {}},
                                 {65, {10.5f, -10.52f, 17.0f, -30.0f}}});
    world->addNoteTrack("Pad", {{48, {1.0f, -3.0f, 8.0f, -8.5f, 15.0f, -20.0f}}, {50, {0.5f, -0.6f}}});
    world->addNoteTrack("Wobble", {{36, {3.0f, -11.0f}}, {38, {6.0f, -7.0f, 14.0f, -25.0f}}, {40, {}}});
    auto& tracks = world->music->noteData->tracks;
    tracks[1].modulators.push_back(new ADSR(0.25f, 0, 0.5f, 1, 0.4f, 2.0f, 1));
    tracks[2].modulators.push_back(new LFO(0, -1, 1, 2, false));
    start();
    expect_pictures_of_whole_strips(scene, *world, 0.0f, {1.0f, 9.3f, 17.77f, 12.0f, 26.0f});
}

// The same with the default production's notes and modulators (the song's
// MIDI file and its description's envelopes, LFO and arpeggiator), at beats
// of the sections where the show plays the oscilloscope.
TEST_F(ModulatorsTest, ShowSectionsPictureIsUnchanged) {
    const std::string folder = std::string(VELMO_SOURCE_DIR) + "/data/music/";
    Music* music = world->music;
    music->dummy_mode = false;  // the note and modulator readers run in stream mode
    music->loadMidiNotes(folder + "glass_harbour_signal.mid");
    std::ifstream file(folder + "glass_harbour_signal.xml", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TiXmlDocument description;
    ASSERT_TRUE(load_xml_document(description, text.data(), text.size(), "glass_harbour_signal.xml"));
    music->loadModulators(description.FirstChildElement("modulators")->FirstChildElement(), folder);
    music->dummy_mode = true;
    start();
    expect_pictures_of_whole_strips(scene, *world, 314.0f, {326.3f, 333.9f, 341.55f, 356.2f, 365.8f});
}

// The scene draws without the depth test: its depth clear serves only what
// follows it. On (the default) the depth is cleared; off, the clear is left
// out, and the colours are the same, byte for byte, over the depth that
// something before it wrote.
TEST_F(ModulatorsTest, DepthClearOnlyForWhatFollows) {
    world->addNoteTrack("Keys", {{60, {8.0f, -12.0f}}, {64, {9.0f, -10.0f}}});
    world->addNoteTrack("Pad", {{48, {6.0f, -11.5f}}});
    start();
    FBO target(320, 180, FBO_TYPE_RGBA8, 0);
    struct Drawn {
        std::vector<std::uint8_t> colour;
        std::vector<float> depth;
    };
    auto picture = [&](bool depthReadAfter) {
        scene.setDepthReadAfter(depthReadAfter);
        world->setBeat(10.0f);
        gltest::reset_state();
        target.push(true);
        // Something before the scene left depth 0.25.
        glClearDepth(0.25);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        scene.setViewport(320, 180);
        scene.draw();
        Drawn drawn{gltest::read_rgba(0, 0, 320, 180), std::vector<float>(320 * 180)};
        glReadPixels(0, 0, 320, 180, GL_DEPTH_COMPONENT, GL_FLOAT, drawn.depth.data());
        target.pop();
        return drawn;
    };
    const Drawn cleared = picture(true);
    const Drawn kept = picture(false);
    EXPECT_TRUE(scene.depthReadAfter == false);
    EXPECT_EQ(cleared.colour, kept.colour);
    int lit = 0;
    for (std::size_t i = 0; i < cleared.colour.size(); i += 4)
        lit += cleared.colour[i + 1] != 0;
    EXPECT_GT(lit, 320 * 180 / 10) << "the plot is drawn";
    for (const int i : {0, 90 * 320 + 160, 320 * 180 - 1}) {
        EXPECT_EQ(cleared.depth[i], 1.0f) << i;
        EXPECT_NEAR(kept.depth[i], 0.25f, 1e-6f) << i;  // 24 bits of depth
    }
}

}  // namespace
