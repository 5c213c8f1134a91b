#pragma once
// Shared by the show benchmarks: the compiled-in production started the way
// the program starts it after "&Run" or "Get &avi" (a real window under the
// X display, the packed data file of the build folder), its frames timed one
// by one, and the figures summed up as median and 95th percentile.
#include <string>
#include <vector>

class SceneManager;

namespace showbench {

// Wall time of each start-up step, in milliseconds, from the window to the
// first frame of the show.
struct StartupTimes {
    double window = 0;        // window, OpenGL context, GLEW, extension check
    double dataFile = 0;      // loading screen, packed data file, loading texture
    double sceneManager = 0;  // music, effects, scenes (every asset)
    double start = 0;         // loading screen fade-out, music start
    double firstFrame = 0;    // the first frame, finished
    double total() const { return window + dataFile + sceneManager + start + firstFrame; }
};

// The command line [WIDTHxHEIGHT] [STRIDE] (default 1280x720 and the given
// stride, at least minStride); prints the usage and returns false when it
// does not parse.
bool parse_arguments(int argc, char** argv, int* width, int* height, int* stride, int minStride);

// Starts the compiled-in production in a width x height window (16:9, 4x
// anti-aliasing, windowed), in dump mode or not, timing each step; the show
// is started and its first frame drawn. Runs in the build folder. A title
// other than empty replaces the production's (the dump's file name).
SceneManager* start_show(int width, int height, bool dump, const std::string& title, StartupTimes* times);
void print_startup(const StartupTimes& times);

// Handles the pending window messages; false once the quit message came.
bool pump_messages();

// One frame of the manager, finished (glFinish), in milliseconds.
double time_frame(SceneManager* manager);

// Length of the show in frames of 1/30 s.
int show_frames(SceneManager* manager);

// The scene's class name.
std::string scene_name(SceneManager* manager, int index);

// The p-th percentile (0..100) of the values, by nearest rank; 0 when empty.
double percentile(std::vector<double> values, double p);

}  // namespace showbench
