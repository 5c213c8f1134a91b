// The composition of "Funky Something" (songs/funkysomething/song.txt): a
// drum groove on the track "Ruff Kit" and a bass line in E minor, 32 bars at
// 120 BPM. Bars 0-3 hats and a tom pickup, bars 4-27 the groove (fills in
// bars 11, 19 and 27), bars 28-31 the groove thins out.
//
// Within a groove bar the kick (36) holds beats 0 to 0.3 and nothing the
// picture shows is held from 0.3 to 0.5: the end-to-end test samples both.
#include "compositions.h"

#include <string>

namespace compose {

namespace {

enum Track { Kit = 0, Bass, TrackCount };

enum Key {
    Kick = 36, SecondKick = 37, Snare = 40, GhostSnare = 41, Tom = 45,
    GhostHat = 42, Hat = 44, OpenHat = 46, Crash = 49
};

struct Hit {
    double at, length;
    int key, velocity;
};

void add(Song& song, int track, int bar, const Hit& h)
{
    const double start = bar * 4.0 + h.at;
    song.notes.push_back({track, h.key, start, start + h.length, h.velocity});
}

void offbeatHats(Song& song, int bar, int velocity)
{
    for (int i = 0; i < 4; ++i) {
        const bool open = i == 3 && bar % 2 == 1;
        add(song, Kit, bar, {i + 0.5, open ? 0.4 : 0.25, open ? OpenHat : Hat, velocity});
    }
}

void drums(Song& song, int bar)
{
    if (bar < 4) {
        offbeatHats(song, bar, 50 + bar * 6);
        if (bar == 3)
            for (int i = 0; i < 4; ++i)
                add(song, Kit, bar, {2.0 + i * 0.5, 0.25, Tom, 70 + i * 10});
        return;
    }
    if (bar >= 28) {
        add(song, Kit, bar, {0.0, 0.3, Kick, 110 - (bar - 28) * 8});
        if (bar < 31)
            offbeatHats(song, bar, 60 - (bar - 28) * 8);
        else
            add(song, Kit, bar, {0.5, 1.0, OpenHat, 50});
        return;
    }
    const bool fill = bar == 11 || bar == 19 || bar == 27;
    if (bar == 4 || bar == 12 || bar == 20)
        add(song, Kit, bar, {0.0, 1.0, Crash, 100});
    add(song, Kit, bar, {0.0, 0.3, Kick, 118});
    add(song, Kit, bar, {2.5, 0.25, SecondKick, 100});
    if (bar % 2 == 1)
        add(song, Kit, bar, {1.75, 0.2, SecondKick, 84});
    add(song, Kit, bar, {1.0, 0.3, Snare, 110});
    if (fill) {
        for (int i = 0; i < 4; ++i)
            add(song, Kit, bar, {3.0 + i * 0.25, 0.125, Tom, 80 + i * 10});
    } else {
        add(song, Kit, bar, {3.0, 0.3, Snare, 112});
        if (bar >= 12)
            add(song, Kit, bar, {2.75, 0.125, GhostSnare, 48});
    }
    offbeatHats(song, bar, 72);
    if (bar >= 8)
        for (int i = 0; i < 4; ++i) {
            add(song, Kit, bar, {i + 0.25, 0.125, GhostHat, 34});
            add(song, Kit, bar, {i + 0.75, 0.125, GhostHat, 40});
        }
}

void bass(Song& song, int bar)
{
    if (bar < 4 || bar >= 30)
        return;
    // E, and A in every third bar of four.
    const int root = bar % 4 == 2 ? 33 : 28;
    const Hit line[] = {{0.0, 0.375, 0, 104},  {0.75, 0.25, 0, 88},  {1.0, 0.25, 12, 96},
                        {1.5, 0.375, 10, 92},  {2.5, 0.25, 3, 90},   {2.75, 0.25, 5, 86},
                        {3.0, 0.5, 7, 98},     {3.5, 0.25, 10, 84}};
    for (const Hit& h : line)
        add(song, Bass, bar, {h.at, h.length, root + h.key, h.velocity});
}

} // namespace

bool composeFunkySomething(Song& song, std::string& error)
{
    const char* const names[TrackCount] = {"Ruff Kit", "Bass"};
    for (int t = 0; t < TrackCount; ++t)
        if (song.trackIndex(names[t]) != t) {
            error = std::string("the composition writes track ") + std::to_string(t) + " as \"" + names[t] + "\"";
            return false;
        }
    for (int bar = 0; bar < 32; ++bar) {
        drums(song, bar);
        bass(song, bar);
    }
    return true;
}

} // namespace compose
