#pragma once
// Writes the song as a format 1 Standard MIDI File: a conductor track (the
// song's title, tempo, 4/4 time and key signature) and one named track per
// note track, using only events the engine's reader accepts (note on/off,
// control change, track name, tempo, time and key signature, end of track).
#include <string>

#include "song.h"

namespace compose {

bool writeMidi(const Song& song, const std::string& path);

} // namespace compose
