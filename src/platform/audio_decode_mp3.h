#pragma once
// MP3 decoding (libmpg123) for audio_decode: in one go, or a long song in
// pieces on several threads with the same samples.
#include <cstddef>
#include <cstdint>

#include "platform/audio_decode.h"

// Decodes the MP3 stream (with or without an ID3 tag in front) into out;
// false with out->failure saying why when it cannot.
bool decode_mp3(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces);

// The piece decode alone, in `pieces` pieces (the tests try boundaries on
// frames of every position); false when the stream is not one decoded in
// pieces, a piece fails its check, or a frame before the last piece may
// have been rejected part-way by the decoder.
bool decode_mp3_in_pieces(const std::uint8_t* data, std::size_t size, DecodedAudio* out, std::size_t pieces);
