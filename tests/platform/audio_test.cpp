#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_decode.h"
#include "support/audio_fixtures.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bin 20 of a 512-point FFT and bin 80 of a 2048-point one at 44100 Hz.
constexpr double kToneHz = 20.0 * 44100.0 / 512.0;

class AudioLayer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ogg = new std::vector<unsigned char>(encoded_tone("ogg", kToneHz, 1.5, 0.5));
        mp3 = new std::vector<unsigned char>(encoded_tone("mp3", kToneHz, 1.5, 0.5));
    }
    static void TearDownTestSuite()
    {
        delete ogg;
        delete mp3;
    }
    void SetUp() override { ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    static std::vector<unsigned char>* ogg;
    static std::vector<unsigned char>* mp3;
};
std::vector<unsigned char>* AudioLayer::ogg = nullptr;
std::vector<unsigned char>* AudioLayer::mp3 = nullptr;

TEST_F(AudioLayer, VersionAndDeviceLifecycle)
{
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_STRNE(audio_driver_name(), "");
    std::printf("audio driver: %s\n", audio_driver_name());
}

TEST_F(AudioLayer, DecodesOggAndMp3FromMemoryToTheirOwnFormat)
{
    for (const auto* bytes : {ogg, mp3}) {
        const HSTREAM s = BASS_StreamCreateFile(TRUE, bytes->data(), 0, bytes->size(),
                                                BASS_STREAM_DECODE | BASS_STREAM_PRESCAN | BASS_ASYNCFILE);
        ASSERT_NE(s, 0u);
        BASS_CHANNELINFO info;
        ASSERT_TRUE(BASS_ChannelGetInfo(s, &info));
        EXPECT_EQ(info.freq, 44100u);
        EXPECT_EQ(info.chans, 2u);
        EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);
        const QWORD length = BASS_ChannelGetLength(s, BASS_POS_BYTE);
        // 1.5 s of stereo 16-bit; MP3 may carry a little encoder padding.
        EXPECT_NEAR(static_cast<double>(length), 1.5 * 44100 * 4, bytes == ogg ? 0 : 2 * 1152 * 4);
        EXPECT_EQ(length % 4, 0u);
        EXPECT_NEAR(BASS_ChannelBytes2Seconds(s, length), static_cast<double>(length) / 176400.0, 1e-12);

        // The whole song as floats, then again as 16-bit samples from the start.
        const QWORD samples = length / 2;
        std::vector<float> floats(samples);
        EXPECT_EQ(BASS_ChannelGetData(s, floats.data(), static_cast<DWORD>(samples * 4) | BASS_DATA_FLOAT),
                  samples * 4);
        EXPECT_EQ(BASS_ChannelGetData(s, floats.data(), 8 | BASS_DATA_FLOAT), static_cast<DWORD>(-1));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
        ASSERT_TRUE(BASS_ChannelSetPosition(s, 0, BASS_POS_BYTE));
        std::vector<std::int16_t> shorts(samples);
        EXPECT_EQ(BASS_ChannelGetData(s, shorts.data(), static_cast<DWORD>(samples * 2)), samples * 2);
        float peak = 0.0f;
        for (QWORD i = 0; i < samples; ++i) {
            peak = std::max(peak, std::fabs(floats[i]));
            ASSERT_NEAR(floats[i], shorts[i] / 32768.0f, 1e-6);
        }
        EXPECT_NEAR(peak, 0.5f, 0.08f);
        BASS_StreamFree(s);
    }
}

// A playing stream and a decoding stream made from one file's bytes (as the
// music object makes them) share the decoded audio: each keeps its own
// position, and freeing the first leaves the second whole. A copy of the
// bytes elsewhere decodes anew, to the same audio.
TEST_F(AudioLayer, StreamsOfTheSameBytesShareTheirDecodedAudio)
{
    const HSTREAM play = BASS_StreamCreateFile(TRUE, ogg->data(), 0, ogg->size(), BASS_SAMPLE_LOOP | BASS_STREAM_PRESCAN);
    const HSTREAM decode = BASS_StreamCreateFile(TRUE, ogg->data(), 0, ogg->size(), BASS_STREAM_DECODE);
    const std::vector<unsigned char> copy = *ogg;
    const HSTREAM other = BASS_StreamCreateFile(TRUE, copy.data(), 0, copy.size(), BASS_STREAM_DECODE);
    ASSERT_NE(play, 0u);
    ASSERT_NE(decode, 0u);
    ASSERT_NE(other, 0u);
    const QWORD length = BASS_ChannelGetLength(decode, BASS_POS_BYTE);
    EXPECT_EQ(BASS_ChannelGetLength(play, BASS_POS_BYTE), length);
    ASSERT_TRUE(BASS_ChannelSetPosition(play, 4000, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(decode, BASS_POS_BYTE), 0u);
    BASS_StreamFree(play);

    std::vector<std::int16_t> shared(length / 2), fresh(length / 2);
    EXPECT_EQ(BASS_ChannelGetData(decode, shared.data(), static_cast<DWORD>(length)), length);
    EXPECT_EQ(BASS_ChannelGetData(other, fresh.data(), static_cast<DWORD>(length)), length);
    EXPECT_EQ(shared, fresh);
    for (HSTREAM s : {decode, other})
        BASS_StreamFree(s);
}

TEST_F(AudioLayer, RefusesBytesOfNoKnownFormat)
{
    const std::vector<unsigned char> junk(4096, 0x41);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, junk.data(), 0, junk.size(), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    std::vector<unsigned char> truncatedOgg(ogg->begin(), ogg->begin() + 60);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, truncatedOgg.data(), 0, truncatedOgg.size(), 0), 0u);
}

// A stream's last granule position claims its length; a crafted one claiming
// billions of years must not set aside memory for them. The song decodes to
// what its pages hold, with no more memory than its own size allows.
TEST_F(AudioLayer, AnOggClaimingAnEnormousLengthDecodesWhatItHolds)
{
    DecodedAudio real;
    ASSERT_TRUE(audio_decode(ogg->data(), ogg->size(), &real));
    // The tool is right: the true length written back gives the file unchanged.
    EXPECT_TRUE(withLastGranule(*ogg, real.samples.size() / 2) == *ogg);
    for (const std::uint64_t claim : {std::uint64_t(1) << 32, std::uint64_t(1) << 40, std::uint64_t(1) << 62,
                                      std::uint64_t(0x7FFFFFFFFFFFFFF0)}) {
        const std::vector<unsigned char> crafted = withLastGranule(*ogg, claim);
        DecodedAudio decoded;
        ASSERT_TRUE(audio_decode(crafted.data(), crafted.size(), &decoded)) << claim;
        // The last packet is no longer cut to the claimed end: it may keep
        // the encoder's padding, at most one block of 2048 frames.
        EXPECT_GE(decoded.samples.size(), real.samples.size()) << claim;
        EXPECT_LE(decoded.samples.size(), real.samples.size() + 2 * 2048) << claim;
        EXPECT_TRUE(std::equal(real.samples.begin(), real.samples.end(), decoded.samples.begin())) << claim;
        EXPECT_LE(decoded.samples.capacity(), std::max<std::size_t>(64 * crafted.size(), 2 * decoded.samples.size()))
            << claim;
        const HSTREAM s = BASS_StreamCreateFile(TRUE, crafted.data(), 0, crafted.size(), BASS_STREAM_DECODE);
        ASSERT_NE(s, 0u);
        EXPECT_EQ(BASS_ChannelGetLength(s, BASS_POS_BYTE), decoded.samples.size() * 2);
        BASS_StreamFree(s);
    }
}

TEST_F(AudioLayer, BytePositionsAreExactWhilePausedAndPastTheEndFails)
{
    const HSTREAM s = BASS_StreamCreateFile(TRUE, ogg->data(), 0, ogg->size(), BASS_SAMPLE_LOOP | BASS_STREAM_PRESCAN);
    ASSERT_NE(s, 0u);
    const QWORD length = BASS_ChannelGetLength(s, BASS_POS_BYTE);
    EXPECT_EQ(BASS_ChannelGetPosition(s, BASS_POS_BYTE), 0u);
    const struct {
        QWORD set;
        bool ok;
        QWORD expected;
    } cases[] = {
        {4000, true, 4000}, {4002, true, 4000}, {length, true, length},
        {length + 4, false, length}, {123456, true, 123456}, {~0ull, false, 123456},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BASS_ChannelSetPosition(s, c.set, BASS_POS_BYTE), c.ok ? TRUE : FALSE) << c.set;
        if (!c.ok) {
            EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
        }
        EXPECT_EQ(BASS_ChannelGetPosition(s, BASS_POS_BYTE), c.expected) << c.set;
    }
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(s, 1.0), 176400u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(s, -2.0), 0u);
    // Only decode streams give data; a playing stream refuses it.
    float dummy[4];
    EXPECT_EQ(BASS_ChannelGetData(s, dummy, 16 | BASS_DATA_FLOAT), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_ChannelGetPosition(0xdead, BASS_POS_BYTE), static_cast<QWORD>(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(AudioLayer, FftOfASinePeaksInItsBin)
{
    const HSTREAM s = BASS_StreamCreateFile(TRUE, ogg->data(), 0, ogg->size(), BASS_STREAM_DECODE);
    ASSERT_NE(s, 0u);
    for (const auto& [flag, bins, peakBin] : {std::tuple{BASS_DATA_FFT512, 256, 20},
                                              std::tuple{BASS_DATA_FFT2048, 1024, 80}}) {
        ASSERT_TRUE(BASS_ChannelSetPosition(s, 44100, BASS_POS_BYTE));
        std::vector<float> fft(static_cast<std::size_t>(bins), -1.0f);
        EXPECT_NE(BASS_ChannelGetData(s, fft.data(), flag), static_cast<DWORD>(-1));
        const auto top = std::max_element(fft.begin(), fft.end()) - fft.begin();
        EXPECT_EQ(top, peakBin);
        EXPECT_NEAR(fft[static_cast<std::size_t>(peakBin)], 0.5f, 0.05f);
        EXPECT_LT(fft[static_cast<std::size_t>(peakBin) + 5], 0.01f);
    }
    // At the very end the window is all padding: a defined, silent spectrum.
    ASSERT_TRUE(BASS_ChannelSetPosition(s, BASS_ChannelGetLength(s, BASS_POS_BYTE), BASS_POS_BYTE));
    std::vector<float> fft(256, -1.0f);
    EXPECT_EQ(BASS_ChannelGetData(s, fft.data(), BASS_DATA_FFT512), 0u);
    EXPECT_EQ(*std::max_element(fft.begin(), fft.end()), 0.0f);
}

// Plays the last half second of the song with a pause of 0.1 s on the way,
// checking the position throughout.
void play_the_last_half_second(const std::vector<unsigned char>* ogg)
{
    const HSTREAM s = BASS_StreamCreateFile(TRUE, ogg->data(), 0, ogg->size(), BASS_SAMPLE_LOOP | BASS_STREAM_PRESCAN);
    ASSERT_NE(s, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ChannelFlags(s, 0, BASS_SAMPLE_LOOP) & BASS_SAMPLE_LOOP, 0u);
    EXPECT_TRUE(BASS_ChannelSetAttribute(s, BASS_ATTRIB_VOL, 0.5f));
    ASSERT_TRUE(BASS_ChannelSetPosition(s, 44100 * 4, BASS_POS_BYTE)); // 0.5 s left
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(s, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);

    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(BASS_ChannelPause(s));
    const QWORD paused = BASS_ChannelGetPosition(s, BASS_POS_BYTE);
    EXPECT_GT(paused, 44100u * 4);
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PAUSED);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(BASS_ChannelGetPosition(s, BASS_POS_BYTE), paused);
    ASSERT_TRUE(BASS_ChannelPlay(s, FALSE));

    QWORD previous = BASS_ChannelGetPosition(s, BASS_POS_BYTE);
    while (BASS_ChannelIsActive(s) == BASS_ACTIVE_PLAYING && Clock::now() - start < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const QWORD now = BASS_ChannelGetPosition(s, BASS_POS_BYTE);
        ASSERT_GE(now, previous) << "the playback position never goes back";
        EXPECT_EQ(now % 4, 0u);
        previous = now;
    }
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_STOPPED);
    EXPECT_EQ(BASS_ChannelGetPosition(s, BASS_POS_BYTE), BASS_ChannelGetLength(s, BASS_POS_BYTE));
    // Half a second of sound plus a 0.1 s pause cannot finish sooner than that.
    EXPECT_GE(took, 0.5);
}

TEST_F(AudioLayer, PlaysAtRealTimePaceAndStopsAtTheEndWithoutLoop)
{
    play_the_last_half_second(ogg);
}

// The dummy driver, named by SDL_AUDIODRIVER, plays like the default (a sound
// device, or none at all where a driver starts but finds no device).
TEST(AudioLayerDummyDriver, PlaysAtRealTimePaceLikeTheDefault)
{
    const std::vector<unsigned char> ogg = encoded_tone("ogg", kToneHz, 1.5, 0.5);
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "dummy", 1), 0);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_STREQ(audio_driver_name(), "dummy");
    play_the_last_half_second(&ogg);
    EXPECT_TRUE(BASS_Free());
    unsetenv("SDL_AUDIODRIVER");
}

// Device 0, "no sound" (the video dump's): no driver starts, even one named
// by SDL_AUDIODRIVER, and the streams still play by the wall clock.
TEST(AudioLayerNoSound, StartsNoDriverAndPlaysAtRealTimePace)
{
    const std::vector<unsigned char> ogg = encoded_tone("ogg", kToneHz, 1.5, 0.5);
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", "dummy", 1), 0);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_STREQ(audio_driver_name(), "none");
    EXPECT_EQ(SDL_GetCurrentAudioDriver(), nullptr);
    play_the_last_half_second(&ogg);
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_Free());
    unsetenv("SDL_AUDIODRIVER");
}

// A program that ends while the music plays (a fatal error exits at once)
// ends cleanly: the device's thread is stopped before the streams go.
TEST(AudioLayerExit, ExitWhilePlayingEndsCleanly)
{
    const std::vector<unsigned char> song = encoded_tone("ogg", kToneHz, 1.5, 0.5);
    EXPECT_EXIT(
        {
            BASS_Init(-1, 44100, 0, nullptr, nullptr);
            const HSTREAM s = BASS_StreamCreateFile(TRUE, song.data(), 0, song.size(), 0);
            BASS_ChannelPlay(s, FALSE);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
