// Windowed playback benchmark, run by hand under an X display:
//   build/bench/show/velmo_bench_playback [WIDTHxHEIGHT] [STRIDE]
// (default 1280x720, every 4th frame of the song). Starts the compiled-in
// production in a window as "&Run" does and prints the start-up time; then
// holds the music clock and places it at every STRIDE-th frame of the show
// (1/30 s apart), drawing two frames there, one with the frame's shortcuts
// on and one with them off (SceneManager::setSkipUnseenWork), in alternating
// order, each finished and swapped. Prints the median and 95th percentile
// frame time per scene for each way and their ratio. On a shared machine the
// absolute times are noisy: compare the ratios, which come from frames drawn
// side by side.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scenes.h"
#include "show_bench.h"
#include "util/music/music.h"

namespace {

struct SceneTimes {
    std::vector<double> off, on;
};

// The scenes the four active-scene tracks name, e.g. "TextRibbons + Modulators".
std::string active_label(SceneManager* manager)
{
    static const char* const kTracks[4] = {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd", "ActiveScene4rd"};
    std::string label;
    for (int i = 0; i < 4; ++i) {
        const float value = manager->music->getSyncValue(kTracks[i]);
        if (!(value > -1.0f && value < static_cast<float>(manager->scenes.size())))
            continue;
        const std::string name = showbench::scene_name(manager, static_cast<int>(value));
        if (i == 3)
            label += " / overlay " + name;
        else
            label += (label.empty() ? "" : " + ") + name;
    }
    return label.empty() ? "(no scene)" : label;
}

void print_row(const std::string& label, const SceneTimes& t)
{
    using showbench::percentile;
    const double offMedian = percentile(t.off, 50), onMedian = percentile(t.on, 50);
    std::printf("%-40s %6zu  %8.1f %8.1f  %8.1f %8.1f  %6.2f\n", label.c_str(), t.on.size(), offMedian,
                percentile(t.off, 95), onMedian, percentile(t.on, 95), offMedian > 0 ? onMedian / offMedian : 0.0);
}

}  // namespace

int main(int argc, char** argv)
{
    int width, height, stride = 4;
    if (!showbench::parse_arguments(argc, argv, &width, &height, &stride, 1))
        return 2;

    showbench::StartupTimes startup;
    SceneManager* manager = showbench::start_show(width, height, false, "", &startup);
    showbench::print_startup(startup);

    Music* music = manager->music;
    music->togglePause();
    const int frames = showbench::show_frames(manager);

    // One pass over the show first, so that the driver's first use of each
    // program and state is not counted.
    for (int f = 0; f + 1 < frames; f += 30) {
        for (bool on : {false, true}) {
            manager->setSkipUnseenWork(on);
            music->seekSeconds(static_cast<float>(f) / 30.0f);
            showbench::time_frame(manager);
            showbench::pump_messages();
        }
    }

    // Scene combinations in the order the show reaches them.
    std::vector<std::pair<std::string, SceneTimes>> byScene;
    SceneTimes all;
    int pair = 0;
    for (int f = 0; f + 1 < frames; f += stride, ++pair) {
        for (int k = 0; k < 2; ++k) {
            const bool on = (k == 0) == (pair % 2 == 0);
            manager->setSkipUnseenWork(on);
            music->seekSeconds(static_cast<float>(f + k) / 30.0f);
            const double ms = showbench::time_frame(manager);
            const std::string label = active_label(manager);
            auto it = std::find_if(byScene.begin(), byScene.end(), [&](const auto& s) { return s.first == label; });
            if (it == byScene.end())
                it = byScene.insert(byScene.end(), {label, SceneTimes{}});
            (on ? it->second.on : it->second.off).push_back(ms);
            (on ? all.on : all.off).push_back(ms);
            if (!showbench::pump_messages())
                break;
        }
    }

    std::printf("\nPlayback at %dx%d, 4x anti-aliasing: %d frames each way (every %d%s frame of %d), in ms\n",
                width, height, pair, stride, stride == 1 ? "" : "th", frames);
    std::printf("%-40s %6s  %8s %8s  %8s %8s  %6s\n", "scenes", "frames", "off med", "off p95", "on med",
                "on p95", "on/off");
    for (const auto& [label, times] : byScene)
        print_row(label, times);
    print_row("whole show", all);
    delete manager;
    return 0;
}
