#pragma once
// Clocks: local wall time, millisecond tick counts and the high-resolution counter.
#include "platform/win32_types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

union LARGE_INTEGER {
    std::int64_t QuadPart;
};

void GetLocalTime(SYSTEMTIME* out);
// Milliseconds since an arbitrary start; the 32-bit form wraps like the original.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void Sleep(DWORD milliseconds);

// Test seam: when set, GetTickCount64 (and so GetTickCount) returns this
// value plus the given offset instead of reading the clock.
void set_tick_count_override(bool enabled, ULONGLONG value);

// Test seam: when enabled, QueryPerformanceCounter reads `count` and
// QueryPerformanceFrequency reports `frequency` (0: no counter, it fails).
void set_performance_counter_for_testing(bool enabled, std::int64_t count, std::int64_t frequency);
