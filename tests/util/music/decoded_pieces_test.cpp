#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "support/audio_fixtures.h"
#include "util/music/decoded_pieces.h"

namespace {

// A song of 2^28 samples or more is read as many requests whose length never
// reaches the flag bits; the flags asked for are the only ones set.
TEST(DecodedPieces, RequestsOfLongSongsStayBelowTheFlagBits)
{
    constexpr std::uint64_t k28 = std::uint64_t(1) << 28;
    const struct {
        std::uint64_t left;
        DWORD flags;
        std::uint64_t piece;
        DWORD expected;
    } cases[] = {
        {k28 * 4, BASS_DATA_FLOAT, kDecodedPieceBytes, BASS_DATA_FLOAT | (1u << 24)},
        {(k28 + 1) * 4, BASS_DATA_FLOAT, kDecodedPieceBytes, BASS_DATA_FLOAT | (1u << 24)},
        {0xFFFFFFFFull * 4, BASS_DATA_FLOAT, kDecodedPieceBytes, BASS_DATA_FLOAT | (1u << 24)},
        {k28 * 2, 0, kDecodedPieceBytes, 1u << 24},
        {0xFFFFFFFFull * 2, 0, kDecodedPieceBytes, 1u << 24},
        // The last, short piece.
        {12345, BASS_DATA_FLOAT, kDecodedPieceBytes, BASS_DATA_FLOAT | 12345u},
        // A piece as large as the whole song is cut below the flag bits.
        {k28 * 4, 0, k28 * 4, BASS_DATA_FLOAT - 1},
        {k28 * 4, BASS_DATA_FLOAT, ~std::uint64_t(0), BASS_DATA_FLOAT | (BASS_DATA_FLOAT - 1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decoded_piece_request(c.left, c.flags, c.piece), c.expected) << c.left << " " << c.piece;
}

class DecodedPiecesOfASong : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
        song = encoded_tone("ogg", 440.0, 1.5, 0.5);
        chan = BASS_StreamCreateFile(TRUE, song.data(), 0, song.size(), BASS_STREAM_DECODE);
        ASSERT_NE(chan, 0u);
        samples = BASS_ChannelGetLength(chan, BASS_POS_BYTE) / 2;
    }
    void TearDown() override { BASS_Free(); }

    // The song's samples read at once, or in pieces of `piece` bytes.
    std::vector<unsigned char> read(std::uint64_t sampleSize, DWORD flags, std::uint64_t piece)
    {
        EXPECT_TRUE(BASS_ChannelSetPosition(chan, 0, BASS_POS_BYTE));
        const std::uint64_t bytes = samples * sampleSize;
        std::vector<unsigned char> out(bytes + 16, 0xEE);
        if (piece == 0)
            EXPECT_EQ(BASS_ChannelGetData(chan, out.data(), static_cast<DWORD>(bytes) | flags), bytes);
        else
            EXPECT_EQ(read_decoded(chan, out.data(), bytes, flags, piece), bytes) << piece;
        return out;
    }

    std::vector<unsigned char> song;
    HSTREAM chan = 0;
    std::uint64_t samples = 0;
};

TEST_F(DecodedPiecesOfASong, PiecesGiveExactlyTheSamplesOfOneWholeRead)
{
    ASSERT_EQ(samples, 66150u * 2);
    for (const auto& [sampleSize, flags] : {std::pair<std::uint64_t, DWORD>{4, BASS_DATA_FLOAT}, {2, 0}}) {
        const std::vector<unsigned char> whole = read(sampleSize, flags, 0);
        const std::uint64_t frame = 2 * sampleSize;
        // One frame at a time; a piece that does not divide the song (a short
        // last piece); pieces that are not whole frames (each read takes the
        // whole frames that fit); the whole song; more than the song.
        for (const std::uint64_t piece : {frame, frame * 1000 + frame, std::uint64_t(4099), std::uint64_t(6),
                                          samples * sampleSize, samples * sampleSize * 3}) {
            if (piece < frame)
                continue;
            const std::vector<unsigned char> pieces = read(sampleSize, flags, piece);
            EXPECT_TRUE(pieces == whole) << "piece " << piece << ", sample size " << sampleSize;
        }
        EXPECT_TRUE(read(sampleSize, flags, kDecodedPieceBytes) == whole);
        // At the end of the stream nothing more is read.
        std::vector<unsigned char> more(64);
        EXPECT_EQ(read_decoded(chan, more.data(), more.size(), flags, 16), 0u);
    }
}

} // namespace
