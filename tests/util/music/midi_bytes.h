#pragma once
// Builds Standard MIDI File bytes for the reader tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using MidiBytes = std::vector<unsigned char>;

inline void appendBE(MidiBytes& b, std::uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void appendVarLen(MidiBytes& b, std::uint32_t v)
{
    unsigned char groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<unsigned char>(v & 0x7f);
        v >>= 7;
    } while (v);
    while (n--)
        b.push_back(static_cast<unsigned char>(groups[n] | (n ? 0x80 : 0)));
}

inline MidiBytes midiHeader(std::uint16_t format, std::uint16_t tracks, std::uint16_t division)
{
    MidiBytes b{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    appendBE(b, format, 2);
    appendBE(b, tracks, 2);
    appendBE(b, division, 2);
    return b;
}

// A track chunk around raw event bytes (delta times included).
inline MidiBytes midiChunk(const MidiBytes& events)
{
    MidiBytes b{'M', 'T', 'r', 'k'};
    appendBE(b, static_cast<std::uint32_t>(events.size()), 4);
    b.insert(b.end(), events.begin(), events.end());
    return b;
}

inline MidiBytes metaName(const std::string& name)
{
    MidiBytes b{0x00, 0xFF, 0x03};
    appendVarLen(b, static_cast<std::uint32_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

inline MidiBytes operator+(MidiBytes a, const MidiBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const MidiBytes kEndOfTrack{0x00, 0xFF, 0x2F, 0x00};
