#pragma once
// Writes the music description (the song's description file, copied as
// <name>.xml) and the LFO template it names (<name>_lfo.xml, made from the
// song's controller ranges).
#include <string>

#include "song.h"

namespace compose {

bool writeDescription(const Song& song, const std::string& directory);

} // namespace compose
