#pragma once
// What the OGG and MP3 decoders share: the song's size limit, the memory set
// aside ahead of decoding, and the way a failure is reported.
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "platform/audio_decode.h"

namespace audio_decode_detail {

// The music object counts a song's 16-bit samples in 32 bits: a stream that
// decodes to more is refused instead of being decoded on into memory.
constexpr std::size_t kMaxSamples = 0xFFFFFFFFu;
// The most 16-bit samples one byte of a compressed stream is taken to hold
// when memory is set aside ahead of decoding; a stream's claimed length is
// only a hint, and a longer stream grows its buffer as it decodes.
constexpr std::size_t kReservePerByte = 64;

inline const char* tooLongReason()
{
    return "it decodes to more than 4294967295 samples";
}

// Appends n bytes of 16-bit samples; false when the song would grow too long.
inline bool append_samples(DecodedAudio* out, const void* bytes, std::size_t n)
{
    const std::size_t count = n / 2;
    const std::size_t at = out->samples.size();
    if (count > kMaxSamples - at)
        return false;
    out->samples.resize(at + count);
    std::memcpy(out->samples.data() + at, bytes, count * 2);
    return true;
}

// Records why the bytes could not be decoded; always false.
inline bool decode_failed(DecodedAudio* out, std::string reason)
{
    out->failure = std::move(reason);
    return false;
}

} // namespace audio_decode_detail
