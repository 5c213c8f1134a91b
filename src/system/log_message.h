#pragma once
#include <string>

// Writes time stamp + " " + text on standard output; the text is copied as it
// is (a "%" stays a "%") and carries its own line end.
void log_message(const std::string& text);

// The local time as "YYYY-MM-DD hh:mm:ss:mmm" (no trailing blank).
std::string time_stamp();
