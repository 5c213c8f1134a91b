#include "platform/parallel_pieces.h"

#include <algorithm>
#include <thread>
#include <vector>

void run_pieces(std::size_t pieces, const std::function<void(std::size_t)>& job)
{
    if (pieces == 0)
        return;
    std::vector<std::thread> threads;
    threads.reserve(pieces - 1);
    for (std::size_t i = 0; i + 1 < pieces; ++i)
        threads.emplace_back(job, i);
    job(pieces - 1);
    for (std::thread& thread : threads)
        thread.join();
}

std::size_t piece_count(std::size_t units, std::size_t minUnits)
{
    const std::size_t processors = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t bySize = minUnits > 0 ? units / minUnits : units;
    return std::clamp<std::size_t>(bySize, 1, processors);
}
