#pragma once
// A song: what song.txt says about it (tempo, length, note tracks and the
// instruments that play them, drum keys, modulator settings, description)
// and the notes its composition writes. The MIDI file, the audio, the music
// description and its template are all made from this.
#include <string>
#include <utility>
#include <vector>

namespace compose {

enum class Instrument { Piano, Bass, Drums, Pad, Lead, Bleeps };
enum class DrumSound { Kick, Snare, ClosedHat, OpenHat, Crash };

struct TrackSpec {
    std::string name;
    Instrument instrument;
};

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
    std::string name;        // file stem
    std::string title;       // the conductor track's name
    std::string composition; // which composition writes the notes
    double bpm = 120.0;
    int microsecondsPerQuarter = 500000;
    int keySharps = 0;       // key signature: sharps, negative for flats
    bool minor = false;
    double beats = 0.0;      // length of the song
    double tailSeconds = 0.0;
    std::vector<TrackSpec> tracks;
    std::vector<std::pair<int, DrumSound>> drumKeys;
    int lfoTrack = -1;       // -1: no LFO
    int lfoController = 1;
    int lfoNumerator = 1, lfoDenominator = 2;
    std::vector<LfoRange> lfoRanges;
    int arpTrack = -1;       // -1: no arpeggiator
    double arpStepBeats = 0.25;
    std::string descriptionFile; // path of the music description to copy; empty: the song is
                                 // played from its audio alone (no description, no note data)

    std::vector<NoteEvent> notes;
    std::vector<ControlEvent> controls;

    // Index of the track of that name; -1 when there is none.
    int trackIndex(const std::string& trackName) const;
};

// Reads a song file (song.txt); relative file names in it are taken from its
// folder. False with a "file:line: ..." message on an error.
bool loadSong(const std::string& path, Song& song, std::string& error);

// Sorts notes, and shortens any note that a later note of the same key and
// track starts inside of, so the note data never overlaps a key.
void tidy(Song& song);

} // namespace compose
