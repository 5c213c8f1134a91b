#pragma once
// Writes the music description that ties the note tracks to modulators, and
// the LFO template it names.
#include <string>

namespace compose {

// `name` is the base file name of the song ("glass_harbour_signal"): the
// description names name.ogg and name.mid beside it.
bool writeDescription(const std::string& directory, const std::string& name);

} // namespace compose
