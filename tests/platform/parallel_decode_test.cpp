// Start-up work done in pieces on several threads gives the same samples as
// done in one go: the OGG decode of a long song, and the conversion of a
// whole song to float.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_decode.h"
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

TEST(ParallelDecode, OggInPiecesGivesTheSamplesOfOneGo)
{
    for (const Song& song : kSongs) {
        SCOPED_TRACE(song.name);
        const std::vector<unsigned char> bytes = song.bytes();
        ASSERT_GT(bytes.size(), 1000u);
        DecodedAudio whole, pieces;
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &whole, false));
        ASSERT_TRUE(audio_decode(bytes.data(), bytes.size(), &pieces, true));
        EXPECT_EQ(pieces.channels, whole.channels);
        EXPECT_EQ(pieces.rate, whole.rate);
        ASSERT_EQ(pieces.samples.size(), whole.samples.size());
        std::size_t first = 0;
        while (first < whole.samples.size() && pieces.samples[first] == whole.samples[first])
            ++first;
        EXPECT_EQ(first, whole.samples.size()) << "first differing sample value";
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
