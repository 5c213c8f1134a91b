// The composition of "Lantern" (songs/lantern/song.txt), the song of
// production 1: 75 beats a minute in D minor, 44 bars. Its energy rises and
// falls by section, which the tunnel reads from the spectrum level:
//   bars  0-7   intro: pad and a piano pattern in sixteenths
//   bars  8-15  build: kick on every beat, hats, the bass in eighths
//   bars 16-27  main: snare on 2 and 4, open hats, the lead's tune
//   bars 28-31  break: pad and piano, a snare roll in bar 31
//   bars 32-41  climax: everything, the tune an octave up, crashes
//   bars 42-43  outro: the last chord rings out
#include "compositions.h"

#include <string>
#include <vector>

namespace compose {

namespace {

enum LanternTrack { LPiano = 0, LBass, LDrums, LPad, LLead, LanternTrackCount };
enum LanternDrum { LKick = 36, LSnare = 38, LClosedHat = 42, LOpenHat = 46, LCrash = 49 };

struct Harmony {
    int bass;               // bass root
    std::vector<int> arp;   // piano pattern, low to high
    std::vector<int> pad;   // pad voicing
};

// Dm - Bb - F - C, one chord a bar.
const Harmony kDm{38, {50, 53, 57, 62}, {57, 62, 65, 69}};
const Harmony kBb{34, {50, 53, 58, 62}, {58, 62, 65, 70}};
const Harmony kF{29, {48, 53, 57, 60}, {57, 60, 65, 69}};
const Harmony kC{36, {48, 52, 55, 60}, {55, 60, 64, 67}};

const Harmony& harmonyAt(int bar)
{
    static const Harmony* cycle[4] = {&kDm, &kBb, &kF, &kC};
    return bar >= 42 ? kDm : *cycle[bar % 4];
}

struct TuneNote {
    double at, length;  // beats from the start of the four bars
    int key;
};

// The lead's tune over four bars (Dm Bb F C).
const std::vector<TuneNote> kTune = {
    {0, 1.5, 74}, {1.5, 0.5, 76}, {2, 1, 77}, {3, 1, 76},
    {4, 1, 74}, {5, 1, 70}, {6, 2, 74},
    {8, 0.5, 72}, {8.5, 0.5, 74}, {9, 1, 77}, {10, 1, 81}, {11, 1, 79},
    {12, 2, 76}, {14, 1, 74}, {15, 1, 72}};

void add(Song& song, int track, int key, double start, double length, int velocity)
{
    song.notes.push_back({track, key, start, start + length, velocity});
}

bool drumsPlay(int bar) { return bar >= 8 && bar < 42 && !(bar >= 28 && bar < 31); }

void lanternBar(Song& song, int bar)
{
    const Harmony& h = harmonyAt(bar);
    const double b = bar * 4.0;
    const bool full = (bar >= 16 && bar < 28) || (bar >= 32 && bar < 42);

    // Pad: the chord held through the bar, louder in the full sections.
    for (int k : h.pad)
        add(song, LPad, k, b, bar >= 42 ? 7.5 : 3.95, full ? 70 : 56);

    // Piano: up and down the chord in sixteenths; in the outro one chord.
    if (bar < 42) {
        const int order[8] = {0, 1, 2, 3, 2, 1, 2, 3};
        for (int i = 0; i < 16; ++i)
            add(song, LPiano, h.arp[static_cast<std::size_t>(order[i % 8])], b + i * 0.25, 0.22,
                i % 4 == 0 ? 70 : 54);
    } else if (bar == 42) {
        for (int k : h.arp)
            add(song, LPiano, k, b, 7.5, 66);
    }

    // Bass: eighths on the root from the build on, the octave on the off-beat.
    if (drumsPlay(bar))
        for (int i = 0; i < 8; ++i)
            add(song, LBass, h.bass + (i % 2 ? 12 : 0), b + i * 0.5, 0.4, i % 2 ? 76 : 92);
    else if (bar >= 28 && bar < 32)
        add(song, LBass, h.bass, b, 3.9, 70);

    // Drums.
    if (drumsPlay(bar)) {
        for (int beat = 0; beat < 4; ++beat) {
            add(song, LDrums, LKick, b + beat, 0.25, 112);
            if (full && beat % 2 == 1)
                add(song, LDrums, LSnare, b + beat, 0.25, 100);
            if (full)
                add(song, LDrums, LOpenHat, b + beat + 0.5, 0.2, 80);
        }
        for (int i = 0; i < (full ? 16 : 8); ++i) {
            const double step = full ? 0.25 : 0.5;
            if (!(full && i % 4 == 2))  // the open hat takes the off-beat
                add(song, LDrums, LClosedHat, b + i * step, 0.1, i % 2 ? 56 : 72);
        }
    }
    if (bar == 31)  // a snare roll into the climax, growing louder
        for (int i = 0; i < 16; ++i)
            add(song, LDrums, LSnare, b + i * 0.25, 0.2, 50 + i * 4);
    if (bar == 16 || bar == 32 || bar == 36 || bar == 40)
        add(song, LDrums, LCrash, b, 2.0, 110);

    // Lead: the tune in the main part, an octave up in the climax.
    if ((bar >= 20 && bar < 28) || (bar >= 32 && bar < 40)) {
        if (bar % 4 == 0) {
            const int shift = bar >= 32 ? 12 : 0;
            for (const TuneNote& n : kTune)
                add(song, LLead, n.key + shift, b + n.at, n.length * 0.9, 96);
        }
    }
}

}  // namespace

bool composeLantern(Song& song, std::string& error)
{
    const char* const names[LanternTrackCount] = {"Piano", "Bass", "Drums", "Pad", "Lead"};
    for (int t = 0; t < LanternTrackCount; ++t)
        if (song.trackIndex(names[t]) != t) {
            error = std::string("the composition writes track ") + std::to_string(t) + " as \"" + names[t] + "\"";
            return false;
        }
    for (int bar = 0; bar < 44; ++bar)
        lanternBar(song, bar);
    return true;
}

}  // namespace compose
