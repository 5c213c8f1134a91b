// Headless render (video dump) benchmark, run by hand under an X display:
//   build/bench/show/velmo_bench_dump [WIDTHxHEIGHT] [STRIDE]
// (default 1280x720, every 8th frame of the song). Starts the compiled-in
// production as "Get &avi" does, with Motion JPEG at quality 90, and renders
// pairs of consecutive frames at every STRIDE-th frame of the show: one frame
// with the frame's shortcuts on, one with them off
// (SceneManager::setSkipUnseenWork), in alternating order. Off, each frame is
// timed from the start of the frame to the written AVI frame, read-back and
// compression included; on, the frame is compressed and written while the
// next is drawn, so its time includes waiting for the frame before. Prints the time per frame each way, the speed in
// seconds of show per second, and the whole show's render time that follows.
// On a shared machine compare the ratio: it comes from frames drawn side by
// side. The AVI file (bench_dump.01.avi in the build folder) is removed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "platform/avifile.h"
#include "scenes.h"
#include "show_bench.h"
#include "system/velmosystem.h"
#include "util/music/music.h"

namespace {

void print_way(const char* name, const std::vector<double>& ms, int showFrames)
{
    const double mean = ms.empty() ? 0.0 : std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    const double showSeconds = showFrames / 30.0;
    std::printf("%-4s %6zu frames  mean %7.1f  median %7.1f  p95 %7.1f ms  %5.2fx real time  whole show %6.0f s "
                "for %.0f s\n",
                name, ms.size(), mean, showbench::percentile(ms, 50), showbench::percentile(ms, 95),
                mean > 0 ? 1000.0 / 30.0 / mean : 0.0, mean * showFrames / 1000.0, showSeconds);
}

}  // namespace

int main(int argc, char** argv)
{
    int width, height, stride = 8;
    if (!showbench::parse_arguments(argc, argv, &width, &height, &stride, 2))
        return 2;

    set_avi_save_options_responder([](AVICOMPRESSOPTIONS& options) {
        options.fccHandler = AVI_HANDLER_MJPG;
        options.dwQuality = 9000;
        return TRUE;
    });
    showbench::StartupTimes startup;
    SceneManager* manager = showbench::start_show(width, height, true, "bench_dump", &startup);
    showbench::print_startup(startup);

    Music* music = manager->music;
    const int frames = showbench::show_frames(manager);
    std::vector<double> off, on;
    int pair = 0;
    // The last frames are left out: the dump ends itself at the song's end.
    for (int f = stride; f + 2 < frames; f += stride, ++pair) {
        manager->frame = static_cast<std::uint32_t>(f);
        music->seekSeconds(static_cast<float>(f) / 30.0f);
        for (int k = 0; k < 2; ++k) {
            const bool skip = (k == 0) == (pair % 2 == 0);
            manager->setSkipUnseenWork(skip);
            (skip ? on : off).push_back(showbench::time_frame(manager));
            if (!showbench::pump_messages())
                break;
        }
    }

    std::printf("\nDump at %dx%d, Motion JPEG quality 90, 4x anti-aliasing: %d frame pairs "
                "(every %dth frame of %d)\n",
                width, height, pair, stride, frames);
    print_way("off", off, frames);
    print_way("on", on, frames);
    const double offMean = std::accumulate(off.begin(), off.end(), 0.0);
    const double onMean = std::accumulate(on.begin(), on.end(), 0.0);
    if (offMean > 0)
        std::printf("on/off: %.2f\n", onMean / offMean);
    delete manager;
    std::remove("bench_dump.01.avi");
    return 0;
}
