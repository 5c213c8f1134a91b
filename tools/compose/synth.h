#pragma once
// Renders the song's notes to stereo audio at 44100 Hz with simple
// synthesis, each track by its instrument: a decaying piano, a filtered saw
// bass, drums from noise and swept sines (by the song's drum keys), a pad
// whose tremolo follows the song's LFO (the one the description binds), a
// saw lead and square bleeps that play exactly what the arpeggiator lets
// through. A small reverb and a delay glue it together.
#include <vector>

#include "song.h"

namespace compose {

constexpr int kSampleRate = 44100;

// Interleaved stereo samples in -1..1.
std::vector<float> renderSong(const Song& song);

} // namespace compose
