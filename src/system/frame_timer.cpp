#include "system/frame_timer.h"

#include <cstdint>

#include "platform/timing.h"

namespace {
std::int64_t g_startCount = 0;
float g_secondsPerCount = 0.001f;
std::uint8_t g_ring = 0;
float g_durations[5] = {0.0001f, 0.0001f, 0.0001f, 0.0001f, 0.0001f};
float g_average = 0.0001f;
float g_now = 0.0f;
float g_last = 0.0f;
}

namespace FrameTimer {

void init()
{
    g_secondsPerCount = 0.001f;
    LARGE_INTEGER frequency{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart != 0) {
        g_secondsPerCount = 1.0f / static_cast<float>(frequency.QuadPart);
        LARGE_INTEGER count{};
        QueryPerformanceCounter(&count);
        g_startCount = count.QuadPart;
    }
}

float now()
{
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return static_cast<float>(static_cast<double>(count.QuadPart - g_startCount)) * g_secondsPerCount;
}

void update()
{
    g_ring = static_cast<std::uint8_t>((g_ring + 1) % 5);
    do {
        g_now = now();
    } while (g_now == g_last);
    float duration = g_now - g_last;
    if (duration > 0.25f)
        duration = 0.25f;
    g_durations[g_ring] = duration;
    g_last = g_now;
    g_average = (g_durations[0] + g_durations[1] + g_durations[2] + g_durations[3] + g_durations[4]) * 0.2f;
}

float frame_delta()
{
    return g_average;
}

} // namespace FrameTimer
