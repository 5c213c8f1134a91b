#pragma once
// Standard MIDI File reader: one NoteTrack per track chunk that holds note
// events, controller lanes, the tempo and a few header facts. All reading
// happens in the constructor; unsupported or corrupt input is fatal.
#include <cstdint>
#include <string>

#include "util/music/notedata.h"

class MidiFile : public NoteData {
public:
    explicit MidiFile(std::string path);

    std::string copyright;
    std::string text;
    std::uint8_t time_sig_numerator;
    std::uint8_t time_sig_denominator;
    std::uint8_t time_sig_clocks;
    std::uint8_t time_sig_32nds;
    std::int8_t key_sig_sharps;
    bool key_sig_minor;

    // Reads one chunk starting at its "MTrk" tag; returns the position after it.
    const std::uint8_t* parseTrack(const std::uint8_t* chunk, std::uint32_t division);
    std::uint32_t readVarLen(const std::uint8_t** position);
    std::uint32_t readBigEndian(const std::uint8_t** position, int bytes);
    // At the meta type byte: steps over it, reads a length and that many bytes.
    // False (out unchanged) for a length of 0.
    bool readString(std::string& out, const std::uint8_t** position);

private:
    // Fatal unless `count` bytes can be read at `position`.
    void need(const std::uint8_t* position, std::uint32_t count) const;
    // Fatal error at `line` of this file: `words` first and whole, then the
    // file and `reason`.
    [[noreturn]] void fail(int line, const std::string& words, const std::string& reason) const;
    // Where the reading is, for messages: "the event at byte 22 of track
    // chunk 1 of 2", or "track chunk 1 of 2" between events.
    std::string where() const;
    // Byte offset of `position` from the start of the file.
    std::uint64_t offset(const std::uint8_t* position) const;

    const std::uint8_t* begin_ = nullptr; // the file's first byte
    const std::uint8_t* end_ = nullptr;   // one past the file's last byte
    const std::uint8_t* event_ = nullptr; // start of the event being read; null between events
    std::uint32_t chunk_ = 0;             // 1-based number of the chunk being read; 0 outside chunks
    std::uint32_t chunkCount_ = 0;        // as the header gives it
    std::string path_;                    // for messages
};
