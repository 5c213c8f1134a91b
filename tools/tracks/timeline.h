#pragma once
// Reader of the timeline files (format in README.md): tracks, each a list of
// keys (row, value, interpolation type).
#include <string>
#include <vector>

#include "util/music/synctrack.h"

struct TimelineTrack {
    std::string name;
    std::vector<SyncKey> keys;  // ascending, unique rows
    std::string origin;         // "file:line" of the track line
};

// Parses one timeline text. Appends the tracks to `tracks`; on the first
// error returns false with "file:line: message" in `error`.
bool parse_timeline(const std::string& text, const std::string& fileName,
                    std::vector<TimelineTrack>& tracks, std::string& error);
