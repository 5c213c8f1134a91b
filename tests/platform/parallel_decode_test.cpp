// Start-up work done in pieces on several threads gives the same samples as
// done in one go: the OGG and MP3 decodes of a long song, and the conversion
// of a whole song to float.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_decode.h"
#include "platform/audio_decode_mp3.h"
#include "support/audio_fixtures.h"

namespace {

std::vector<unsigned char> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Song {
    const char* name;
    std::vector<unsigned char> (*bytes)();
};

// A tone long enough for two pieces or more, and the longest song we ship.
const Song kSongs[] = {
    {"tone of 20 s", [] { return encoded_tone("ogg", 440.0, 20.0, 0.5); }},
    {"Glass Harbour Signal",
     [] { return read_file(std::string(VELMO_SOURCE_DIR) + "/data/music/glass_harbour_signal.ogg"); }},
};

// The decode in pieces has the one-go decode's format and samples; the first
// differing sample is reported.
void expect_same_samples(const DecodedAudio& pieces, const DecodedAudio& whole)
{
    EXPECT_EQ(pieces.channels, whole.channels);
    EXPECT_EQ(pieces.rate, whole.rate);
    ASSERT_EQ(pieces.samples.size(), whole.samples.size());
    std::size_t first = 0;
    while (first < whole.samples.size() && pieces.samples[first] == whole.samples[first])
        ++first;
    EXPECT_EQ(first, whole.samples.size()) << "first differing sample value";
}

TEST(ParallelDecode, OggInPiecesGivesTheSamplesOfOneGo)
{
    for (const Song& song : kSongs) {
        SCOPED_TRACE(song.name);
        const std::vector<unsigned char> bytes = song.bytes();
        ASSERT_GT(bytes.size(), 1000u);
        DecodedAudio whole, pieces;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &whole, false));
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &pieces, true));
        expect_same_samples(pieces, whole);
    }
}

// The pieces are planned over the length the stream claims and decoded
// straight into a buffer of that size; the last piece runs on to the real
// end. A song claiming somewhat less, or somewhat more, than it holds still
// decodes to the samples of one go.
TEST(ParallelDecode, ASongLongerOrShorterThanItClaimsGivesTheSamplesOfOneGo)
{
    const std::vector<unsigned char> bytes = encoded_tone("ogg", 440.0, 20.0, 0.5);
    DecodedAudio real;
    ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &real, false));
    const std::uint64_t frames = real.samples.size() / 2;
    for (const std::uint64_t claim : {frames - 44100, frames - 4000, frames + 4000, frames + 44100}) {
        SCOPED_TRACE(claim);
        const std::vector<unsigned char> crafted = withLastGranule(bytes, claim);
        DecodedAudio whole, pieces;
        ASSERT_TRUE(audio_decode(crafted.data(), crafted.size(), &whole, false));
        ASSERT_TRUE(audio_decode(crafted.data(), crafted.size(), &pieces, true));
        ASSERT_EQ(pieces.samples.size(), whole.samples.size());
        EXPECT_TRUE(std::equal(whole.samples.begin(), whole.samples.end(), pieces.samples.begin()));
    }
}

// A busy stereo song of `seconds` at 44.1 kHz: a chord a beat with a
// decaying envelope, noise hits, a sweep, and a silent bar in every four
// (the encoder's bit reservoir fills and drains; piece boundaries fall
// into loud and silent stretches alike).
std::vector<short> busy_song(double seconds, int channels = 2)
{
    const int rate = 44100;
    const std::size_t frames = static_cast<std::size_t>(seconds * rate);
    std::vector<short> samples(frames * static_cast<std::size_t>(channels));
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int beat = static_cast<int>(t * 2.0);
        const double inBeat = t * 2.0 - beat;
        double v = 0.0;
        if (beat / 4 % 4 != 3) {
            const double root = 110.0 * std::pow(2.0, (beat % 7) / 12.0);
            v = 0.25 * std::exp(-3.0 * inBeat) *
                (std::sin(2 * M_PI * root * t) + std::sin(2 * M_PI * root * 1.26 * t) + std::sin(2 * M_PI * root * 1.5 * t));
            noise = noise * 1664525u + 1013904223u;
            if (beat % 2 == 1)
                v += 0.4 * std::exp(-12.0 * inBeat) * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
            v += 0.1 * std::sin(2 * M_PI * (200.0 + 3000.0 * inBeat) * t);
        }
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<short>(std::lround(std::clamp(v * (c == 0 ? 1.0 : 0.8), -1.0, 1.0) * 32767.0));
    }
    return samples;
}

// The song encoded by lame with `options` ("-q 2 -b 160" is how tools/compose
// encodes a song without note data).
std::vector<unsigned char> lame(const std::vector<short>& samples, int channels, const std::string& options)
{
    const std::string base = std::string(VELMO_BINARY_DIR) + "/parallel_decode_" + std::to_string(getpid());
    write_wav(base + ".wav", samples, channels, 44100);
    const std::string command = "lame --quiet " + options + " '" + base + ".wav' '" + base + ".mp3'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<unsigned char> bytes = read_file(base + ".mp3");
    std::remove((base + ".wav").c_str());
    std::remove((base + ".mp3").c_str());
    return bytes;
}

struct Mp3Song {
    const char* name;
    std::vector<unsigned char> (*bytes)();
    bool inPieces; // long enough, and laid out so that it can be decoded in pieces
};

const Mp3Song kMp3Songs[] = {
    {"Lantern, production 1's song",
     [] { return read_file(std::string(VELMO_SOURCE_DIR) + "/data/music/Tressal_-_Lantern.mp3"); }, true},
    {"30 s encoded as tools/compose does", [] { return lame(busy_song(30.0), 2, "-q 2 -b 160"); }, true},
    {"30 s at a variable bit rate", [] { return lame(busy_song(30.0), 2, "-V 2"); }, true},
    {"30 s at 64 kbit/s, small frames", [] { return lame(busy_song(30.0), 2, "-b 64 --resample 44.1"); }, true},
    // Decoded whole: the decoder's mono and MPEG-2 synthesis round by the
    // frame it started on.
    {"30 s mono", [] { return lame(busy_song(30.0, 1), 1, "-q 2 -b 160"); }, false},
    {"30 s at 22.05 kHz (MPEG-2)", [] { return lame(busy_song(30.0), 2, "-b 64 --resample 22.05"); }, false},
    {"a very short song (0.05 s)", [] { return lame(busy_song(0.05), 2, "-q 2 -b 160"); }, false},
    {"a song shorter than one piece (6 s)", [] { return lame(busy_song(6.0), 2, "-q 2 -b 160"); }, false},
    {"30 s without the encoder's tag", [] { return lame(busy_song(30.0), 2, "-q 2 -b 160 -t"); }, false},
    {"30 s cut short in its last frame",
     [] {
         std::vector<unsigned char> bytes = lame(busy_song(30.0), 2, "-q 2 -b 160");
         bytes.resize(bytes.size() - 100);
         return bytes;
     },
     false},
};

// MP3 frames lean on the ones before them (the bit reservoir, the
// overlapping transforms): each piece starts decoding some frames early and
// drops them, and the samples are the same as decoded in one go.
TEST(ParallelDecode, Mp3InPiecesGivesTheSamplesOfOneGo)
{
    const bool severalThreads = std::thread::hardware_concurrency() > 1;
    for (const Mp3Song& song : kMp3Songs) {
        SCOPED_TRACE(song.name);
        const std::vector<unsigned char> bytes = song.bytes();
        ASSERT_GT(bytes.size(), 100u);
        DecodedAudio whole, pieces;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &whole, false)) << whole.failure;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &pieces, true)) << pieces.failure;
        EXPECT_EQ(whole.pieces, 1u);
        EXPECT_EQ(pieces.pieces > 1, song.inPieces && severalThreads) << pieces.pieces << " pieces";
        EXPECT_FALSE(pieces.isOgg);
        expect_same_samples(pieces, whole);
    }
}

// Whatever frame a piece starts on, its samples are the one-go decode's: the
// boundaries of 2 to 12 pieces fall on frames of every position.
TEST(ParallelDecode, Mp3PiecesStartingOnAnyFrameGiveTheSamplesOfOneGo)
{
    for (const char* options : {"-q 2 -b 160", "-b 64 --resample 44.1"}) {
        SCOPED_TRACE(options);
        const std::vector<unsigned char> bytes = lame(busy_song(30.0), 2, options);
        DecodedAudio whole;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &whole, false)) << whole.failure;
        for (std::size_t count = 2; count <= 12; ++count) {
            SCOPED_TRACE(count);
            DecodedAudio pieces;
            ASSERT_TRUE(decode_mp3_in_pieces(bytes.data(), bytes.size(), &pieces, count));
            EXPECT_EQ(pieces.pieces, count);
            ASSERT_EQ(pieces.samples.size(), whole.samples.size());
            EXPECT_TRUE(std::equal(whole.samples.begin(), whole.samples.end(), pieces.samples.begin()));
        }
    }
}

// Where each frame of a file lame made starts (its tag's frame first): stereo
// MPEG-1 layer III frames at 44.1 kHz, without CRC.
std::vector<std::size_t> frame_offsets(const std::vector<unsigned char>& bytes)
{
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] == 0xFB && (bytes[at + 2] & 0x0C) == 0) {
        const int kbps = kKbps[bytes[at + 2] >> 4];
        if (kbps == 0)
            break;
        offsets.push_back(at);
        at += static_cast<std::size_t>(144000 * kbps / 44100 + ((bytes[at + 2] >> 1) & 1));
    }
    return offsets;
}

// The ways a file is damaged, each at one audio frame (0: the first after the tag).
enum class Damage {
    RandomBody,    // side information and main data replaced by random bytes (the header kept)
    ZeroSideInfo,  // side information all zeros
    CrcFlag,       // the header says a CRC follows, which it does not
    BitRate,       // the header's bit rate changed: the frames no longer follow each other
    Duplicate,     // the frame repeated, and counted in the encoder's tag
    TagFrameCount, // the encoder's tag claims one frame more than the file holds
    MainDataBegin, // main_data_begin at 511: its main data reaches back past what the frames before left
    LayerTwo,      // the header says layer II at 128 kbit/s (bit-rate index 8: the same size), the body kept
    QuietRefused,  // the frame and the two before it silent (global gains at 0), the frame's second granule refused
};

// Adds `more` to the frame count of lame's tag (after its frame's side
// information: "Info" or "Xing", the flags, then the count).
void add_to_tag_frame_count(std::vector<unsigned char>* bytes, std::size_t tagFrame, std::uint32_t more)
{
    const std::size_t at = tagFrame + 4 + 32 + 8;
    std::uint32_t frames = 0;
    for (std::size_t i = 0; i < 4; ++i)
        frames = frames << 8 | (*bytes)[at + i];
    frames += more;
    for (std::size_t i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<unsigned char>(frames >> (24 - 8 * i));
}

// Sets `count` bits `bit` bits after `at` to `value`, most significant first.
void set_bits(std::vector<unsigned char>* bytes, std::size_t at, std::size_t bit, std::size_t count, unsigned value)
{
    for (std::size_t i = 0; i < count; ++i, ++bit) {
        const unsigned char mask = static_cast<unsigned char>(0x80u >> (bit % 8));
        unsigned char& byte = (*bytes)[at + bit / 8];
        byte = static_cast<unsigned char>((value >> (count - 1 - i)) & 1u ? byte | mask : byte & ~mask);
    }
}

std::vector<unsigned char> damaged(std::vector<unsigned char> bytes, Damage damage, std::size_t frame, unsigned seed)
{
    const std::vector<std::size_t> offsets = frame_offsets(bytes);
    EXPECT_GT(offsets.size(), frame + 2) << "frames found";
    if (offsets.size() <= frame + 2)
        return bytes;
    const std::size_t at = offsets[frame + 1], end = offsets[frame + 2];
    std::mt19937 random(seed);
    switch (damage) {
    case Damage::RandomBody:
        for (std::size_t i = at + 4; i < end; ++i)
            bytes[i] = static_cast<unsigned char>(random());
        break;
    case Damage::ZeroSideInfo: std::fill(bytes.begin() + at + 4, bytes.begin() + at + 4 + 32, 0); break;
    case Damage::CrcFlag: bytes[at + 1] &= 0xFE; break;
    case Damage::BitRate: bytes[at + 2] ^= 0x10; break;
    case Damage::Duplicate: {
        const std::vector<unsigned char> copy(bytes.begin() + at, bytes.begin() + end);
        bytes.insert(bytes.begin() + end, copy.begin(), copy.end());
        add_to_tag_frame_count(&bytes, offsets[0], 1);
        break;
    }
    case Damage::TagFrameCount: add_to_tag_frame_count(&bytes, offsets[0], 1); break;
    case Damage::MainDataBegin:
        bytes[at + 4] = 0xFF;
        bytes[at + 5] |= 0x80;
        break;
    case Damage::QuietRefused:
        // Each granule and channel's 59 bits of side information start 20
        // bits in, with big_values 12 bits and the global gain 21 bits in.
        for (const std::size_t frameAt : {offsets[frame - 1], offsets[frame], at})
            for (std::size_t info = 0; info < 4; ++info)
                set_bits(&bytes, frameAt + 4, 20 + info * 59 + 21, 8, 0);
        set_bits(&bytes, at + 4, 20 + 2 * 59 + 12, 9, 511); // big_values: past the 288 values a granule has
        break;
    case Damage::LayerTwo:
        EXPECT_EQ(bytes[at + 2] >> 4, 9) << "a frame of 128 kbit/s";
        bytes[at + 1] = static_cast<unsigned char>((bytes[at + 1] & ~0x06) | 0x04);
        bytes[at + 2] = static_cast<unsigned char>((bytes[at + 2] & 0x0F) | 0x80);
        break;
    }
    return bytes;
}

struct DamageCase {
    const char* name;
    const char* song; // lame's options for the busy song of 30 s
    Damage damage;
    std::size_t frame;
    unsigned seed;
};

// The first four rows of random bytes, the bad CRC flags and the repeated
// frame gave some samples one off from one go in pieces (the decoder
// rejects part of a frame, and its synthesis then takes its sums in another
// order to the song's end); the other rows of the variable bit rate were
// already decoded whole or the same. A main_data_begin reaching back past
// what the frame before left makes the decoder copy bytes an older frame
// left in its buffer, which a piece's fresh decoder holds otherwise: the
// frames here lie at the start of a piece of 6 and 12, 7, 8, 9 and 11
// pieces, where thousands of values differed. The layer II headers were
// decoded as layer II frames, cut short, and left values one off in every
// piece count. The quiet frames are probed side by side, the refused one
// right after one whose probe makes it loud: the probe of the refused one
// must not take that for its own (at 385 and 462 the probes start where a
// piece starts, elsewhere a few frames before).
const DamageCase kDamages[] = {
    {"random bytes early", "-V 0", Damage::RandomBody, 37, 1},
    {"random bytes before the middle", "-V 0", Damage::RandomBody, 326, 18},
    {"random bytes after the middle", "-V 0", Damage::RandomBody, 615, 35},
    {"random bytes late", "-V 0", Damage::RandomBody, 955, 55},
    {"random bytes", "-V 0", Damage::RandomBody, 20, 0},
    {"random bytes", "-V 0", Damage::RandomBody, 530, 7},
    {"a CRC flag without a CRC", "-V 0", Damage::CrcFlag, 440, 0},
    {"a CRC flag without a CRC", "-V 0", Damage::CrcFlag, 986, 0},
    {"zeroed side information", "-V 0", Damage::ZeroSideInfo, 300, 0},
    {"a frame header's bit rate", "-V 0", Damage::BitRate, 500, 0},
    {"a frame repeated", "-V 0", Damage::Duplicate, 700, 0},
    {"a tag counting one frame too many", "-V 0", Damage::TagFrameCount, 0, 0},
    {"main_data_begin at 511", "-b 64 --resample 44.1", Damage::MainDataBegin, 958, 0},
    {"main_data_begin at 511", "-b 64 --resample 44.1", Damage::MainDataBegin, 165, 0},
    {"main_data_begin at 511", "-b 64 --resample 44.1", Damage::MainDataBegin, 431, 0},
    {"main_data_begin at 511", "-b 64 --resample 44.1", Damage::MainDataBegin, 640, 0},
    {"main_data_begin at 511", "-b 64 --resample 44.1", Damage::MainDataBegin, 627, 0},
    {"a quiet frame refused after quiet ones", "-b 128", Damage::QuietRefused, 100, 0},
    {"a quiet frame refused after quiet ones", "-b 128", Damage::QuietRefused, 500, 0},
    {"a quiet frame refused after quiet ones", "-b 128", Damage::QuietRefused, 385, 0},
    {"a quiet frame refused after quiet ones", "-b 128", Damage::QuietRefused, 462, 0},
    {"a quiet frame refused after quiet ones", "-V 0", Damage::QuietRefused, 700, 0},
    {"a layer II header", "-b 128", Damage::LayerTwo, 100, 0},
    {"a layer II header", "-b 128", Damage::LayerTwo, 459, 0},
    {"a layer II header", "-b 128", Damage::LayerTwo, 961, 0},
};

// Whatever a file holds, the decode in pieces gives the samples of one go,
// or decodes the song whole: here a valid file with one frame damaged in
// several ways, in 2 to 12 pieces.
TEST(ParallelDecode, DamagedMp3InPiecesGivesTheSamplesOfOneGo)
{
    std::map<std::string, std::vector<unsigned char>> songs;
    for (const DamageCase& damage : kDamages) {
        SCOPED_TRACE(std::string(damage.name) + " at frame " + std::to_string(damage.frame) + " of " + damage.song);
        std::vector<unsigned char>& song = songs[damage.song];
        if (song.empty()) {
            song = lame(busy_song(30.0), 2, damage.song);
            DecodedAudio undamaged;
            ASSERT_TRUE(decode_mp3_in_pieces(song.data(), song.size(), &undamaged, 4)) << "the undamaged song in pieces";
        }
        const std::vector<unsigned char> bytes = damaged(song, damage.damage, damage.frame, damage.seed);
        DecodedAudio whole, pieces;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &whole, false)) << whole.failure;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &pieces, true)) << pieces.failure;
        expect_same_samples(pieces, whole);
        for (std::size_t count = 2; count <= 12; ++count) {
            SCOPED_TRACE(std::to_string(count) + " pieces");
            DecodedAudio counted;
            if (decode_mp3_in_pieces(bytes.data(), bytes.size(), &counted, count))
                expect_same_samples(counted, whole);
        }
    }
}

TEST(ParallelDecode, AWholeSongConvertsToFloatLikeEachSampleAlone)
{
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const std::vector<unsigned char> bytes = encoded_tone("ogg", 440.0, 20.0, 0.5);
    const HSTREAM stream = BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    std::vector<std::int16_t> values(length / 2);
    std::vector<float> floats(values.size());
    ASSERT_EQ(BASS_ChannelGetData(stream, values.data(), static_cast<DWORD>(length)), length);
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 0, BASS_POS_BYTE));
    ASSERT_EQ(BASS_ChannelGetData(stream, floats.data(), static_cast<DWORD>(floats.size() * 4) | BASS_DATA_FLOAT),
              floats.size() * 4);
    std::size_t same = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        same += floats[i] == values[i] / 32768.0f;
    EXPECT_EQ(same, values.size());
    BASS_StreamFree(stream);
    BASS_Free();
}

}  // namespace
