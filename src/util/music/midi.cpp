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
    // The whole buffer counts: a NUL the data layer appended lies after the
    // last chunk and is never read as one, and the packed data file may hand
    // the bytes back without it.
    end_ = p + (size > 0 ? size : 0);

    static const std::uint8_t header[8] = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    if (end_ - p < 14 || std::memcmp(p, header, 8) != 0)
        FATAL_ERROR("  Unknown header info, MIDI file format not recognized\n");
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
    for (std::uint32_t i = 0; i < trackCount; ++i)
        p = parseTrack(p, division);
}

void MidiFile::need(const std::uint8_t* position, std::uint32_t count) const
{
    if (position > end_ || static_cast<std::uint64_t>(end_ - position) < count)
        FATAL_ERROR("Unexpected end of MIDI data");
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
    FATAL_ERROR("Found 4 bytes of delta time without a 0 MSB");
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
    need(p, 8);
    if (std::memcmp(p, "MTrk", 4) != 0)
        FATAL_ERROR(" Could not find track chunk header, unrecognized file format!\n");
    p += 4;
    const std::uint32_t length = readBigEndian(&p, 4);
    need(p, length);
    const std::uint8_t* chunkEnd = p + length;

    std::uint8_t runningStatus = 0;
    std::uint32_t ticks = 0;
    NoteTrack track;

    while (p < chunkEnd) {
        ticks += readVarLen(&p);
        const float beat = static_cast<float>(ticks) / static_cast<float>(division);
        need(p, 1);
        if (*p & 0x80)
            runningStatus = *p++;
        const std::uint8_t status = runningStatus;

        if (status == 0xF0 || status == 0xF7)
            FATAL_ERROR("  Got SysEx event, not supported yet, panicking!");

        if (status == 0xFF) {
            need(p, 1);
            switch (*p) {
            case 0x00: FATAL_ERROR("MIDI_META_SEQNUM");
            case 0x01:
                if (!readString(text, &p))
                    FATAL_ERROR("Retrieving text info failed!");
                break;
            case 0x02:
                if (!readString(copyright, &p))
                    FATAL_ERROR("Retrieving copyright info failed!");
                break;
            case 0x03:
                if (!readString(track.name, &p))
                    FATAL_ERROR("Retrieving track name failed!");
                break;
            case 0x04: FATAL_ERROR("MIDI_META_INSTR_NAME");
            case 0x05: FATAL_ERROR("MIDI_META_LYRIC");
            case 0x06: FATAL_ERROR("MIDI_META_MARKER");
            case 0x07: FATAL_ERROR("MIDI_META_CUE_POINT");
            case 0x20: FATAL_ERROR("MIDI_META_CH_PREFIX");
            case 0x2F:
                ++p;
                if (readVarLen(&p) != 0)
                    FATAL_ERROR("Expected 0x00");
                break;
            case 0x51: {
                ++p;
                if (readVarLen(&p) != 3)
                    FATAL_ERROR("Expected 0x03");
                const std::uint32_t microseconds = readBigEndian(&p, 3);
                if (microseconds == 0)
                    FATAL_ERROR("MIDI file " + path_ + " has a tempo of 0 microseconds per quarter note");
                const float x = 60000000.0f / static_cast<float>(microseconds);
                tempo = std::floor(x * 100.0f + 0.5f) / 100.0f;
                require_song_tempo(tempo, "MIDI file " + path_);
                break;
            }
            case 0x54: FATAL_ERROR("MIDI_META_SMPTE_OFFS");
            case 0x58:
                ++p;
                if (readVarLen(&p) != 4)
                    FATAL_ERROR("Expected 0x04");
                need(p, 4);
                time_sig_numerator = p[0];
                time_sig_denominator = static_cast<std::uint8_t>(p[1] < 8 ? 1u << p[1] : 0u);
                time_sig_clocks = p[2];
                time_sig_32nds = p[3];
                p += 4;
                break;
            case 0x59:
                ++p;
                if (readVarLen(&p) != 2)
                    FATAL_ERROR("Expected 0x02");
                need(p, 2);
                key_sig_sharps = static_cast<std::int8_t>(p[0]);
                key_sig_minor = p[1] == 1;
                p += 2;
                break;
            case 0x7F: FATAL_ERROR("MIDI_META_CUSTOM");
            default: FATAL_ERROR("  Unknown meta event, panicking!");
            }
            continue;
        }

        const int kind = status >> 4;
        if (kind < 0x8 || kind > 0xE) {
            need(p, 1);
            const int b = *p;
            FATAL_ERROR("Unknown event " + std::to_string(b >> 4) + " from " + std::to_string(b)
                        + ", corrupt MIDI file? Panicking!");
        }
        switch (kind) {
        case 0x8:
        case 0x9: {
            need(p, 2);
            const std::uint8_t key = p[0];
            const std::uint8_t velocity = kind == 0x8 ? 0 : p[1];
            p += 2;
            if (key > 127)
                FATAL_ERROR("MIDI key " + std::to_string(key) + " out of range, corrupt MIDI file?");
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
                FATAL_ERROR("MIDI controller number " + std::to_string(controller) + " above 127, corrupt MIDI file?");
            if (value > 127)
                FATAL_ERROR("MIDI controller value " + std::to_string(value) + " above 127, corrupt MIDI file?");
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
            FATAL_ERROR("MIDI_PROGRAM");
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
