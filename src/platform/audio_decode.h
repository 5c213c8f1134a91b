#pragma once
// Whole-file decoding of MP3 (libmpg123) and OGG Vorbis (libvorbisfile) held
// in memory into interleaved 16-bit samples. The format is found from the
// bytes: an "OggS" page header means Vorbis, anything else is tried as MP3.
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedAudio {
    std::vector<std::int16_t> samples; // interleaved, channels per frame
    int channels = 0;
    int rate = 0;
    bool isOgg = false;
};

// A long OGG song is decoded in pieces on several threads (the samples are
// the same as decoded in one go, which inPieces false does).
bool audio_decode(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces = true);
