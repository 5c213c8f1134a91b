#include "platform/timing.h"

#include <ctime>
#include <thread>
#include <chrono>

namespace {
bool g_tickOverride = false;
ULONGLONG g_tickValue = 0;
bool g_counterOverride = false;
std::int64_t g_counterValue = 0;
std::int64_t g_counterFrequency = 0;
}

void GetLocalTime(SYSTEMTIME* out)
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    time_t secs = ts.tv_sec;
    localtime_r(&secs, &local);
    out->wYear = static_cast<WORD>(local.tm_year + 1900);
    out->wMonth = static_cast<WORD>(local.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    out->wDay = static_cast<WORD>(local.tm_mday);
    out->wHour = static_cast<WORD>(local.tm_hour);
    out->wMinute = static_cast<WORD>(local.tm_min);
    out->wSecond = static_cast<WORD>(local.tm_sec);
    out->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

ULONGLONG GetTickCount64()
{
    if (g_tickOverride)
        return g_tickValue;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec / 1000000);
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (g_counterOverride) {
        count->QuadPart = g_counterValue;
        return TRUE;
    }
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    count->QuadPart = static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (g_counterOverride) {
        frequency->QuadPart = g_counterFrequency;
        return g_counterFrequency != 0 ? TRUE : FALSE;
    }
    frequency->QuadPart = 1000000000;
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void set_tick_count_override(bool enabled, ULONGLONG value)
{
    g_tickOverride = enabled;
    g_tickValue = value;
}

void set_performance_counter_for_testing(bool enabled, std::int64_t count, std::int64_t frequency)
{
    g_counterOverride = enabled;
    g_counterValue = count;
    g_counterFrequency = frequency;
}
