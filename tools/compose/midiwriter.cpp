#include "midiwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

namespace compose {

namespace {

constexpr int kDivision = 480;

using Bytes = std::vector<unsigned char>;

void be(Bytes& b, std::uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; --i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void varLen(Bytes& b, std::uint32_t v)
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

struct Event {
    std::uint32_t tick;
    int order; // at one tick: meta first, then note-offs, controllers, note-ons
    Bytes data;
};

std::uint32_t toTicks(double beats)
{
    return static_cast<std::uint32_t>(std::lround(beats * kDivision));
}

Bytes chunk(std::vector<Event> events)
{
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    std::uint32_t now = 0;
    for (const Event& e : events) {
        varLen(body, e.tick - now);
        now = e.tick;
        body.insert(body.end(), e.data.begin(), e.data.end());
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes out{'M', 'T', 'r', 'k'};
    be(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Event trackName(const std::string& name)
{
    Bytes d{0xFF, 0x03};
    varLen(d, static_cast<std::uint32_t>(name.size()));
    d.insert(d.end(), name.begin(), name.end());
    return {0, 0, d};
}

// Channel 10 (9 from 0) for drums, the track's index for the others.
int channelOf(const Song& song, int track)
{
    return song.tracks[static_cast<std::size_t>(track)].instrument == Instrument::Drums ? 9 : track;
}

} // namespace

bool writeMidi(const Song& song, const std::string& path)
{
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    be(file, 1, 2);
    be(file, static_cast<std::uint32_t>(song.tracks.size() + 1), 2);
    be(file, kDivision, 2);

    std::vector<Event> conductor;
    conductor.push_back(trackName(song.title));
    Bytes tempo{0xFF, 0x51, 0x03};
    be(tempo, static_cast<std::uint32_t>(song.microsecondsPerQuarter), 3);
    conductor.push_back({0, 0, tempo});
    conductor.push_back({0, 0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}});
    conductor.push_back({0, 0, {0xFF, 0x59, 0x02, static_cast<unsigned char>(song.keySharps),
                                static_cast<unsigned char>(song.minor ? 1 : 0)}});
    const Bytes head = chunk(conductor);
    file.insert(file.end(), head.begin(), head.end());

    for (int t = 0; t < static_cast<int>(song.tracks.size()); ++t) {
        std::vector<Event> events;
        events.push_back(trackName(song.tracks[static_cast<std::size_t>(t)].name));
        const unsigned char ch = static_cast<unsigned char>(channelOf(song, t));
        for (const NoteEvent& n : song.notes) {
            if (n.track != t)
                continue;
            events.push_back({toTicks(n.start), 3,
                              {static_cast<unsigned char>(0x90 | ch), static_cast<unsigned char>(n.key),
                               static_cast<unsigned char>(n.velocity)}});
            const std::uint32_t on = toTicks(n.start);
            events.push_back({std::max(toTicks(n.end), on + 1), 1,
                              {static_cast<unsigned char>(0x80 | ch), static_cast<unsigned char>(n.key), 0x40}});
        }
        for (const ControlEvent& c : song.controls) {
            if (c.track != t)
                continue;
            events.push_back({toTicks(c.beat), 2,
                              {static_cast<unsigned char>(0xB0 | ch), static_cast<unsigned char>(c.controller),
                               static_cast<unsigned char>(c.value)}});
        }
        const Bytes body = chunk(events);
        file.insert(file.end(), body.begin(), body.end());
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

} // namespace compose
