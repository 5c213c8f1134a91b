#include "util/music/notedata.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "system/fatal_error.h"

bool isNoteOn(float event)
{
    return !std::signbit(event);
}

Note::Note() : key(0), last_event(-1) {}

ControllerLane::ControllerLane() = default;

NoteTrack::NoteTrack() : events_read(0), volume(0.78125f), pan(0.5f) {}

NoteData::NoteData(std::string path) : tempo(0.0f), path(std::move(path)) {}

std::string missing_track_context(const NoteData& data)
{
    constexpr std::size_t kNamesShown = 16;
    std::string context = "\n" + (data.path.empty() ? std::string("the note data") : data.path) +
                          ": no note track of that name";
    if (data.tracks.empty())
        return context + "; it holds no tracks";
    context += "; its tracks are";
    for (std::size_t i = 0; i < data.tracks.size() && i < kNamesShown; ++i)
        context += (i == 0 ? " \"" : ", \"") + data.tracks[i].name + "\"";
    if (data.tracks.size() > kNamesShown)
        context += " and " + std::to_string(data.tracks.size() - kNamesShown) + " more";
    return context;
}

void require_song_tempo(float tempo, const std::string& source)
{
    constexpr double kMinTempo = 1.0;
    constexpr double kMaxTempo = 1000.0;
    if (tempo >= kMinTempo && tempo <= kMaxTempo)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(tempo));
    FATAL_ERROR(source + " has a tempo of " + text + " BPM, outside " + std::to_string(static_cast<int>(kMinTempo)) +
                " to " + std::to_string(static_cast<int>(kMaxTempo)));
}

std::string noteName(std::uint8_t key)
{
    static const char* const formats[12] = {"C%u", "C#%u", "D%u", "D#%u", "E%u", "F%u",
                                             "F#%u", "G%u", "G#%u", "A%u", "A#%u", "B%u"};
    static char buffer[8];
    std::snprintf(buffer, sizeof buffer, formats[key % 12], static_cast<unsigned>(key / 12));
    return buffer;
}
