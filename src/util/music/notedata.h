#pragma once
// The score as the engine sees it: named note tracks, one Note per key with
// its switch times in beats, 128 controller lanes per track, and the
// modulators that shape each note's value.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Modulator;

// A note's switch times: a note-on at beat b is stored as +b, a note-off as
// -b. The sign bit tells them apart, so an on at beat 0 (+0.0) and an off at
// beat 0 (-0.0) are distinct; use isNoteOn rather than comparing with 0.
bool isNoteOn(float event);

struct Note {
    std::uint8_t key;
    std::string name;
    std::int32_t last_event;
    std::vector<float> events;
    std::vector<std::uint8_t> velocities; // MIDI only: on velocity, 0 for an off

    Note();
};

struct ControllerLane {
    std::vector<float> times;          // beats, in file order
    std::vector<std::uint8_t> values;  // 0..127, parallel to times

    ControllerLane();
};

struct NoteTrack {
    std::string name;
    std::uint32_t events_read;
    std::vector<Note> notes;           // one per key, in order of first appearance
    std::array<ControllerLane, 128> controllers;
    float volume;                      // raw controller value 0..127 once set; default 0.78125
    float pan;                         // raw controller value 0..127 once set; default 0.5
    std::vector<Modulator*> modulators;

    NoteTrack();
};

class NoteData {
public:
    explicit NoteData(std::string path);
    // The music object deletes its MIDI file or Ableton set through this base.
    virtual ~NoteData() = default;
    NoteData(const NoteData&) = default;
    NoteData& operator=(const NoteData&) = default;

    std::vector<NoteTrack> tracks;
    float tempo;
    std::string path; // the file it was read from, for messages
};

// What follows "Could not find track <name>" when the note data lacks the
// track: the file and the names it does hold.
std::string missing_track_context(const NoteData& data);

// Stops the program unless `tempo` is a tempo a song can have, 1 to 1000
// BPM: far outside it the music clock's rows leave int's range (and a tempo
// too large for a float is infinite). `source` names the file, as in
// "MIDI file song.mid": "<source> has a tempo of <v> BPM, outside 1 to 1000".
void require_song_tempo(float tempo, const std::string& source);

// "C%u" .. "B%u" by key mod 12, octave key / 12.
std::string noteName(std::uint8_t key);
