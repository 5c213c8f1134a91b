#include "util/music/midi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"

namespace {

struct FreeBuffer {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

std::string hex_byte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// The fatal error's words for a meta event the reader does not take; null
// for the ones it reads and for unknown types.
const char* unsupported_meta(std::uint8_t type)
{
    switch (type) {
    case 0x00: return "MIDI_META_SEQNUM";
    case 0x04: return "MIDI_META_INSTR_NAME";
    case 0x05: return "MIDI_META_LYRIC";
    case 0x06: return "MIDI_META_MARKER";
    case 0x07: return "MIDI_META_CUE_POINT";
    case 0x20: return "MIDI_META_CH_PREFIX";
    case 0x54: return "MIDI_META_SMPTE_OFFS";
    case 0x7F: return "MIDI_META_CUSTOM";
    default: return nullptr;
    }
}

// Four tag bytes as text when they are printable, else in hex.
std::string quoted_tag(const std::uint8_t* tag)
{
    std::string text = "\"";
    for (int i = 0; i < 4; ++i) {
        if (tag[i] < 0x20 || tag[i] > 0x7E)
            return hex_byte(tag[0]) + " " + hex_byte(tag[1]) + " " + hex_byte(tag[2]) + " " + hex_byte(tag[3]);
        text += static_cast<char>(tag[i]);
    }
    return text + "\"";
}

} // namespace

MidiFile::MidiFile(std::string path)
    : NoteData(path),
      time_sig_numerator(4),
      time_sig_denominator(4),
      time_sig_clocks(24),
      time_sig_32nds(8),
      key_sig_sharps(0),
      key_sig_minor(false),
      path_(path)
{
    tempo = 120.0f;
    int size = 0;
    std::unique_ptr<std::uint8_t, FreeBuffer> file(load_file(path.c_str(), "rb", &size, true));
    if (!file)
        FATAL_ERROR("Could not read MIDI file " + path);
    const std::uint8_t* p = file.get();
    begin_ = p;
    // The whole buffer counts: a NUL the data layer appended lies after the
    // last chunk and is never read as one, and the packed data file may hand
    // the bytes back without it.
    end_ = p + (size > 0 ? size : 0);

    static const std::uint8_t header[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    const std::ptrdiff_t available = end_ - p;
    if (available < 14 || std::memcmp(p, header, 8) != 0) {
        std::string reason = "it ends inside its 14-byte header";
        if (available < 4 || std::memcmp(p, header, 4) != 0) {
            reason = "it does not start with the header tag \"MThd\"";
        } else if (available >= 8 && std::memcmp(p + 4, header + 4, 4) != 0) {
            const std::uint8_t* lengthField = p + 4;
            reason = "its header length is " + std::to_string(readBigEndian(&lengthField, 4)) + ", not 6";
        }
        fail(__LINE__, "  Unknown header info, MIDI file format not recognized\n", reason);
    }
    p += 8;
    readBigEndian(&p, 2); // format: 0 and 1 are read alike
    const std::uint32_t trackCount = readBigEndian(&p, 2);
    const std::uint32_t division = readBigEndian(&p, 2);
    if (division & 0x8000) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(division));
        FATAL_ERROR("SMPTE time division is not supported\n" + path + ": its header counts time in SMPTE frames (" +
                    hex + "), not in ticks per quarter note");
    }
    if (division == 0)
        FATAL_ERROR("MIDI time division is 0\n" + path + ": its header gives 0 ticks per quarter note");
    chunkCount_ = trackCount;
    for (std::uint32_t i = 0; i < trackCount; ++i) {
        chunk_ = i + 1;
        p = parseTrack(p, division);
    }
    chunk_ = 0;
}

void MidiFile::need(const std::uint8_t* position, std::uint32_t count) const
{
    if (position > end_ || static_cast<std::uint64_t>(end_ - position) < count)
        fail(__LINE__, "Unexpected end of MIDI data", "the file ends inside " + where());
}

void MidiFile::fail(int line, const std::string& words, const std::string& reason) const
{
    // Words that end a line of their own keep it; the others get one.
    const bool ownLine = !words.empty() && words.back() == '\n';
    ::fatal_error(__FILE__, line, words + (ownLine ? "" : "\n") + path_ + ": " + reason);
}

std::string MidiFile::where() const
{
    if (chunk_ == 0)
        return "the data being read";
    const std::string chunk = "track chunk " + std::to_string(chunk_) + " of " + std::to_string(chunkCount_);
    if (!event_)
        return chunk;
    return "the event at byte " + std::to_string(offset(event_)) + " of " + chunk;
}

std::uint64_t MidiFile::offset(const std::uint8_t* position) const
{
    return static_cast<std::uint64_t>(position - begin_);
}

std::uint32_t MidiFile::readVarLen(const std::uint8_t** position)
{
    if (!position || !*position)
        FATAL_ERROR("NULL-buffer specified");
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        need(*position, 1);
        const std::uint8_t byte = *(*position)++;
        value = (value << 7) | (byte & 0x7f);
        if (!(byte & 0x80))
            return value;
    }
    fail(__LINE__, "Found 4 bytes of delta time without a 0 MSB",
         "a variable-length number in " + where() + " runs on past 4 bytes");
}

std::uint32_t MidiFile::readBigEndian(const std::uint8_t** position, int bytes)
{
    if (!position || !*position)
        FATAL_ERROR("NULL-buffer specified");
    if (bytes < 1 || bytes > 4)
        FATAL_ERROR("bytes must be in range 1..4!");
    need(*position, static_cast<std::uint32_t>(bytes));
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | *(*position)++;
    return value;
}

bool MidiFile::readString(std::string& out, const std::uint8_t** position)
{
    ++*position; // the meta type byte
    const std::uint32_t length = readVarLen(position);
    if (length == 0)
        return false;
    need(*position, length);
    const char* bytes = reinterpret_cast<const char*>(*position);
    out.assign(bytes, strnlen(bytes, length));
    *position += length;
    return true;
}

const std::uint8_t* MidiFile::parseTrack(const std::uint8_t* chunk, std::uint32_t division)
{
    const std::uint8_t* p = chunk;
    event_ = nullptr;
    if (p > end_ || end_ - p < 8)
        fail(__LINE__, "Unexpected end of MIDI data",
             "its header counts " + std::to_string(chunkCount_) +
                 (chunkCount_ == 1 ? " track chunk" : " track chunks") +
                 ", but the file ends before the tag and length of " + where() + " at byte " +
                 std::to_string(offset(p)));
    if (std::memcmp(p, "MTrk", 4) != 0)
        fail(__LINE__, " Could not find track chunk header, unrecognized file format!\n",
             where() + " at byte " + std::to_string(offset(p)) + " starts with " + quoted_tag(p) +
                 ", not \"MTrk\"");
    p += 4;
    const std::uint32_t length = readBigEndian(&p, 4);
    if (static_cast<std::uint64_t>(end_ - p) < length)
        fail(__LINE__, "Unexpected end of MIDI data",
             where() + " at byte " + std::to_string(offset(chunk)) + " claims " + std::to_string(length) +
                 " bytes, more than the file holds after it");
    const std::uint8_t* chunkEnd = p + length;

    std::uint8_t runningStatus = 0;
    std::uint32_t ticks = 0;
    NoteTrack track;

    while (p < chunkEnd) {
        event_ = p;
        ticks += readVarLen(&p);
        const float beat = static_cast<float>(ticks) / static_cast<float>(division);
        need(p, 1);
        if (*p & 0x80)
            runningStatus = *p++;
        const std::uint8_t status = runningStatus;

        if (status == 0xF0 || status == 0xF7)
            fail(__LINE__, "  Got SysEx event, not supported yet, panicking!",
                 where() + " is a SysEx event (status " + hex_byte(status) + ")");

        if (status == 0xFF) {
            need(p, 1);
            const std::uint8_t type = *p;
            const auto badLength = [&](int line, const char* words, std::uint32_t length) {
                fail(line, words,
                     where() + " gives meta event " + hex_byte(type) + " a length of " + std::to_string(length));
            };
            if (const char* words = unsupported_meta(type))
                fail(__LINE__, words, where() + " is meta event " + hex_byte(type) + ", which is not supported");
            switch (type) {
            case 0x01:
                if (!readString(text, &p))
                    badLength(__LINE__, "Retrieving text info failed!", 0);
                break;
            case 0x02:
                if (!readString(copyright, &p))
                    badLength(__LINE__, "Retrieving copyright info failed!", 0);
                break;
            case 0x03:
                if (!readString(track.name, &p))
                    badLength(__LINE__, "Retrieving track name failed!", 0);
                break;
            case 0x2F: {
                ++p;
                const std::uint32_t length = readVarLen(&p);
                if (length != 0)
                    badLength(__LINE__, "Expected 0x00", length);
                break;
            }
            case 0x51: {
                ++p;
                const std::uint32_t length = readVarLen(&p);
                if (length != 3)
                    badLength(__LINE__, "Expected 0x03", length);
                const std::uint32_t microseconds = readBigEndian(&p, 3);
                if (microseconds == 0)
                    FATAL_ERROR("MIDI file " + path_ + " has a tempo of 0 microseconds per quarter note");
                const float x = 60000000.0f / static_cast<float>(microseconds);
                tempo = std::floor(x * 100.0f + 0.5f) / 100.0f;
                require_song_tempo(tempo, "MIDI file " + path_);
                break;
            }
            case 0x58: {
                ++p;
                const std::uint32_t length = readVarLen(&p);
                if (length != 4)
                    badLength(__LINE__, "Expected 0x04", length);
                need(p, 4);
                time_sig_numerator = p[0];
                time_sig_denominator = static_cast<std::uint8_t>(p[1] < 8 ? 1u << p[1] : 0u);
                time_sig_clocks = p[2];
                time_sig_32nds = p[3];
                p += 4;
                break;
            }
            case 0x59: {
                ++p;
                const std::uint32_t length = readVarLen(&p);
                if (length != 2)
                    badLength(__LINE__, "Expected 0x02", length);
                need(p, 2);
                key_sig_sharps = static_cast<std::int8_t>(p[0]);
                key_sig_minor = p[1] == 1;
                p += 2;
                break;
            }
            default: fail(__LINE__, "  Unknown meta event, panicking!", where() + " is meta event " + hex_byte(type));
            }
            continue;
        }

        const int kind = status >> 4;
        if (kind < 0x8 || kind > 0xE) {
            need(p, 1);
            const int b = *p;
            fail(__LINE__, "Unknown event " + std::to_string(b >> 4) + " from " + std::to_string(b) +
                     ", corrupt MIDI file? Panicking!",
                 status == 0
                     ? where() + " has no status byte, and no earlier event in the chunk gives a running status"
                     : where() + " has status " + hex_byte(status) + ", which is no channel, meta or SysEx event");
        }
        switch (kind) {
        case 0x8:
        case 0x9: {
            need(p, 2);
            const std::uint8_t key = p[0];
            const std::uint8_t velocity = kind == 0x8 ? 0 : p[1];
            p += 2;
            if (key > 127)
                fail(__LINE__, "MIDI key " + std::to_string(key) + " out of range, corrupt MIDI file?",
                     where() + " is a note event for key " + std::to_string(key) + "; keys run from 0 to 127");
            track.events_read++;
            Note* note = nullptr;
            for (Note& n : track.notes)
                if (n.key == key) {
                    note = &n;
                    break;
                }
            if (!note) {
                track.notes.emplace_back();
                note = &track.notes.back();
                note->key = key;
                note->name = noteName(key);
            }
            const bool on = !note->events.empty() && isNoteOn(note->events.back());
            if (velocity == 0) {
                if (note->events.empty() || on) {
                    note->events.push_back(-beat);
                    note->velocities.push_back(0);
                }
            } else if (note->events.empty() || !on) {
                note->events.push_back(beat);
                note->velocities.push_back(velocity);
            }
            break;
        }
        case 0xA:
            need(p, 2);
            p += 2;
            break;
        case 0xB: {
            need(p, 2);
            const std::uint8_t controller = p[0];
            const std::uint8_t value = p[1];
            p += 2;
            if (controller > 127)
                fail(__LINE__,
                     "MIDI controller number " + std::to_string(controller) + " above 127, corrupt MIDI file?",
                     "in " + where());
            if (value > 127)
                fail(__LINE__, "MIDI controller value " + std::to_string(value) + " above 127, corrupt MIDI file?",
                     "in " + where());
            if (controller == 7) {
                track.volume = value;
            } else if (controller == 10) {
                track.pan = value;
            } else {
                track.controllers[controller].times.push_back(beat);
                track.controllers[controller].values.push_back(value);
            }
            break;
        }
        case 0xC:
            fail(__LINE__, "MIDI_PROGRAM",
                 where() + " is a program change (status " + hex_byte(status) + "), which is not supported");
        case 0xD:
            need(p, 1);
            p += 1;
            break;
        case 0xE:
            need(p, 2);
            p += 2;
            break;
        }
    }
    if (track.events_read > 0)
        tracks.push_back(track);
    return p;
}
