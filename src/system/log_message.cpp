#include "system/log_message.h"

#include <cstdio>

#include "platform/timing.h"

std::string time_stamp()
{
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char buf[48];  // room for any WORD values, so the format never truncates
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u:%03u",
                  t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return buf;
}

void log_message(const std::string& text)
{
    const std::string line = time_stamp() + " " + text;
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);  // each line shows when it happens, also in a file or a pipe
}
