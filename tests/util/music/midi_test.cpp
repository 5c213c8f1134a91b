#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "midi_bytes.h"
#include "music_test_util.h"
#include "platform/messagebox.h"
#include "util/music/midi.h"

namespace {

// `message` with its '@' replaced by the file's path.
std::string withPath(std::string message, const std::string& path)
{
    if (const std::size_t at = message.find('@'); at != std::string::npos)
        message.replace(at, 1, path);
    return message;
}

class MidiReader : public ::testing::Test {
protected:
    void SetUp() override { quietDataLayer(); }
    std::string write(const MidiBytes& bytes, const std::string& name = "song.mid")
    {
        writeBytes(dir / name, bytes);
        return dir / name;
    }
    std::string load(const MidiBytes& bytes)
    {
        return fatalMessage([&] { MidiFile file(write(bytes)); });
    }
    TempDir dir;
};

std::vector<float> events(const Note& n)
{
    return n.events;
}

TEST_F(MidiReader, SmallFormatZeroFileWithRunningStatus)
{
    // A small file: header, one chunk with a name, tempo, time and key signature,
    // two notes with running status (velocity 0 as note-off) and a controller.
    const MidiBytes track = metaName("Keys")
        + MidiBytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}     // 500000 us: 120 BPM
        + MidiBytes{0x00, 0xFF, 0x58, 0x04, 0x03, 0x03, 0x18, 0x08} // 3/8
        + MidiBytes{0x00, 0x90, 0x3C, 0x64}                       // C5 on at 0
        + MidiBytes{0x60, 0x3E, 0x50}                             // D5 on at 1 (running status)
        + MidiBytes{0x60, 0x3C, 0x00}                             // C5 off at 2
        + MidiBytes{0x00, 0xB0, 0x01, 0x40}                       // controller 1 = 64 at 2
        + kEndOfTrack;
    const MidiBytes file = midiHeader(0, 1, 96) + midiChunk(track);
    MidiFile midi(write(file));
    EXPECT_EQ(midi.tempo, 120.0f);
    EXPECT_EQ(midi.time_sig_numerator, 3);
    EXPECT_EQ(midi.time_sig_denominator, 8);
    ASSERT_EQ(midi.tracks.size(), 1u);
    const NoteTrack& t = midi.tracks[0];
    EXPECT_EQ(t.name, "Keys");
    EXPECT_EQ(t.events_read, 3u);
    ASSERT_EQ(t.notes.size(), 2u);
    EXPECT_EQ(t.notes[0].key, 60);
    EXPECT_EQ(t.notes[0].name, "C5");
    EXPECT_EQ(events(t.notes[0]), (std::vector<float>{0.0f, -2.0f}));
    EXPECT_FALSE(std::signbit(t.notes[0].events[0]));
    EXPECT_EQ(t.notes[0].velocities, (std::vector<std::uint8_t>{100, 0}));
    EXPECT_EQ(events(t.notes[1]), (std::vector<float>{1.0f}));
    EXPECT_EQ(t.controllers[1].times, (std::vector<float>{2.0f}));
    EXPECT_EQ(t.controllers[1].values, (std::vector<std::uint8_t>{64}));
}

TEST_F(MidiReader, TracksTempoAndNoteBookkeeping)
{
    const MidiBytes tempoChunk = MidiBytes{0x00, 0xFF, 0x51, 0x03, 0x05, 0xE8, 0x19} // 387097 us
        + MidiBytes{0x00, 0xB0, 0x02, 0x10} + kEndOfTrack;                          // no notes: no track
    const MidiBytes piano = metaName("Piano")
        + MidiBytes{0x00, 0x90, 0x24, 0x40, 0x00, 0x80, 0x24, 0x00}  // on and off at tick 0
        + MidiBytes{0x18, 0x90, 0x24, 0x40}                          // on again at beat 0.5
        + MidiBytes{0x00, 0x90, 0x24, 0x41}                          // second on: not stored
        + MidiBytes{0x18, 0x80, 0x26, 0x00}                          // off of a key never on: stored
        + MidiBytes{0x00, 0x80, 0x24, 0x00, 0x00, 0x80, 0x24, 0x00}  // second off: not stored
        + MidiBytes{0x00, 0xB3, 0x07, 0x50, 0x00, 0xB3, 0x0A, 0x20}  // volume and pan (channel 3)
        + MidiBytes{0x00, 0xA0, 0x24, 0x10, 0x00, 0xD0, 0x10, 0x00, 0xE0, 0x00, 0x40}
        + MidiBytes{0x00, 0xFF, 0x2F, 0x00}                          // end of track early ...
        + MidiBytes{0x30, 0x91, 0x30, 0x20, 0x30, 0x81, 0x30, 0x00}  // ... reading goes on
        + MidiBytes{0x00, 0xFF, 0x59, 0x02, 0xFD, 0x01, 0x00, 0xFF, 0x01, 0x02, 'h', 'i'}
        + MidiBytes{0x00, 0xFF, 0x02, 0x03, 'a', 0x00, 'b'};
    const MidiBytes bass = metaName("Bass") + MidiBytes{0x00, 0x90, 0x28, 0x30, 0x30, 0x80, 0x28, 0x00} + kEndOfTrack;
    MidiFile midi(write(midiHeader(1, 3, 48) + midiChunk(tempoChunk) + midiChunk(piano) + midiChunk(bass)));
    EXPECT_FLOAT_EQ(midi.tempo, 155.0f);
    EXPECT_EQ(midi.key_sig_sharps, -3);
    EXPECT_TRUE(midi.key_sig_minor);
    EXPECT_EQ(midi.text, "hi");
    EXPECT_EQ(midi.copyright, "a");
    ASSERT_EQ(midi.tracks.size(), 2u);
    const NoteTrack& p = midi.tracks[0];
    EXPECT_EQ(p.name, "Piano");
    ASSERT_EQ(p.notes.size(), 3u);
    // On and off at tick 0 are told apart by their sign, so the next on is kept.
    ASSERT_EQ(p.notes[0].events.size(), 4u);
    EXPECT_FALSE(std::signbit(p.notes[0].events[0]));
    EXPECT_TRUE(std::signbit(p.notes[0].events[1]));
    EXPECT_EQ(p.notes[0].events[2], 0.5f);
    EXPECT_EQ(p.notes[0].events[3], -1.0f);
    EXPECT_EQ(events(p.notes[1]), (std::vector<float>{-1.0f}));
    EXPECT_EQ(p.notes[2].key, 0x30);
    EXPECT_EQ(events(p.notes[2]), (std::vector<float>{2.0f, -3.0f}));
    EXPECT_EQ(p.events_read, 9u);
    EXPECT_EQ(p.volume, 80.0f);
    EXPECT_EQ(p.pan, 32.0f);
    EXPECT_TRUE(p.controllers[7].times.empty());
    EXPECT_TRUE(p.controllers[10].times.empty());
    EXPECT_EQ(midi.tracks[1].name, "Bass");
}

TEST_F(MidiReader, TempoRounding)
{
    const struct {
        std::uint32_t us;
        float bpm;
    } cases[] = {{500000, 120.0f}, {461538, 130.0f}, {512000, 117.19f}, {387097, 155.0f},
                 // The ends of the range: 1000 BPM, and the field's largest value.
                 {60000, 1000.0f}, {0xFFFFFF, 3.58f}};
    for (const auto& c : cases) {
        MidiBytes tempo{0x00, 0xFF, 0x51, 0x03};
        appendBE(tempo, c.us, 3);
        MidiFile midi(write(midiHeader(0, 1, 96) + midiChunk(tempo + kEndOfTrack)));
        EXPECT_FLOAT_EQ(midi.tempo, c.bpm) << c.us;
        EXPECT_TRUE(midi.tracks.empty());
    }
    MidiFile none(write(midiHeader(0, 1, 96) + midiChunk(kEndOfTrack)));
    EXPECT_EQ(none.tempo, 120.0f);
}

TEST_F(MidiReader, RefusesBadFilesWithAClearMessage)
{
    const MidiBytes h = midiHeader(0, 1, 96);
    const auto chunk = [](const MidiBytes& e) { return midiChunk(e + kEndOfTrack); };
    // What follows the words of a failure inside the first event.
    const std::string ev = "\n@: the event at byte 22 of track chunk 1 of 1";
    const std::string unsupported = ", which is not supported";
    const struct {
        MidiBytes file;
        std::string message;
    } cases[] = {
        {h + MidiBytes{'M', 'T', 'r', 'x', 0, 0, 0, 0},
         " Could not find track chunk header, unrecognized file format!\n@: track chunk 1 of 1 at byte 14 starts with "
         "\"MTrx\", not \"MTrk\""},
        {midiHeader(0, 2, 96) + chunk({}) + MidiBytes{0x4D, 0x54, 0x01, 0x6B, 0, 0, 0, 0},
         " Could not find track chunk header, unrecognized file format!\n@: track chunk 2 of 2 at byte 26 starts with "
         "0x4D 0x54 0x01 0x6B, not \"MTrk\""},
        {midiHeader(0, 1, 0) + chunk({}), "MIDI time division is 0\n@: its header gives 0 ticks per quarter note"},
        {midiHeader(0, 1, 0xE728) + chunk({}),
         "SMPTE time division is not supported\n@: its header counts time in SMPTE frames (0xE728), not in ticks per "
         "quarter note"},
        {h + chunk({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}), "MIDI file @ has a tempo of 0 microseconds per quarter note"},
        // Tempos a song can have run from 1 to 1000 BPM (60000 microseconds per
        // quarter note); the 24-bit field cannot go below 3.58 BPM.
        {h + chunk({0x00, 0xFF, 0x51, 0x03, 0, 0, 1}), "MIDI file @ has a tempo of 6e+07 BPM, outside 1 to 1000"},
        {h + chunk({0x00, 0xFF, 0x51, 0x03, 0x00, 0xEA, 0x5F}), "MIDI file @ has a tempo of 1000.02 BPM, outside 1 to 1000"},
        // A later sane tempo does not excuse an earlier one.
        {h + chunk({0x00, 0xFF, 0x51, 0x03, 0, 0, 60, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}),
         "MIDI file @ has a tempo of 1e+06 BPM, outside 1 to 1000"},
        {h + chunk({0x00, 0xF0, 0x01, 0xF7}),
         "  Got SysEx event, not supported yet, panicking!" + ev + " is a SysEx event (status 0xF0)"},
        {h + chunk({0x00, 0xC0, 0x05}), "MIDI_PROGRAM" + ev + " is a program change (status 0xC0)" + unsupported},
        {h + chunk({0x00, 0xFF, 0x00, 0x02, 0, 1}), "MIDI_META_SEQNUM" + ev + " is meta event 0x00" + unsupported},
        {h + chunk({0x00, 0xFF, 0x04, 0x01, 'x'}), "MIDI_META_INSTR_NAME" + ev + " is meta event 0x04" + unsupported},
        {h + chunk({0x00, 0xFF, 0x05, 0x01, 'x'}), "MIDI_META_LYRIC" + ev + " is meta event 0x05" + unsupported},
        {h + chunk({0x00, 0xFF, 0x06, 0x01, 'x'}), "MIDI_META_MARKER" + ev + " is meta event 0x06" + unsupported},
        {h + chunk({0x00, 0xFF, 0x07, 0x01, 'x'}), "MIDI_META_CUE_POINT" + ev + " is meta event 0x07" + unsupported},
        {h + chunk({0x00, 0xFF, 0x20, 0x01, 0}), "MIDI_META_CH_PREFIX" + ev + " is meta event 0x20" + unsupported},
        {h + chunk({0x00, 0xFF, 0x54, 0x05, 0, 0, 0, 0, 0}),
         "MIDI_META_SMPTE_OFFS" + ev + " is meta event 0x54" + unsupported},
        {h + chunk({0x00, 0xFF, 0x7F, 0x01, 0}), "MIDI_META_CUSTOM" + ev + " is meta event 0x7F" + unsupported},
        {h + chunk({0x00, 0xFF, 0x10, 0x00}), "  Unknown meta event, panicking!" + ev + " is meta event 0x10"},
        {h + chunk({0x00, 0xFF, 0x01, 0x00}),
         "Retrieving text info failed!" + ev + " gives meta event 0x01 a length of 0"},
        {h + chunk({0x00, 0xFF, 0x02, 0x00}),
         "Retrieving copyright info failed!" + ev + " gives meta event 0x02 a length of 0"},
        {h + chunk({0x00, 0xFF, 0x03, 0x00}),
         "Retrieving track name failed!" + ev + " gives meta event 0x03 a length of 0"},
        {h + chunk({0x00, 0xFF, 0x51, 0x02, 0, 0}), "Expected 0x03" + ev + " gives meta event 0x51 a length of 2"},
        {h + chunk({0x00, 0xFF, 0x58, 0x03, 0, 0, 0}), "Expected 0x04" + ev + " gives meta event 0x58 a length of 3"},
        {h + chunk({0x00, 0xFF, 0x59, 0x01, 0}), "Expected 0x02" + ev + " gives meta event 0x59 a length of 1"},
        {h + midiChunk({0x00, 0xFF, 0x2F, 0x01, 0x00}), "Expected 0x00" + ev + " gives meta event 0x2F a length of 1"},
        {h + chunk({0xFF, 0xFF, 0xFF, 0xFF, 0x00}),
         "Found 4 bytes of delta time without a 0 MSB\n@: a variable-length number in the event at byte 22 of track "
         "chunk 1 of 1 runs on past 4 bytes"},
        {h + chunk({0x00, 0xF3, 0x01}),
         "Unknown event 0 from 1, corrupt MIDI file? Panicking!" + ev + " has status 0xF3, which is no channel, meta "
         "or SysEx event"},
        {h + chunk({0x00, 0xB0, 0x80, 0x01}),
         "MIDI controller number 128 above 127, corrupt MIDI file?\n@: in the event at byte 22 of track chunk 1 of 1"},
        {h + chunk({0x00, 0xB0, 0x01, 0xC8}),
         "MIDI controller value 200 above 127, corrupt MIDI file?\n@: in the event at byte 22 of track chunk 1 of 1"},
        {h + chunk({0x00, 0x90, 0x85, 0x01}),
         "MIDI key 133 out of range, corrupt MIDI file?" + ev + " is a note event for key 133; keys run from 0 to 127"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(load(c.file), withPath(c.message, dir / "song.mid"));
    EXPECT_EQ(fatalMessage([&] { MidiFile missing(dir / "none.mid"); }), "Could not read MIDI file " + (dir / "none.mid"));
}

// Cut and malformed files, through the real fatal-error path: the box (its
// text is the caption, an empty line and the message) and the "ERROR: " line
// carry the whole message, the reader's own words first, then the file and
// what is wrong with it, and the process ends with exit code 1.
using MidiReaderDeathTest = MidiReader;

TEST_F(MidiReaderDeathTest, CutAndMalformedFilesNameTheFileAndTheFault)
{
    const MidiBytes h = midiHeader(0, 1, 96);
    const auto chunk = [](const MidiBytes& e) { return midiChunk(e + kEndOfTrack); };
    const std::string cut = "Unexpected end of MIDI data\n@: ";
    const std::string header = "  Unknown header info, MIDI file format not recognized\n@: ";
    const std::string noStatus = "Unknown event 3 from 60, corrupt MIDI file? Panicking!\n@: the event at byte ";
    const struct {
        const char* name;
        MidiBytes file;
        std::string message;
    } cases[] = {
        {"a track cut inside an event", h + midiChunk({0x00, 0x90}),
         cut + "the file ends inside the event at byte 22 of track chunk 1 of 1"},
        {"a track cut inside a text", h + midiChunk({0x00, 0xFF, 0x03, 0x7F, 'a'}),
         cut + "the file ends inside the event at byte 22 of track chunk 1 of 1"},
        {"a track cut after a delta time", h + midiChunk({0x00, 0x90, 0x3C, 0x40, 0x81}),
         cut + "the file ends inside the event at byte 26 of track chunk 1 of 1"},
        {"a header counting more tracks than the file holds", midiHeader(1, 3, 96) + chunk({}) + chunk({}),
         cut + "its header counts 3 track chunks, but the file ends before the tag and length of track chunk 3 of 3 "
               "at byte 38"},
        {"a chunk cut inside its length", h + MidiBytes{'M', 'T', 'r', 'k', 0, 0},
         cut + "its header counts 1 track chunk, but the file ends before the tag and length of track chunk 1 of 1 "
               "at byte 14"},
        {"a chunk length past the end", h + MidiBytes{'M', 'T', 'r', 'k', 0, 0, 0, 40, 0x00, 0x90},
         cut + "track chunk 1 of 1 at byte 14 claims 40 bytes, more than the file holds after it"},
        {"a header of length 7", {'M', 'T', 'h', 'd', 0, 0, 0, 7, 0, 0, 0, 1, 0, 96},
         header + "its header length is 7, not 6"},
        {"another file format", {'R', 'I', 'F', 'F'}, header + "it does not start with the header tag \"MThd\""},
        {"a cut header", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0}, header + "it ends inside its 14-byte header"},
        {"running status with no status byte before it", h + chunk({0x00, 0x3C, 0x40}),
         noStatus + "22 of track chunk 1 of 1 has no status byte, and no earlier event in the chunk gives a running "
                    "status"},
        {"running status carried into the next chunk", midiHeader(1, 2, 96) + chunk({0x00, 0x90, 0x3C, 0x40}) +
                                                           chunk({0x00, 0x3C, 0x00}),
         noStatus + "38 of track chunk 2 of 2 has no status byte, and no earlier event in the chunk gives a running "
                    "status"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.file);
        const std::string message = withPath(c.message, path);
        testing::internal::CaptureStdout();
        EXPECT_EXIT(
            {
                set_fatal_error_throws(false);
                set_message_box_responder([&](const char* text, const char* caption, UINT) {
                    const std::string from = "Error in file src\\util\\music\\midi.cpp:";
                    if (std::string(caption).rfind(from, 0) != 0 || text != std::string(caption) + "\n\n" + message) {
                        std::fprintf(stderr, "caption: %s\ntext: %s\n", caption, text);
                        std::_Exit(3);
                    }
                    return IDOK;
                });
                std::fflush(stdout);
                MidiFile file(path);
            },
            testing::ExitedWithCode(1), "");
        const std::string out = testing::internal::GetCapturedStdout();
        const std::size_t at = out.rfind("ERROR: ");
        EXPECT_NE(at, std::string::npos) << out;
        if (at != std::string::npos) {
            EXPECT_EQ(out.substr(at + 31), message + "\n");  // after the stamp
        }
    }
}

// The packed data file serves bytes as they were recorded, which need not end
// in the NUL a text request appends: the file's own last byte still counts.
TEST_F(MidiReader, ReadsBytesServedWithoutATrailingNul)
{
    const MidiBytes file = midiHeader(0, 1, 96) + midiChunk(metaName("K") + MidiBytes{0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00} + kEndOfTrack);
    auto* entry = new DataEntry;
    entry->name = "packed/song.mid";
    entry->size = static_cast<std::int32_t>(file.size());
    entry->data = static_cast<std::uint8_t*>(std::malloc(file.size()));
    std::memcpy(entry->data, file.data(), file.size());
    data_entries.push_back(entry);
    set_datafile_mode(DataFileMode::Read);
    const std::string error = fatalMessage([] {
        MidiFile midi("packed/song.mid");
        ASSERT_EQ(midi.tracks.size(), 1u);
        EXPECT_EQ(midi.tracks[0].notes[0].events, (std::vector<float>{0.0f, -1.0f}));
    });
    set_datafile_mode(DataFileMode::Off);
    data_entries.pop_back();
    std::free(entry->data);
    delete entry;
    EXPECT_EQ(error, "<no fatal error>");
}

TEST_F(MidiReader, NumberReaders)
{
    MidiFile midi(write(midiHeader(0, 1, 96) + midiChunk(kEndOfTrack)));
    const unsigned char bytes[] = {0x81, 0x80, 0x00, 0x12, 0x34, 0x56, 0x78};
    const std::uint8_t* p = bytes;
    EXPECT_EQ(fatalMessage([&] { midi.readBigEndian(&p, 5); }), "bytes must be in range 1..4!");
    EXPECT_EQ(fatalMessage([&] { midi.readVarLen(nullptr); }), "NULL-buffer specified");
    const std::uint8_t* none = nullptr;
    EXPECT_EQ(fatalMessage([&] { midi.readBigEndian(&none, 2); }), "NULL-buffer specified");
}

} // namespace
