#pragma once
// Whole-song reads from a decode stream, in pieces. The audio library's
// length word shares its upper bits with request flags (BASS_DATA_FLOAT is
// bit 30, the FFT requests bit 31), so one read of a song of 2^28 float
// samples or more would be taken for another request.
#include <cstdint>

#include "platform/audio.h"

// Bytes asked for in one read unless the caller names another size.
constexpr std::uint64_t kDecodedPieceBytes = std::uint64_t(1) << 24;

// The length word of the read that takes the next piece when `left` bytes
// are still wanted: at most `piece` bytes (and never into the flag bits),
// with `flags` (0 or BASS_DATA_FLOAT) added.
DWORD decoded_piece_request(std::uint64_t left, DWORD flags, std::uint64_t piece = kDecodedPieceBytes);

// Reads `bytes` bytes of decoded samples from `channel` into `buffer`, piece
// by piece. Returns the bytes read: fewer when the stream ends or fails first.
std::uint64_t read_decoded(DWORD channel, void* buffer, std::uint64_t bytes, DWORD flags,
                           std::uint64_t piece = kDecodedPieceBytes);
