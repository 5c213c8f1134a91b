// The scene manager's frame in a real context: which scenes the active-scene
// tracks draw and in what order, the post-processing chain's order by track
// value, the overlay over the finished picture, and the letterboxed view.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unistd.h>

#include "effects/effect.h"
#include "scenes/discotiles.h"
#include "scenes/droplets.h"
#include "scenes/geysirs.h"
#include "scenes/glowshapes.h"
#include "scenes/modulators.h"
#include "scenes/musicvectors.h"
#include "scenes/scene_fireworks/scene_fireworks.h"
#include "scenes/siriustext.h"
#include "scenes/sjakkvektor.h"
#include "scenes/squarepeeps.h"
#include "scenes/textdrop.h"
#include "scenes/textintro.h"
#include "scenes/textpiano.h"
#include "scenes/textribbons.h"
#include "scenes/textroto.h"
#include "scenes/trancetunnel.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/fbo/fbo.h"
#include "util/music/music.h"

namespace {

using scenetest::ColourScene;
using scenetest::set_track;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;  // 16:9 view: 1280 x 720 at (0, 152)
constexpr int kTop = 152;

// Wraps one of the manager's filters and logs the framebuffer it reads.
class SpyFilter : public Effects::PostProc {
public:
    SpyFilter(Effects::PostProc* real, std::vector<std::pair<std::string, FBO*>>* log)
        : real(real), log(log)
    {
        effect_name = real->name();
        for (std::size_t j = 0; j < real->paramNames().size(); ++j)
            addParam(real->paramNames()[j].substr(effect_name.size()),
                     real->getParam(static_cast<int>(j)));
    }
    void prepare(int, int, float, FBO* source) override { log->emplace_back(effect_name, source); }
    void apply(int width, int height, float time) override
    {
        for (std::size_t j = 0; j < param_values.size(); ++j)
            real->setParam(static_cast<int>(j), param_values[j]);
        real->apply(width, height, time);
    }

private:
    Effects::PostProc* real;
    std::vector<std::pair<std::string, FBO*>>* log;
};

class SceneManagerGLTest : public ::testing::Test {
protected:
    // One manager for every suite of this file (the parameterised suite too).
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        if (manager)
            return;
        manager = scenetest::make_scene_manager(kWidth, kHeight);
        // Scene 0 red over everything, 1 green on the left half, 2 blue in
        // the lower left quarter, 3 half-transparent blue on the right half.
        red = new ColourScene("red", 1, 0, 0, 1, &draws);
        manager->addScene(red);
        manager->addScene(new ColourScene("green", 0, 1, 0, 1, &draws, 0, 0, 0.5f, 1));
        manager->addScene(new ColourScene("blue", 0, 0, 1, 1, &draws, 0, 0, 0.5f, 0.5f));
        manager->addScene(new ColourScene("overlay", 0, 0, 1, 0.5f, &draws, 0.5f, 0, 1, 1));
        for (Effects::PostProc*& effect : manager->effects) {
            real.push_back(effect);
            effect = new SpyFilter(effect, &passes);
        }
    }
    void SetUp() override
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        manager->resize(kWidth, kHeight);
        const char* tracks[] = {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd",
                                "ActiveScene4rd", "ppDither", "ppFade", "ppBlur", "ppRadblur",
                                "ppFilm"};
        for (const char* t : tracks)
            set_track(manager->music, t, -1);
        set_track(manager->music, "ActiveScene1st", 0);
        // Every filter parameter at its default, whatever the production's
        // track files hold.
        const std::pair<const char*, float> defaults[] = {
            {"ppDitherFactor", 0.5f}, {"ppFadeValue", 0}, {"ppBlurScale", 2.5f},
            {"ppBlurIterations", 3}, {"ppRadblurCntrX", 0.5f}, {"ppRadblurCntrY", 0.5f},
            {"ppRadblurStep", 0.9f}, {"ppRadblurStrength", 1}, {"ppFilmColor", 1},
            {"ppFilmMonochrome", 0}, {"ppFilmBrownSepia", 0}, {"ppFilmGreenSepia", 0},
            {"ppFilmBlueSepia", 0}, {"ppFilmContrast", 0}, {"ppFilmBrightness", 0},
            {"ppFilmFilmgrainAmount", 0}, {"ppFilmScanlineAmount", 0}};
        for (const auto& [name, value] : defaults)
            set_track(manager->music, name, value);
        draws.clear();
        passes.clear();
    }

    // Runs one frame and reads the window pixel (x, y) of the view as 0xRRGGBBAA.
    static std::uint32_t frame_pixel(int x, int y)
    {
        manager->run();
        return view_pixel(x, y);
    }
    static std::uint32_t view_pixel(int x, int y) { return gltest::read_pixel(x, kTop + y) | 0xFF; }
    static std::vector<std::string> drawn()
    {
        std::vector<std::string> names;
        for (const auto& d : draws)
            names.push_back(d.name);
        return names;
    }

    static SceneManager* manager;
    static ColourScene* red;
    static std::vector<ColourScene::Draw> draws;
    static std::vector<std::pair<std::string, FBO*>> passes;
    static std::vector<Effects::PostProc*> real;
};

SceneManager* SceneManagerGLTest::manager;
ColourScene* SceneManagerGLTest::red;
std::vector<ColourScene::Draw> SceneManagerGLTest::draws;
std::vector<std::pair<std::string, FBO*>> SceneManagerGLTest::passes;
std::vector<Effects::PostProc*> SceneManagerGLTest::real;

constexpr std::uint32_t kRed = 0xFF0000FF, kGreen = 0x00FF00FF, kBlue = 0x0000FFFF,
                        kBlack = 0x000000FF, kWhite = 0xFFFFFFFF;

TEST_F(SceneManagerGLTest, ScenesAreSetUpWhenAdded)
{
    EXPECT_TRUE(red->initialised);
    EXPECT_EQ(manager->scenes.size(), 4u);
}

// Defaults: scene 0, no effect, no overlay: scene 0 fills the view.
TEST_F(SceneManagerGLTest, DefaultFrameShowsSceneZero)
{
    EXPECT_EQ(frame_pixel(10, 10), kRed);
    EXPECT_EQ(view_pixel(1270, 710), kRed);
    EXPECT_EQ(drawn(), std::vector<std::string>{"red"});
    // Drawn into the multisampled framebuffer, sized to it.
    EXPECT_EQ(draws[0].framebuffer, static_cast<int>(manager->fbos[0]->get_id()));
    EXPECT_EQ(draws[0].width, 1280);
    EXPECT_EQ(draws[0].height, 720);
    EXPECT_TRUE(passes.empty());
}

struct SelectionCase {
    const char* name;
    float first, second, third;
    std::vector<std::string> drawn;
    std::uint32_t left, right, lowerLeft;  // pixels at (100, 600), (1000, 600), (100, 100)
};

class SceneSelectionTest : public SceneManagerGLTest,
                           public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(SceneSelectionTest, TracksChooseScenesInOrder)
{
    const auto& c = GetParam();
    set_track(manager->music, "ActiveScene1st", c.first);
    set_track(manager->music, "ActiveScene2nd", c.second);
    set_track(manager->music, "ActiveScene3rd", c.third);
    EXPECT_EQ(frame_pixel(100, 600), c.left);
    EXPECT_EQ(view_pixel(1000, 600), c.right);
    EXPECT_EQ(view_pixel(100, 100), c.lowerLeft);
    EXPECT_EQ(drawn(), c.drawn);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Tracks, SceneSelectionTest,
    ::testing::Values(
        SelectionCase{"RedThenGreen", 0, 1, -1, {"red", "green"}, kGreen, kRed, kGreen},
        SelectionCase{"GreenThenRed", 1, 0, -1, {"green", "red"}, kRed, kRed, kRed},
        SelectionCase{"AllThree", 0, 1, 2, {"red", "green", "blue"}, kGreen, kRed, kBlue},
        SelectionCase{"Truncated", 1.9f, -0.5f, -1, {"green", "red"}, kRed, kRed, kRed},
        SelectionCase{"SecondOutOfRange", 1, 4, -1, {"green"}, kGreen, kBlack, kGreen},
        SelectionCase{"NamedTwice", 2, 2, -1, {"blue", "blue"}, kBlack, kBlack, kBlue},
        SelectionCase{"NothingBelowMinusOne", -1, -1.5f, 100, {}, kBlack, kBlack, kBlack},
        SelectionCase{"NotANumber", kNaN, kInf, -kInf, {}, kBlack, kBlack, kBlack}),
    [](const auto& info) { return std::string(info.param.name); });

// Fade to white by 0.5 and Film with contrast x2 do not commute on grey
// 0.4: Fade then Film gives 0.9, Film then Fade 0.65, Fade alone 0.7.
TEST_F(SceneManagerGLTest, EffectsRunInTrackOrderWithStableTies)
{
    manager->scenes[0] = new ColourScene("grey", 0.4f, 0.4f, 0.4f, 1, &draws);
    set_track(manager->music, "ppFadeValue", 0.5f);
    set_track(manager->music, "ppFilmContrast", 1.0f);
    struct Case {
        float fade, film;
        std::vector<std::string> order;
        int grey;
    };
    const Case cases[] = {
        {1, 2, {"Fade", "Film"}, 230},
        {2, 1, {"Film", "Fade"}, 166},
        {1, 1, {"Fade", "Film"}, 230},  // equal values keep the list order
        {1, 0, {"Film", "Fade"}, 166},  // 0 is on
        {0.5f, -1, {"Fade"}, 179},      // -1 is off
        {-0.5f, kNaN, {}, 102},
    };
    for (const auto& c : cases) {
        set_track(manager->music, "ppFade", c.fade);
        set_track(manager->music, "ppFilm", c.film);
        passes.clear();
        const std::uint32_t p = frame_pixel(640, 360);
        std::vector<std::string> order;
        for (const auto& pass : passes)
            order.push_back(pass.first);
        EXPECT_EQ(order, c.order) << c.fade << " " << c.film;
        EXPECT_NEAR(static_cast<int>(p >> 24), c.grey, 3) << c.fade << " " << c.film;
        EXPECT_EQ(p >> 24, (p >> 16) & 0xFF);
    }
    delete manager->scenes[0];
    manager->scenes[0] = red;
}

// Three passes ping-pong between framebuffers 1 and 2; the last goes to the
// window. A single pass reads framebuffer 1.
TEST_F(SceneManagerGLTest, PassesPingPongBetweenFramebuffers)
{
    set_track(manager->music, "ppFade", 1);
    set_track(manager->music, "ppBlur", 1);
    set_track(manager->music, "ppFilm", 2);
    manager->run();
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[0], std::make_pair(std::string("Fade"), manager->fbos[1]));
    EXPECT_EQ(passes[1], std::make_pair(std::string("Blur"), manager->fbos[2]));
    EXPECT_EQ(passes[2], std::make_pair(std::string("Film"), manager->fbos[1]));
    EXPECT_EQ(view_pixel(640, 360), kRed);

    set_track(manager->music, "ppFade", -1);
    set_track(manager->music, "ppBlur", -1);
    set_track(manager->music, "ppFilm", -1);
    set_track(manager->music, "ppRadblur", 0);
    passes.clear();
    manager->run();
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0], std::make_pair(std::string("Radblur"), manager->fbos[1]));
}

// The enabled filters' parameters come from their tracks every frame.
TEST_F(SceneManagerGLTest, ParametersFollowTheirTracks)
{
    set_track(manager->music, "ppBlur", 0);
    set_track(manager->music, "ppBlurScale", 7.5f);
    set_track(manager->music, "ppBlurIterations", 2.6f);
    manager->run();
    EXPECT_FLOAT_EQ(real[2]->getParam(0), 7.5f);
    EXPECT_FLOAT_EQ(real[2]->getParam(1), 2.6f);
}

// The overlay is blended over the post-processed picture and is not itself
// post-processed: under a full fade to white its half-transparent blue
// shows over white.
TEST_F(SceneManagerGLTest, OverlayIsBlendedOverTheFinishedPicture)
{
    set_track(manager->music, "ActiveScene4rd", 3);
    EXPECT_EQ(frame_pixel(100, 360), kRed);
    const std::uint32_t mixed = view_pixel(1000, 360);
    EXPECT_NEAR(static_cast<int>(mixed >> 24), 128, 2);
    EXPECT_EQ((mixed >> 16) & 0xFF, 0u);
    EXPECT_NEAR(static_cast<int>((mixed >> 8) & 0xFF), 128, 2);

    set_track(manager->music, "ppFade", 0);
    set_track(manager->music, "ppFadeValue", 1);
    EXPECT_EQ(frame_pixel(100, 360), kWhite);
    const std::uint32_t over = view_pixel(1000, 360);
    EXPECT_NEAR(static_cast<int>(over >> 24), 128, 2);
    EXPECT_NEAR(static_cast<int>((over >> 16) & 0xFF), 128, 2);
    EXPECT_EQ((over >> 8) & 0xFF, 255u);
    EXPECT_EQ(drawn(), (std::vector<std::string>{"red", "overlay", "red", "overlay"}));
}

TEST_F(SceneManagerGLTest, ViewSizeKeepsTheAspect)
{
    struct Case {
        int w, h, viewW, viewH;
    };
    const Case cases[] = {
        {1920, 1080, 1920, 1080}, {1000, 1000, 1000, 562}, {2560, 1080, 1920, 1080},
        {1366, 768, 1365, 768},   {1280, 1024, 1280, 720}, {1000, 0, 1, 1},
    };
    for (const auto& c : cases) {
        manager->resize(c.w, c.h);
        EXPECT_EQ(manager->viewWidth, c.viewW) << c.w << "x" << c.h;
        EXPECT_EQ(manager->viewHeight, c.viewH) << c.w << "x" << c.h;
        EXPECT_EQ(manager->fbos[2]->get_width(), c.viewW);
        EXPECT_EQ(manager->sceneFBO->get_height(), c.viewH);
    }
    manager->resize(0, 500);  // minimised: the framebuffers keep a usable size
    EXPECT_EQ(manager->fbos[0]->get_width(), 1);
}

// The picture lands in the centred view rectangle; the rest stays black.
TEST_F(SceneManagerGLTest, ViewRectangleIsCentred)
{
    manager->resize(kWidth, kHeight);  // (0, 152) 1280 x 720
    manager->run();
    EXPECT_EQ(gltest::read_pixel(640, 151) | 0xFF, kBlack);
    EXPECT_EQ(gltest::read_pixel(640, 152) | 0xFF, kRed);
    EXPECT_EQ(gltest::read_pixel(640, 871) | 0xFF, kRed);
    EXPECT_EQ(gltest::read_pixel(640, 872) | 0xFF, kBlack);

    manager->resize(1000, 1000);  // (0, 219) 1000 x 562
    manager->run();
    EXPECT_EQ(gltest::read_pixel(999, 300) | 0xFF, kRed);
    EXPECT_EQ(gltest::read_pixel(1001, 300) | 0xFF, kBlack);
    EXPECT_EQ(gltest::read_pixel(500, 218) | 0xFF, kBlack);
    EXPECT_EQ(gltest::read_pixel(500, 219) | 0xFF, kRed);
    EXPECT_EQ(draws.back().width, 1000);
    EXPECT_EQ(draws.back().height, 562);

    manager->resize(1000, 400);  // bars at the sides: (144, 0) 711 x 400
    manager->run();
    EXPECT_EQ(gltest::read_pixel(143, 200) | 0xFF, kBlack);
    EXPECT_EQ(gltest::read_pixel(144, 200) | 0xFF, kRed);
    EXPECT_EQ(gltest::read_pixel(854, 200) | 0xFF, kRed);
    EXPECT_EQ(gltest::read_pixel(855, 200) | 0xFF, kBlack);
}

TEST_F(SceneManagerGLTest, UnknownProductionIsFatal)
{
    set_fatal_error_throws(true);
    VelmoSystem::sceneSet = 4;
    try {
        manager->createScenes();
        ADD_FAILURE() << "no fatal error";
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Unrecognized production Scene Test");
    }
    VelmoSystem::sceneSet = 0;
    set_fatal_error_throws(false);
}

// Whatever a scene leaves behind, resetGLState puts back one known state.
TEST_F(SceneManagerGLTest, ResetGLStatePutsBackTheDefaults)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT3);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(3.0f);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_FRAMEBUFFER_SRGB);
    glShadeModel(GL_FLAT);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE3);  // the reset works on the unit that is active
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    const GLfloat light[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light);

    manager->resetGLState();

    const struct {
        GLenum cap;
        bool on;
    } caps[] = {{GL_BLEND, false},     {GL_DEPTH_TEST, true},  {GL_SCISSOR_TEST, false},
                {GL_CULL_FACE, false}, {GL_LIGHTING, false},   {GL_LIGHT0, true},
                {GL_LIGHT3, false},    {GL_NORMALIZE, true},   {GL_COLOR_MATERIAL, true},
                {GL_MULTISAMPLE, true}, {GL_ALPHA_TEST, false},
                {GL_FRAMEBUFFER_SRGB, false}, {GL_TEXTURE_GEN_S, false}};
    for (const auto& c : caps)
        EXPECT_EQ(glIsEnabled(c.cap) == GL_TRUE, c.on) << std::hex << c.cap;
    GLint i = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &i);
    EXPECT_EQ(i, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &i);
    EXPECT_EQ(i, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_DEPTH_FUNC, &i);
    EXPECT_EQ(i, GL_LESS);
    glGetIntegerv(GL_MATRIX_MODE, &i);
    EXPECT_EQ(i, GL_MODELVIEW);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &i);
    EXPECT_EQ(i, GL_TEXTURE0);
    glGetIntegerv(GL_SHADE_MODEL, &i);
    EXPECT_EQ(i, GL_SMOOTH);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    GLfloat f[16];
    glGetFloatv(GL_LINE_WIDTH, f);
    EXPECT_EQ(f[0], 1.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, f);
    EXPECT_EQ(std::vector<float>(f, f + 4), std::vector<float>(4, 0.0f));
    glGetFloatv(GL_CURRENT_COLOR, f);
    EXPECT_EQ(std::vector<float>(f, f + 4), std::vector<float>(4, 1.0f));
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, f);
    EXPECT_EQ(std::vector<float>(f, f + 4), std::vector<float>(4, 0.0f));
    glActiveTexture(GL_TEXTURE3);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &i);
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glGetFloatv(GL_TEXTURE_MATRIX, f);
    EXPECT_EQ(f[12], 0.0f);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &texture);
}

// Deleting a manager de-initialises every scene in list order, then deletes
// it through its Scene pointer (its own destructor runs).
TEST_F(SceneManagerGLTest, DestructionDeinitialisesAndDeletesScenes)
{
    SceneManager* own = scenetest::make_scene_manager(kWidth, kHeight);
    std::vector<ColourScene::Draw> log;
    bool destroyed[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        auto* scene = new ColourScene(i ? "second" : "first", 1, 1, 1, 1, &log);
        scene->destroyed = &destroyed[i];
        own->addScene(scene);
    }
    delete own;
    EXPECT_TRUE(destroyed[0]);
    EXPECT_TRUE(destroyed[1]);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].name, "deinit first");
    EXPECT_EQ(log[1].name, "deinit second");
}

// The text-mode production's scenes, numbered 0 to 5 in this order.
TEST_F(SceneManagerGLTest, TextModeProductionHasItsSixScenesInOrder)
{
    testsupport::ThrowingFatalErrors fatalErrors;  // a failing scene fails the test at once
    // The build folder runs the compiled-in production, the text-mode one.
    scenetest::use_scene_settings(256, 144, false, "data/music/glass_harbour_signal.xml", "Scene Test");
    VelmoSystem::sceneSet = 3;
    SceneManager* own = new SceneManager();  // creates the production's scenes
    VelmoSystem::sceneSet = 0;
    ASSERT_EQ(own->scenes.size(), 6u);
    const auto& s = own->scenes;
    EXPECT_NE(dynamic_cast<TextIntro*>(s[0]), nullptr);
    EXPECT_NE(dynamic_cast<TextRoto*>(s[1]), nullptr);
    EXPECT_NE(dynamic_cast<TextPiano*>(s[2]), nullptr);
    EXPECT_NE(dynamic_cast<TextDrop*>(s[3]), nullptr);
    EXPECT_NE(dynamic_cast<TextRibbons*>(s[4]), nullptr);
    EXPECT_NE(dynamic_cast<Modulators*>(s[5]), nullptr);
    delete own;
}

// Productions 0, 1 and 2 each create their scenes, numbered from 0 in this
// order, from their own run folder.
TEST_F(SceneManagerGLTest, ProductionsHaveTheirScenesInOrder)
{
    testsupport::ThrowingFatalErrors fatalErrors;  // a failing scene fails the test at once
    struct Case {
        int production;
        const char* folder;
        std::vector<std::type_index> scenes;
    };
    const Case cases[] = {
        {0, VELMO_PRODUCTION0_DIR, {typeid(Droplets)}},
        {1, VELMO_PRODUCTION1_DIR,
         {typeid(DiscoTiles), typeid(SjakkVektor), typeid(Geysirs), typeid(TranceTunnel), typeid(Fireworks),
          typeid(SquarePeeps), typeid(GlowShapes), typeid(SiriusText), typeid(Droplets)}},
        {2, VELMO_PRODUCTION2_DIR, {typeid(MusicVectors)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.production);
        scenetest::use_scene_settings(256, 144, false, "", "Scene Test");
        ASSERT_EQ(chdir(c.folder), 0);
        VelmoSystem::sceneSet = c.production;
        selectSceneSet();
        SceneManager* own = new SceneManager();  // creates the production's scenes
        VelmoSystem::sceneSet = 0;
        std::vector<std::string> got, want;
        for (Scene* scene : own->scenes)
            got.emplace_back(typeid(*scene).name());
        for (const std::type_index& type : c.scenes)
            want.emplace_back(type.name());
        EXPECT_EQ(got, want);
        delete own;
    }
    scenetest::use_scene_settings(256, 144, false, "", "Scene Test");
}

// The window procedure asks the manager whether the mouse is grabbed: the
// answer is the input state's flag.
TEST_F(SceneManagerGLTest, MouseGrabIsTheInputStatesFlag)
{
    for (const bool grabbed : {true, false}) {
        manager->input.mouse_grabbed = grabbed;
        EXPECT_EQ(manager->isMouseGrabbed(), grabbed);
    }
}

}  // namespace
