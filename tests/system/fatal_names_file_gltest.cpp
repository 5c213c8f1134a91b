// A fatal error caused by a bad input file names the file, so that whoever
// sees the box knows which file to fix: the message keeps its own words first
// and whole, then the file and what is wrong with it. Songs, cube-map faces
// and note files, each in one table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/audio_fixtures.h"
#include "support/gl_context.h"
#include "util/music/midi.h"
#include "util/music/midi_bytes.h"
#include "util/music/music.h"
#include "util/music/music_fixture.h"
#include "util/texture/image_fixtures.h"
#include "util/texture/texturecube.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// `count` bytes of a fixed pseudo-random sequence.
Bytes noise(std::size_t count)
{
    Bytes bytes(count);
    std::uint32_t state = 2463534242u;
    for (unsigned char& b : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        b = static_cast<unsigned char>(state);
    }
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An ID3v2 tag header claiming `size` bytes after it (synchsafe digits).
Bytes id3Header(std::uint32_t size)
{
    return Bytes{'I', 'D', '3', 3, 0, 0, static_cast<unsigned char>(size >> 21 & 0x7f),
                 static_cast<unsigned char>(size >> 14 & 0x7f), static_cast<unsigned char>(size >> 7 & 0x7f),
                 static_cast<unsigned char>(size & 0x7f)};
}

// A stereo tone at `rate` encoded by lame without its tag frame, so the
// stream is nothing but audio frames.
Bytes untaggedMp3(int rate, double seconds)
{
    const std::size_t frames = static_cast<std::size_t>(rate * seconds);
    std::vector<short> samples(frames * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>((i / 2 * 440 * 2 / static_cast<std::size_t>(rate)) % 2 ? 8000 : -8000);
    const std::string name = "tone" + std::to_string(rate);
    write_wav(name + ".wav", samples, 2, rate);
    EXPECT_EQ(std::system(("lame --quiet -t -b 128 " + name + ".wav " + name + ".mp3").c_str()), 0);
    std::ifstream in(name + ".mp3", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The first MPEG audio frame of an untagged stream (its length from its
// header: MPEG-1 layer III).
Bytes firstFrame(const Bytes& stream)
{
    static const int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int rates[4] = {44100, 48000, 32000, 0};
    const std::size_t length =
        144u * 1000u * kbps[stream[2] >> 4] / rates[stream[2] >> 2 & 3] + (stream[2] >> 1 & 1);
    return Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(length));
}

class FatalNamesFile : public MusicFixture {
protected:
    // The message of the fatal error that loading `path` as the song raises.
    std::string songError(const std::string& path)
    {
        VelmoSystem::musicFile = path;
        return constructionError();
    }
};

TEST_F(FatalNamesFile, BadSongs)
{
    std::system("mkdir -p songs");
    write_wav("mono.wav", std::vector<short>(22050, 1000), 1, 44100);
    ASSERT_EQ(std::system("oggenc -Q -o songs/mono.ogg mono.wav"), 0);
    const Bytes tone = untaggedMp3(44100, 1.0);
    const struct {
        std::string name;
        Bytes bytes;
        std::string message;
    } cases[] = {
        // The data layer refuses an empty file before the decoder sees it.
        {"empty.mp3", {}, "Tried to read 0 bytes from songs/empty.mp3, got 0"},
        {"garbage.mp3", text("This is no song at all, only words.\n"),
         "FAiled to create stream chan!\nsongs/garbage.mp3: it is neither an OGG stream (no \"OggS\" page) nor an MP3 "
         "stream (no ID3 tag or frame sync at its start)"},
        {"huge_id3.mp3", id3Header(0x0FFFFFFF) + noise(4000),
         "FAiled to create stream chan!\nsongs/huge_id3.mp3: no MP3 audio frame found (its ID3 tag claims 268435465 "
         "bytes, the file holds 4010)"},
        {"only_id3.mp3", id3Header(500) + Bytes(500, 0),
         "FAiled to create stream chan!\nsongs/only_id3.mp3: no MP3 audio frame found after its ID3 tag"},
        {"one_frame.mp3", firstFrame(tone),
         "FAiled to create stream chan!\nsongs/one_frame.mp3: no MP3 audio frame found"},
        {"noise.mp3", Bytes{0xFF, 0xFB, 0x90, 0x44} + noise(6000),
         "FAiled to create stream chan!\nsongs/noise.mp3: no MP3 audio frame found"},
        {"two_rates.mp3", tone + untaggedMp3(22050, 1.0),
         "FAiled to create stream chan!\nsongs/two_rates.mp3: its format changes from 44100 Hz 2 channels to 22050 Hz "
         "2 channels after 45056 sample frames"},
        {"fake.ogg", text("OggS") + noise(3000),
         "FAiled to create stream chan!\nsongs/fake.ogg: its OGG stream holds no Vorbis audio"},
        {"mono.ogg", {},
         "Failed assert info.chans == 2\n info.chans is 1\n 2 is 2\nsongs/mono.ogg: the song has 1 channel; only "
         "stereo songs are played"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.name != "mono.ogg")
            writeBytes("songs/" + c.name, c.bytes);
        EXPECT_EQ(songError("songs/" + c.name), c.message);
    }
}

TEST_F(FatalNamesFile, CubeMapFacesOfAnotherSize)
{
    ASSERT_TRUE(gltest::ensure_context());
    std::system("mkdir -p sky");
    const auto face = [](const std::string& name, int width, int height) {
        imgtest::Image image{width, height, imgtest::Bytes(static_cast<std::size_t>(width * height * 4), 200)};
        imgtest::write_file("sky/" + name, imgtest::make_png(image, imgtest::PngOptions()));
        return "sky/" + name;
    };
    const std::string square = face("square.png", 2, 2);
    const struct {
        std::string odd;
        int width, height;
        std::string message;
    } cases[] = {
        {"wide.png", 3, 2,
         "Failed assert width == tex_array[i].get_width()\nsky/wide.png is 3x2, sky/square.png is 2x2: every face of "
         "a cube map must have the first face's size"},
        {"tall.png", 2, 3,
         "Failed assert height == tex_array[i].get_height()\nsky/tall.png is 2x3, sky/square.png is 2x2: every face "
         "of a cube map must have the first face's size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.odd);
        const std::string odd = face(c.odd, c.width, c.height);
        TextureCube cube;
        EXPECT_EQ(fatalMessage([&] {
                      cube.load(square.c_str(), square.c_str(), square.c_str(), odd.c_str(), square.c_str(),
                                square.c_str());
                  }),
                  c.message);
    }
}

TEST_F(FatalNamesFile, BadNoteFiles)
{
    std::system("mkdir -p music");
    writeBytes("music/song.ogg", encoded_tone("ogg", 440.0, 0.5, 0.3));
    const auto notes = [](const std::string& name, std::uint8_t key) {
        return midiChunk(metaName(name) + MidiBytes{0x00, 0x90, key, 0x40, 0x60, 0x80, key, 0x00} + kEndOfTrack);
    };
    writeBytes("music/notes.mid", midiHeader(1, 2, 96) + notes("Lead", 60) + notes("Pad", 48));
    writeBytes("music/division0.mid", midiHeader(0, 1, 0) + midiChunk(kEndOfTrack));
    writeBytes("music/smpte.mid", midiHeader(0, 1, 0xE728) + midiChunk(kEndOfTrack));
    const auto describe = [](const std::string& attributes, const std::string& bindings) {
        writeText("music/desc.xml", "<modulators " + attributes + ">" + bindings + "</modulators>");
        VelmoSystem::musicFile = "music/desc.xml";
    };
    const std::string files = "stream_filename=\"song.ogg\" notedata_filename=\"notes.mid\"";
    const struct {
        std::string name;
        std::function<void()> load;
        std::string message;
    } cases[] = {
        {"a MIDI file of time division 0", [] { MidiFile file("music/division0.mid"); },
         "MIDI time division is 0\nmusic/division0.mid: its header gives 0 ticks per quarter note"},
        {"a MIDI file of SMPTE time", [] { MidiFile file("music/smpte.mid"); },
         "SMPTE time division is not supported\nmusic/smpte.mid: its header counts time in SMPTE frames (0xE728), "
         "not in ticks per quarter note"},
        {"a description without a note file",
         [&] {
             describe("stream_filename=\"song.ogg\"", "");
             Music music;
         },
         "Can't find valid note data file!\nmusic/desc.xml: its <modulators> element has neither a notedata_filename "
         "nor a mididata_filename attribute"},
        {"a binding to a track the MIDI file lacks",
         [&] {
             describe(files, "<b association=\"Ruff Kit\"/>");
             Music music;
         },
         "Could not find track Ruff Kit\nmusic/notes.mid: no note track of that name; its tracks are \"Lead\", "
         "\"Pad\""},
        {"a scene asking for a track the MIDI file lacks",
         [&] {
             describe(files, "");
             Music music;
             music.getNoteStatesByName("Ruff Kit");
         },
         "Could not find track Ruff Kit\nmusic/notes.mid: no note track of that name; its tracks are \"Lead\", "
         "\"Pad\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fatalMessage(c.load), c.message);
        BASS_Free();
    }
}

} // namespace
