#pragma once
// The song as note data: named tracks of notes (beats), controller events,
// and the modulator settings the music description gives the tracks. The
// MIDI file, the audio and the description are all made from this.
#include <string>
#include <vector>

namespace compose {

constexpr double kBpm = 155.0;
constexpr int kMicrosecondsPerQuarter = 387097;
constexpr double kSongBeats = 416.0;   // 104 bars of 4/4
constexpr double kTailSeconds = 2.2;   // the last chord's release after the final bar

enum Track { Piano = 0, Bass, Drums, Pad, Lead, Bleep, TrackCount };

// Drum keys of the "Drums" track.
enum DrumKey { Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49 };

struct NoteEvent {
    int track;
    int key;
    double start; // beats
    double end;   // beats
    int velocity; // 1..127
};

struct ControlEvent {
    int track;
    int controller;
    double beat;
    int value;
};

// A controller range of the LFO template: values up to `max` give
// numerator/denominator of a whole note as the LFO period.
struct LfoRange {
    int min, max, numerator, denominator;
};

struct Song {
    std::vector<std::string> trackNames;
    std::vector<NoteEvent> notes;
    std::vector<ControlEvent> controls;
};

// Modulator settings shared by the description and the synthesiser.
constexpr int kPadLfoController = 1;
const std::vector<LfoRange> kPadLfoRanges = {{0, 42, 1, 2}, {42, 84, 1, 4}, {84, 127, 1, 8}};
constexpr double kArpStepBeats = 0.25; // 1/16 note, pattern "updown"

Song composeSong();
// Sorts notes, and shortens any note that a later note of the same key and
// track starts inside of, so the note data never overlaps a key.
void tidy(Song& song);

double beatsToSeconds(double beats);

} // namespace compose
