#pragma once
// Whole-file decoding of MP3 (libmpg123) and OGG Vorbis (libvorbisfile) held
// in memory into interleaved 16-bit samples. The format is found from the
// bytes: an "OggS" page header means Vorbis, anything else is tried as MP3.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

// An allocator whose containers leave new trivial elements uninitialised:
// a song's buffer is sized before its pieces are decoded into it on several
// threads, and is not cleared first on one thread.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) { ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...); }
};

using AudioSamples = std::vector<std::int16_t, UninitialisedAllocator<std::int16_t>>;

struct DecodedAudio {
    AudioSamples samples; // interleaved, channels per frame
    int channels = 0;
    int rate = 0;
    bool isOgg = false;
};

// A long OGG song is decoded in pieces on several threads (the samples are
// the same as decoded in one go, which inPieces false does).
bool audio_decode(const std::uint8_t* data, std::size_t size, DecodedAudio* out, bool inPieces = true);
