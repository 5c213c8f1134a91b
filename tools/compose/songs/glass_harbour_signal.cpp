// The composition of "Glass Harbour Signal" (songs/glass_harbour_signal/song.txt):
// chords, parts and patterns, written as notes and controller events.
#include "compositions.h"

#include <string>
#include <vector>

namespace compose {

namespace {

// The tracks as song.txt lists them.
enum Track { Piano = 0, Bass, Drums, Pad, Lead, Bleep, TrackCount };

// Drum keys of the "Drums" track.
enum DrumKey { Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49 };

struct Chord {
    int bass;                 // bass root, keys 28..40
    int left;                 // piano left-hand root, keys 36..47
    int fifth;                // piano left-hand fifth, keys 36..47
    std::vector<int> right;   // piano right hand, keys 48..59
    std::vector<int> pad;     // pad voicing
};

const Chord Am{33, 45, 40, {48, 52, 57}, {57, 60, 64, 69}};
const Chord F{29, 41, 36, {48, 53, 57}, {57, 60, 65, 69}};
const Chord C{36, 36, 43, {48, 52, 55}, {55, 60, 64, 67}};
const Chord G{31, 43, 38, {50, 55, 59}, {55, 59, 62, 67}};
const Chord Em{28, 40, 47, {52, 55, 59}, {55, 59, 64, 67}};
const Chord E{28, 40, 47, {52, 56, 59}, {56, 59, 64, 68}};  // the dominant: G sharp, a black key

// One chord per bar: i-VI-III-VII, with VI-VII-V-i for contrast (VI-VII-v-i
// under the ribbons, where the bleeps run over G); the intro's phrases turn
// on the dominant, and the build climbs F G E E into the last drop.
const Chord& chordAt(int bar)
{
    static const Chord* p1[4] = {&Am, &F, &C, &G};
    static const Chord* p2[4] = {&F, &G, &E, &Am};
    static const Chord* ribbons[4] = {&F, &G, &Em, &Am};
    static const Chord* build[4] = {&F, &G, &E, &E};
    if (bar >= 100)
        return Am;
    if (bar >= 88 && bar < 92)
        return *build[bar - 88];
    if (bar == 7 || bar == 15)
        return E;
    if (bar >= 72 && bar < 80)
        return *ribbons[bar % 4];
    const bool second = (bar >= 40 && bar < 48) || (bar >= 80 && bar < 88) || bar >= 96;
    return second ? *p2[bar % 4] : *p1[bar % 4];
}

struct Phrase {
    double at, length;
    int key;
};

// Piano melody of the piano section, one phrase per four bars.
const std::vector<Phrase> kPianoMelodyA = {
    {0, 1.5, 57}, {1.5, 0.5, 55}, {2, 1, 52}, {3, 1, 55},
    {4, 1.5, 53}, {5.5, 0.5, 52}, {6, 2, 48},
    {8, 1, 52}, {9, 1, 55}, {10, 1, 57}, {11, 1, 59},
    {12, 2, 55}, {14, 1, 54}, {15, 1, 56}};
const std::vector<Phrase> kPianoMelodyB = {
    {0, 1.5, 57}, {1.5, 0.5, 59}, {2, 2, 57},
    {4, 1, 53}, {5, 1, 55}, {6, 2, 57},
    {8, 0.5, 55}, {8.5, 0.5, 57}, {9, 1, 59}, {10, 2, 55},
    {12, 4, 57}};
const std::vector<Phrase> kPianoMelodyC = { // over F G E Am
    {0, 1, 57}, {1, 1, 55}, {2, 1, 53}, {3, 1, 52},
    {4, 2, 55}, {6, 1, 59}, {7, 1, 57},
    {8, 1, 56}, {9, 0.5, 54}, {9.5, 0.5, 56}, {10, 2, 59},
    {12, 4, 57}};

// Lead riffs.
const std::vector<Phrase> kLeadA = {
    {0, 0.5, 76}, {0.5, 0.5, 74}, {1, 1, 76}, {2, 0.5, 72}, {2.5, 0.5, 74}, {3, 1, 69},
    {4, 0.5, 72}, {4.5, 0.5, 74}, {5, 1, 77}, {6, 1, 76}, {7, 1, 72},
    {8, 0.5, 76}, {8.5, 0.5, 79}, {9, 1, 79}, {10, 0.5, 76}, {10.5, 0.5, 74}, {11, 1, 72},
    {12, 1.5, 74}, {13.5, 0.5, 71}, {14, 2, 67}};
const std::vector<Phrase> kLeadB = {
    {0, 0.5, 81}, {0.5, 0.5, 79}, {1, 1, 76}, {2, 1, 79}, {3, 1, 76},
    {4, 0.5, 77}, {4.5, 0.5, 76}, {5, 1, 72}, {6, 2, 69},
    {8, 0.5, 72}, {8.5, 0.5, 76}, {9, 0.5, 79}, {9.5, 0.5, 84}, {10, 1, 83}, {11, 1, 79},
    {12, 3, 79}, {15, 0.5, 74}, {15.5, 0.5, 71}};

// The four keys of the bleeps: A, C, E and G, which sit well over every chord.
const int kBleepKeys[4] = {81, 84, 88, 91};

class Writer {
public:
    explicit Writer(Song& s) : song(s) {}
    void note(int track, int key, double start, double length, int velocity)
    {
        song.notes.push_back({track, key, start, start + length, velocity});
    }
    void phrase(int track, const std::vector<Phrase>& phrase, int bar, int velocity, double gate = 0.92)
    {
        for (const Phrase& p : phrase)
            note(track, p.key, bar * 4 + p.at, p.length * gate, velocity + ((static_cast<int>(p.at * 2) % 2) ? -8 : 0));
    }
    void control(int track, int controller, double beat, int value)
    {
        song.controls.push_back({track, controller, beat, value});
    }
    Song& song;
};

void pianoPart(Writer& w, int bar)
{
    const Chord& c = chordAt(bar);
    const double b = bar * 4.0;
    if (bar < 8) { // gentle broken chords
        w.note(Piano, c.left, b, 3.9, 70);
        const int order[8] = {0, 1, 2, 1, 0, 1, 2, 1};
        for (int i = 0; i < 8; ++i)
            w.note(Piano, c.right[static_cast<std::size_t>(order[i])], b + i * 0.5, 0.45, i % 2 ? 52 : 62);
    } else if (bar < 16) { // block chords
        w.note(Piano, c.left, b, 1.9, 76);
        w.note(Piano, c.fifth, b + 2, 1.9, 66);
        for (double at : {0.0, 1.5, 3.0})
            for (int k : c.right)
                w.note(Piano, k, b + at, at == 0.0 ? 1.4 : 0.9, at == 0.0 ? 74 : 64);
    } else if (bar < 32) { // stabs under the drums
        w.note(Piano, c.left, b, 1.9, 80);
        w.note(Piano, c.left, b + 2, 1.9, 70);
        for (double at : {0.0, 1.5, 3.0})
            for (int k : c.right)
                w.note(Piano, k, b + at, 0.4, at == 0.0 ? 84 : 72);
    } else if (bar < 48) { // the piano's melody
        w.note(Piano, c.left, b, 1.45, 78);
        w.note(Piano, c.fifth, b + 1.5, 0.95, 64);
        w.note(Piano, c.left, b + 2.5, 1.45, 70);
    } else if (bar < 64 || (bar >= 92 && bar < 96)) { // house stabs on the off-beats
        w.note(Piano, c.left, b, 3.9, 72);
        for (double at : {0.5, 1.5, 2.5, 3.5})
            for (int k : c.right)
                w.note(Piano, k, b + at, 0.35, at == 0.5 ? 86 : 76);
    } else if (bar < 80) { // one chord a bar under the ribbons
        w.note(Piano, c.left, b, 3.5, 72);
        for (int k : c.right)
            w.note(Piano, k, b, 3.5, 66);
    } else if (bar >= 88 && bar < 92) { // the build: stabs on the beats, then the eighths, louder
        const double step = bar < 90 ? 1.0 : 0.5;
        for (double at = 0.0; at < 4.0; at += step)
            for (int k : c.right)
                w.note(Piano, k, b + at, step * 0.5, 60 + (bar - 88) * 8 + static_cast<int>(at * 2));
        w.note(Piano, c.left, b, 3.9, 70 + (bar - 88) * 4);
    } else if (bar < 100) { // breakdown and cadence: broken chords again
        w.note(Piano, c.left, b, 3.9, 70);
        const int order[8] = {0, 1, 2, 1, 2, 1, 0, 1};
        for (int i = 0; i < 8; ++i)
            w.note(Piano, c.right[static_cast<std::size_t>(order[i])], b + i * 0.5, 0.45, i % 2 ? 50 : 60);
    } else if (bar == 100) { // the last chord rolls in and rings to the end
        w.note(Piano, 45, b, 15.9, 72);
        w.note(Piano, 40, b + 0.5, 15.4, 58);
        w.note(Piano, 48, b + 1.0, 14.9, 62);
        w.note(Piano, 52, b + 1.5, 14.4, 60);
        w.note(Piano, 57, b + 2.0, 13.9, 66);
    }
}

void pianoMelody(Writer& w)
{
    w.phrase(Piano, kPianoMelodyA, 32, 82);
    w.phrase(Piano, kPianoMelodyB, 36, 82);
    w.phrase(Piano, kPianoMelodyC, 40, 84);
    w.phrase(Piano, kPianoMelodyC, 44, 80);
}

void bassPart(Writer& w, int bar)
{
    if (bar < 16 || bar >= 100)
        return;
    const Chord& c = chordAt(bar);
    const double b = bar * 4.0;
    const int r = c.bass;
    if (bar < 32) {
        for (int i = 0; i < 4; ++i)
            w.note(Bass, i == 3 ? r + 12 : r, b + i, 0.85, 96);
    } else if (bar < 48) {
        w.note(Bass, r, b, 1.9, 92);
        w.note(Bass, r, b + 2, 1.4, 84);
        w.note(Bass, r + 7, b + 3.5, 0.45, 80);
    } else if (bar < 64 || (bar >= 92 && bar < 96)) {
        for (int i = 0; i < 4; ++i)
            w.note(Bass, (i == 2) ? r + 12 : r, b + i + 0.5, 0.42, 104);
    } else if (bar < 80) {
        const int pattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
        for (int i = 0; i < 8; ++i)
            w.note(Bass, r + pattern[i], b + i * 0.5, 0.4, i % 2 ? 88 : 100);
    } else if (bar < 84) { // the breakdown opens without bass
        return;
    } else if (bar >= 88 && bar < 92) { // the build: eighths on the root, louder bar by bar
        for (int i = 0; i < 8; ++i)
            w.note(Bass, r, b + i * 0.5, 0.4, 76 + (bar - 88) * 8);
    } else {
        w.note(Bass, r, b, 3.8, 84);
    }
}

// The build, bars 88 to 91: a snare roll on the beats, the eighths, then the
// sixteenths, louder all the way, the kick back from bar 90.
void buildDrums(Writer& w, int bar)
{
    const double b = bar * 4.0;
    const double step = bar == 88 ? 1.0 : bar < 91 ? 0.5 : 0.25;
    for (double at = 0.0; at < 4.0; at += step)
        w.note(Drums, Snare, b + at, 0.1, 50 + (bar - 88) * 16 + static_cast<int>(at * 3));
    if (bar >= 90)
        for (int i = 0; i < 4; ++i)
            w.note(Drums, Kick, b + i, 0.2, 100 + (bar - 90) * 10);
}

void drumPart(Writer& w, int bar)
{
    const double b = bar * 4.0;
    const bool fill = bar == 31 || bar == 47 || bar == 63 || bar == 79;
    if (bar >= 12 && bar < 16) {
        for (int i = 0; i < 8; ++i)
            w.note(Drums, ClosedHat, b + i * 0.5, 0.1, i % 2 ? 50 : 36);
        return;
    }
    if (bar < 16 || bar >= 100)
        return;
    if (bar >= 80 && bar < 88) { // the breakdown: no drums, then soft hats on the off-beats
        if (bar >= 84)
            for (int i = 0; i < 4; ++i)
                w.note(Drums, ClosedHat, b + i + 0.5, 0.1, 30 + (bar - 84) * 6);
        return;
    }
    if (bar >= 88 && bar < 92) {
        buildDrums(w, bar);
        return;
    }
    if (bar >= 96) { // the drums fall away: a last ride of hats
        if (bar < 98)
            for (int i = 0; i < 4; ++i)
                w.note(Drums, ClosedHat, b + i + 0.5, 0.1, 46 - (bar - 96) * 10);
        return;
    }
    for (int i = 0; i < 4; ++i) {
        if (fill && i == 3)
            break;
        w.note(Drums, Kick, b + i, 0.2, i == 0 ? 120 : 110);
    }
    if (fill) {
        for (int i = 0; i < 4; ++i)
            w.note(Drums, Snare, b + 3 + i * 0.25, 0.1, 70 + i * 12);
    }
    const bool full = (bar >= 48 && bar < 64) || (bar >= 92 && bar < 96);
    w.note(Drums, Snare, b + 1, 0.2, full ? 110 : 96);
    if (!fill)
        w.note(Drums, Snare, b + 3, 0.2, full ? 112 : 98);
    for (int i = 0; i < 4; ++i) {
        w.note(Drums, full ? OpenHat : ClosedHat, b + i + 0.5, full ? 0.3 : 0.1, full ? 70 : 64);
        if (full || (bar >= 64 && bar < 80)) {
            w.note(Drums, ClosedHat, b + i + 0.25, 0.08, 38);
            w.note(Drums, ClosedHat, b + i + 0.75, 0.08, 42);
        }
    }
    if (bar == 16 || bar == 32 || bar == 48 || bar == 56 || bar == 64 || bar == 92)
        w.note(Drums, Crash, b, 1.0, bar == 48 || bar == 92 ? 120 : 96);
}

void padPart(Writer& w, int bar)
{
    if (bar < 8)
        return;
    const Chord& c = chordAt(bar);
    const double b = bar * 4.0;
    const double length = bar >= 100 ? (bar == 100 ? 16.0 : 0.0) : 4.0;
    if (length == 0.0)
        return;
    for (int k : c.pad)
        w.note(Pad, k, b, length, bar < 16 ? 56 : 68);
}

void leadPart(Writer& w)
{
    for (int bar = 48; bar < 64; bar += 8) {
        w.phrase(Lead, kLeadA, bar, 96);
        w.phrase(Lead, kLeadB, bar + 4, 100);
    }
    w.phrase(Lead, kLeadA, 92, 100);  // the last drop
}

// Bleep patterns: single sixteenths running over the four keys, all four
// held for a bar (the arpeggiator walks them), or two pairs held in turn.
void bleepBar(Writer& w, int bar, int pattern)
{
    const double b = bar * 4.0;
    switch (pattern) {
    case 0: {
        const int order[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 2, 1, 3};
        for (int i = 0; i < 16; ++i)
            w.note(Bleep, kBleepKeys[order[i]], b + i * 0.25, 0.2, 90);
        break;
    }
    case 1:
        for (int k : kBleepKeys)
            w.note(Bleep, k, b, 3.75, 88);
        break;
    case 2:
        w.note(Bleep, kBleepKeys[0], b, 1.9, 88);
        w.note(Bleep, kBleepKeys[2], b, 1.9, 88);
        w.note(Bleep, kBleepKeys[1], b + 2, 1.9, 88);
        w.note(Bleep, kBleepKeys[3], b + 2, 1.9, 88);
        break;
    }
}

void bleepPart(Writer& w)
{
    for (int bar = 56; bar < 64; bar += 2)
        bleepBar(w, bar, 0);
    const int ribbons[4] = {0, 1, 0, 2};
    for (int bar = 64; bar < 80; ++bar)
        bleepBar(w, bar, ribbons[bar % 4]);
    for (int bar = 80; bar < 88; ++bar) // held in the breakdown, the arpeggiator walks them
        if (bar % 2 == 1)
            bleepBar(w, bar, bar % 4 == 1 ? 1 : 2);
    bleepBar(w, 88, 0); // running into the build
    bleepBar(w, 89, 0);
    for (int bar = 92; bar < 96; ++bar)
        bleepBar(w, bar, bar % 2 == 0 ? 0 : 1);
}

void controllers(Writer& w, int controller)
{
    // The pad's LFO period follows controller 1: slow at first, faster in the
    // busy sections, slow in the breakdown, fastest in the build, slow at the end.
    const std::pair<int, int> lane[] = {{0, 20}, {32, 60}, {48, 100}, {64, 60}, {80, 20}, {88, 110}, {96, 20}};
    for (const auto& [bar, value] : lane)
        w.control(Pad, controller, bar * 4.0, value);
}

} // namespace

bool composeGlassHarbourSignal(Song& song, std::string& error)
{
    const char* const names[TrackCount] = {"Old Vinyl Piano", "Bass", "Drums", "Pad", "Lead", "RaveBleep"};
    for (int t = 0; t < TrackCount; ++t)
        if (song.trackIndex(names[t]) != t) {
            error = std::string("the composition writes track ") + std::to_string(t) + " as \"" + names[t] + "\"";
            return false;
        }
    Writer w(song);
    for (int bar = 0; bar < 104; ++bar) {
        pianoPart(w, bar);
        bassPart(w, bar);
        drumPart(w, bar);
        padPart(w, bar);
    }
    pianoMelody(w);
    leadPart(w);
    bleepPart(w);
    controllers(w, song.lfoController);
    return true;
}

} // namespace compose
