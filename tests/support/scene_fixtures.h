#pragma once
// Tiny scenes that draw known colours, and a scene manager built the way
// main builds it (loose files from the source tree, no loading screen), for
// tests of the frame's compositing and of the video dump.
#include <string>
#include <vector>

#include "scenes.h"
#include "scenes/scene.h"

namespace scenetest {

// Fills the rectangle (x0, y0)-(x1, y1), in fractions of its framebuffer
// (0, 0 lower left), with one colour, blending off. Every call is logged.
class ColourScene : public Scene {
public:
    struct Draw {
        std::string name;
        int framebuffer;  // draw framebuffer bound during the draw
        int width, height;  // the size fields during the draw
    };

    ColourScene(std::string name, float r, float g, float b, float a, std::vector<Draw>* log,
                float x0 = 0.0f, float y0 = 0.0f, float x1 = 1.0f, float y1 = 1.0f);
    void init() override;
    void draw() override;
    void deinit() override;

    bool initialised = false;
    int deinits = 0;
    bool* destroyed = nullptr;  // set true by the destructor
    ~ColourScene() override;

private:
    std::string name;
    float color[4];
    float rect[4];
    std::vector<Draw>* log;
};

// Settings for a scene manager of production 0 whose window is width x
// height, with the given music (none: the silent clock) and title (the AVI
// stem in dump mode); then builds it, with loose files from production 0's
// run folder (which becomes the working folder), and removes the scenes it
// created: the scene list starts empty.
SceneManager* make_scene_manager(int width, int height, bool dump = false,
                                 const std::string& musicFile = "",
                                 const std::string& title = "Scene Test");
// The same settings and data layer, without building the manager.
void use_scene_settings(int width, int height, bool dump, const std::string& musicFile,
                        const std::string& title);

// The compiled-in production's scene manager, started as the program starts
// it: settings for a window of width x height, the packed data file read
// from the build folder, the clock paused (it moves only when placed).
SceneManager* start_compiled_show(int width, int height);
// The same for production `production` from its run folder (its data.vlm;
// VELMO_PRODUCTION<n>_DIR for a production other than the build's). The pack
// is read once per process: a later show reads its run folder's loose files,
// which hold the same content. The compiled-in production stays the
// build's.
SceneManager* start_show(int production, const char* folder, int width, int height);

// Sets the track's value (one held key at row 0) in the music object.
void set_track(Music* music, const std::string& name, float value);

}  // namespace scenetest
