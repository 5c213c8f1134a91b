#include "support/scene_fixtures.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/music/music.h"

namespace scenetest {

ColourScene::ColourScene(std::string name, float r, float g, float b, float a,
                         std::vector<Draw>* log, float x0, float y0, float x1, float y1)
    : name(std::move(name)), color{r, g, b, a}, rect{x0, y0, x1, y1}, log(log)
{
}

ColourScene::~ColourScene()
{
    if (destroyed)
        *destroyed = true;
}

void ColourScene::init() { initialised = true; }

void ColourScene::deinit()
{
    ++deinits;
    log->push_back(Draw{"deinit " + name, 0, width, height});
}

void ColourScene::draw()
{
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    log->push_back(Draw{name, framebuffer, width, height});
    glUseProgram(0);
    glDisable(GL_DEPTH_TEST);
    glColor4f(color[0], color[1], color[2], color[3]);
    glBegin(GL_QUADS);
    glVertex2f(rect[0] * 2 - 1, rect[1] * 2 - 1);
    glVertex2f(rect[2] * 2 - 1, rect[1] * 2 - 1);
    glVertex2f(rect[2] * 2 - 1, rect[3] * 2 - 1);
    glVertex2f(rect[0] * 2 - 1, rect[3] * 2 - 1);
    glEnd();
}

void use_scene_settings(int width, int height, bool dump, const std::string& musicFile,
                        const std::string& title)
{
    EXPECT_EQ(chdir(VELMO_BINARY_DIR), 0);  // the run folder: data/ links to the build production's assets
    set_datafile_mode(DataFileMode::Off);
    set_loading_tick_hook([](float, bool) {});
    VelmoSystem::sceneSet = 0;
    VelmoSystem::title = title;
    VelmoSystem::musicFile = musicFile;
    VelmoSystem::width = width;
    VelmoSystem::height = height;
    VelmoSystem::aspectNumerator = 16;
    VelmoSystem::aspectDenominator = 9;
    VelmoSystem::samples = 4;
    VelmoSystem::dumpVideo = dump;
    VelmoSystem::syncClient = 0;
    VelmoSystem::quitPosted = false;
    VelmoSystem::hDC = nullptr;  // swapBuffers does nothing: the frame stays readable
}

SceneManager* make_scene_manager(int width, int height, bool dump, const std::string& musicFile,
                                 const std::string& title)
{
    use_scene_settings(width, height, dump, musicFile, title);
    // Production 0's run folder holds the tracks and shaders of its scene,
    // which the manager creates; the tests bring their own scenes instead.
    EXPECT_EQ(chdir(VELMO_PRODUCTION0_DIR), 0);
    SceneManager* manager = new SceneManager();
    for (Scene* scene : manager->scenes) {
        scene->deinit();
        delete scene;
    }
    manager->scenes.clear();
    return manager;
}

SceneManager* start_compiled_show(int width, int height)
{
    return start_show(VelmoSystem::sceneSet, VELMO_BINARY_DIR, width, height);
}

SceneManager* start_show(int production, const char* folder, int width, int height)
{
    const int compiled = VelmoSystem::sceneSet;
    use_scene_settings(width, height, false, "", "");
    VelmoSystem::sceneSet = production;
    selectSceneSet();
    EXPECT_EQ(chdir(folder), 0);
    if (datafile_read) {
        set_datafile_mode(DataFileMode::Off);
    } else {
        set_datafile_mode(DataFileMode::Read);
        read_datafile(VelmoSystem::dataFileName);
    }
    SceneManager* manager = new SceneManager();
    VelmoSystem::sceneSet = compiled;
    manager->start();
    manager->music->togglePause();
    return manager;
}

void set_track(Music* music, const std::string& name, float value)
{
    for (SyncValue& v : music->syncValues) {
        if (v.name != name)
            continue;
        ASSERT_NE(v.track, nullptr) << name;
        // The whole track becomes one held key at row 0.
        std::free(v.track->keys);
        v.track->keys = static_cast<SyncKey*>(std::malloc(sizeof(SyncKey)));
        v.track->keys[0] = SyncKey{0, value, Hold};
        v.track->keyCount = 1;
        return;
    }
    FAIL() << "no track " << name;
}

}  // namespace scenetest
