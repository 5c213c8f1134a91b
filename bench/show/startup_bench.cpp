// Start-up benchmark, run by hand under an X display:
//   build/bench/show/velmo_bench_startup [WIDTHxHEIGHT] [RUNS]
// (default 1280x720, 3 runs). Starts the compiled-in production in a window
// as "&Run" does, RUNS times, each in a process of its own (the start-up
// fills program-wide state once), and prints each run's time from the window
// to the first frame of the show, step by step, then the smallest and largest
// total.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "scenes.h"
#include "show_bench.h"

namespace {

// One start-up in a child process; its times come back through a pipe.
bool run_once(int width, int height, showbench::StartupTimes* times)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        close(fds[0]);
        showbench::StartupTimes t;
        SceneManager* manager = showbench::start_show(width, height, false, "", &t);
        const bool ok = write(fds[1], &t, sizeof t) == static_cast<ssize_t>(sizeof t);
        delete manager;
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    const bool ok = read(fds[0], times, sizeof *times) == static_cast<ssize_t>(sizeof *times);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int width, height, runs = 3;
    if (!showbench::parse_arguments(argc, argv, &width, &height, &runs, 1))
        return 2;
    std::vector<double> totals;
    for (int i = 0; i < runs; ++i) {
        showbench::StartupTimes times;
        if (!run_once(width, height, &times)) {
            std::fprintf(stderr, "start-up run %d failed\n", i + 1);
            return 1;
        }
        showbench::print_startup(times);
        totals.push_back(times.total());
    }
    const auto [least, most] = std::minmax_element(totals.begin(), totals.end());
    std::printf("%dx%d, %d runs: %.0f to %.0f ms\n", width, height, runs, *least, *most);
    return 0;
}
