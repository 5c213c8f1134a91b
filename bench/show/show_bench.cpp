#include "show_bench.h"

#include <GL/glew.h>
#include <cxxabi.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#include "platform/heap_policy.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "scenes.h"
#include "scenes/scene.h"
#include "system/fatal_error.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/data/loading_screen.h"
#include "util/music/music.h"

namespace showbench {
namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

bool parse_arguments(int argc, char** argv, int* width, int* height, int* stride, int minStride)
{
    *width = 1280;
    *height = 720;
    char rest = 0;
    if (argc > 1 && (std::sscanf(argv[1], "%dx%d%c", width, height, &rest) != 2 || *width <= 0 || *height <= 0)) {
        std::fprintf(stderr, "usage: %s [WIDTHxHEIGHT] [STRIDE]\n", argv[0]);
        return false;
    }
    if (argc > 2)
        *stride = std::max(minStride, std::atoi(argv[2]));
    return true;
}

SceneManager* start_show(int width, int height, bool dump, const std::string& title, StartupTimes* times)
{
    if (chdir(VELMO_BINARY_DIR) != 0)
        FATAL_ERROR("Cannot enter the build folder " VELMO_BINARY_DIR);
    VelmoSystem::hInstance = GetModuleHandleA(nullptr);
    selectSceneSet();
    if (!title.empty())
        VelmoSystem::title = title;
    VelmoSystem::width = width;
    VelmoSystem::height = height;
    VelmoSystem::aspectNumerator = 16;
    VelmoSystem::aspectDenominator = 9;
    VelmoSystem::samples = 4;
    VelmoSystem::fullscreen = 0;
    VelmoSystem::vsync = 0;
    VelmoSystem::dumpVideo = dump;

    auto t = Clock::now();
    keep_freed_heap_memory();
    createWindow();
    const GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK)
        FATAL_ERROR(std::string("GLEW Error: ") + reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
    checkExtensions();
    times->window = ms_since(t);

    t = Clock::now();
    set_datafile_mode(VelmoSystem::dataFileMode);
    loading_init(VelmoSystem::width, VelmoSystem::height,
                 static_cast<float>(VelmoSystem::aspectNumerator) / static_cast<float>(VelmoSystem::aspectDenominator));
    read_datafile(VelmoSystem::dataFileName);
    load_loading_texture();
    times->dataFile = ms_since(t);

    t = Clock::now();
    SceneManager* manager = new SceneManager();
    write_datafile(VelmoSystem::dataFileName);
    times->sceneManager = ms_since(t);

    t = Clock::now();
    manager->start();
    times->start = ms_since(t);

    VelmoSystem::sceneManager = manager;
    times->firstFrame = time_frame(manager);
    pump_messages();
    return manager;
}

void print_startup(const StartupTimes& times)
{
    std::printf("Start-up from \"&Run\" to the first frame: %.0f ms (window %.0f, data file %.0f, "
                "scene manager %.0f, start %.0f, first frame %.0f)\n",
                times.total(), times.window, times.dataFile, times.sceneManager, times.start, times.firstFrame);
}

bool pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            return false;
        DispatchMessageA(&msg);
    }
    return true;
}

double time_frame(SceneManager* manager)
{
    const auto t = Clock::now();
    manager->run();
    glFinish();
    return ms_since(t);
}

int show_frames(SceneManager* manager)
{
    const Music* music = manager->music;
    if (music->dummy_mode || music->waveFormat.nChannels == 0 || music->waveFormat.nSamplesPerSec == 0)
        return SceneManager::kSilentDumpFrames;
    const double seconds = static_cast<double>(music->num_samples) / music->waveFormat.nChannels
                           / music->waveFormat.nSamplesPerSec;
    return static_cast<int>(seconds * 30.0);
}

std::string scene_name(SceneManager* manager, int index)
{
    if (index < 0 || index >= static_cast<int>(manager->scenes.size()))
        return "(none)";
    const Scene& scene = *manager->scenes[index];
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(scene).name(), nullptr, nullptr, &status);
    std::string result = status == 0 && name ? name : typeid(scene).name();
    std::free(name);
    return result;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const std::size_t i = static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(values.size())));
    return values[i - 1];
}

}  // namespace showbench
