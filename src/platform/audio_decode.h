#pragma once
// Whole-file decoding of MP3 (libmpg123) and OGG Vorbis (libvorbisfile) held
// in memory into interleaved 16-bit samples. The format is found from the
// bytes: an "OggS" page header means Vorbis, anything else is tried as MP3.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/large_buffer.h"

// The allocator of a song's samples: large buffers on huge pages
// (large_buffer.h), and new trivial elements left uninitialised, since a
// song's buffer is sized before its pieces are decoded into it on several
// threads and is not cleared first on one thread.
template <class T>
struct SampleAllocator {
    using value_type = T;
    SampleAllocator() = default;
    template <class U>
    SampleAllocator(const SampleAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return new_large_array<T>(n); }
    void deallocate(T* p, std::size_t) noexcept { free_large(p); }
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) { ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...); }
    template <class U>
    bool operator==(const SampleAllocator<U>&) const noexcept { return true; }
};

using AudioSamples = std::vector<std::int16_t, SampleAllocator<std::int16_t>>;

struct DecodedAudio {
    AudioSamples samples; // interleaved, channels per frame
    int channels = 0;
    int rate = 0;
    bool isOgg = false;
    std::size_t pieces = 1; // how many pieces it was decoded in
    // Why the bytes could not be decoded, when audio_decode returns false
    // ("no MP3 audio frame found", ...).
    std::string failure;
};

// A long song (OGG or MP3) is decoded in pieces on several threads (the
// samples are the same as decoded in one go, which inPieces false does).
bool audio_decode(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces = true);
