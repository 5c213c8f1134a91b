#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "music_fixture.h"
#include "support/audio_fixtures.h"
#include "util/music/music.h"

namespace {

// Bin 20 of the 512-point spectrum at 44100 Hz.
constexpr double kToneHz = 20.0 * 44100.0 / 512.0;

class MusicStream : public MusicFixture {
protected:
    void useSong(const std::string& format, double seconds = 2.0)
    {
        const std::string path = "song." + format;
        writeBytes(path, encoded_tone(format, kToneHz, seconds, 0.5));
        VelmoSystem::musicFile = path;
    }
};

TEST_F(MusicStream, LoadsOggAndMp3WholeIntoMemory)
{
    for (const std::string format : {"ogg", "mp3"}) {
        useSong(format);
        VelmoSystem::dumpVideo = true;
        Music music;
        EXPECT_FALSE(music.dummy_mode);
        const WAVEFORMATEX& wf = music.waveFormat;
        EXPECT_EQ(wf.wFormatTag, 1);
        EXPECT_EQ(wf.nChannels, 2);
        EXPECT_EQ(wf.nSamplesPerSec, 44100u);
        EXPECT_EQ(wf.nAvgBytesPerSec, 176400u);
        EXPECT_EQ(wf.nBlockAlign, 4);
        EXPECT_EQ(wf.wBitsPerSample, 16);
        EXPECT_EQ(wf.cbSize, 0);
        EXPECT_EQ(static_cast<const void*>(&music), static_cast<const void*>(&music.waveFormat));
        EXPECT_EQ(music.num_samples, static_cast<std::uint32_t>(music.getLengthBytes() / 2));
        EXPECT_NEAR(music.num_samples, 2.0 * 44100 * 2, format == "ogg" ? 0 : 2 * 1152 * 2);
        EXPECT_EQ(music.song_length, 2);
        ASSERT_NE(music.u16_buffer, nullptr);
        for (std::uint32_t i = 0; i < music.num_samples; i += 997)
            ASSERT_NEAR(music.float_buffer[i], music.u16_buffer[i] / 32768.0f, 1e-6);
        EXPECT_EQ(music.getSeconds(), 0.0f); // not playing yet
        EXPECT_FLOAT_EQ(music.getLengthBeats(), 120.0f * music.num_samples / 2 / 44100.0f / 60.0f);
    }
}

// Only stereo songs are played: a mono one stops the load with both sides
// of the check. (The decoders always deliver 16-bit samples, so the 8-bit
// check never fires.)
TEST_F(MusicStream, MonoSongIsRefusedWithBothSidesOfTheCheck)
{
    write_wav("mono.wav", std::vector<short>(22050, 1000), 1, 44100);
    ASSERT_EQ(std::system("oggenc -Q -o mono.ogg mono.wav"), 0);
    VelmoSystem::musicFile = "mono.ogg";
    EXPECT_EQ(constructionError(), "Failed assert info.chans == 2\n info.chans is 1\n 2 is 2\nmono.ogg: the song has 1 "
                                   "channel; only stereo songs are played");
}

TEST_F(MusicStream, PlaysSeeksAndStopsAtTheEnd)
{
    useSong("ogg", 1.0);
    Music music;
    EXPECT_EQ(music.u16_buffer, nullptr);
    music.setVolume(0.8f);
    music.start();
    EXPECT_TRUE(music.isActive());
    // The dump's pattern: pause, then drive the position by seeking.
    music.setBytePosition(0);
    music.togglePause();
    EXPECT_FALSE(music.isActive());
    EXPECT_TRUE(music.isRunning());
    music.seekSeconds(0.5f);
    EXPECT_EQ(music.getBytePosition(), 88200);
    EXPECT_EQ(music.getSeconds(), 0.5f);
    EXPECT_DOUBLE_EQ(music.getRow(), 8.0);
    music.seekSeconds(5.0f); // past the end: the position stays
    EXPECT_EQ(music.getBytePosition(), 88200);
    music.seekSeconds(-1.0f);
    EXPECT_EQ(music.getBytePosition(), 0);
    music.setRow(8);
    EXPECT_EQ(music.getBytePosition(), 88200 + 4);

    music.setBytePosition(music.getLengthBytes() - 4 * 4410); // 0.1 s before the end
    music.togglePause();
    const auto start = std::chrono::steady_clock::now();
    while (music.isRunning() && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(music.isRunning());
    EXPECT_FALSE(music.isActive());
}

TEST_F(MusicStream, SpectrumLevelAndWaveformStayInsideTheSong)
{
    useSong("ogg", 1.0);
    Music music;
    music.start();
    music.togglePause();
    music.setBytePosition(44100 * 2);
    const float inBin = music.getBandLevel(20, 21);
    EXPECT_NEAR(inBin, 0.5f, 0.05f);
    EXPECT_LT(music.getBandLevel(30, 256), 0.01f);
    EXPECT_LT(music.getBandLevel(0, 15), 0.01f);
    EXPECT_NEAR(music.getLevel(), music.getBandLevel(0, 256), 1e-7);
    EXPECT_EQ(fatalMessage([&] { music.getBandLevel(10, 10); }), "stop is less than start");
    EXPECT_EQ(fatalMessage([&] { music.getBandLevel(20, 10); }), "stop is less than start");
    EXPECT_NE(fatalMessage([&] { music.getBandLevel(0, 257); }), "<no fatal error>");
    EXPECT_NE(fatalMessage([&] { music.getBandLevel(-1, 5); }), "<no fatal error>");

    std::vector<float> a(1024), b(1024);
    music.getSpectrum(a.data(), -1.0f);
    music.getSpectrum(b.data(), music.getBeat());
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::max_element(a.begin(), a.end()) - a.begin(), 80);
    EXPECT_EQ(fatalMessage([&] { music.getSpectrum(nullptr, 0.0f); }), "Invalid buffer");

    music.setBytePosition(4000);
    std::vector<float> wave(8, -9.0f);
    music.getWaveform(wave.data(), 8);
    EXPECT_TRUE(std::equal(wave.begin(), wave.end(), music.float_buffer + 2000));
    EXPECT_EQ(fatalMessage([&] { music.getWaveform(nullptr, 8); }), "Invalid buffer");

    // At the very end: nothing is read past the song, the rest is silence.
    music.setBytePosition(music.getLengthBytes() - 8);
    std::vector<float> tail(64, -9.0f);
    music.getWaveform(tail.data(), 64);
    EXPECT_EQ(tail[0], music.float_buffer[music.num_samples - 4]);
    EXPECT_EQ(tail[3], music.float_buffer[music.num_samples - 1]);
    EXPECT_TRUE(std::all_of(tail.begin() + 4, tail.end(), [](float v) { return v == 0.0f; }));
    music.setBytePosition(music.getLengthBytes());
    EXPECT_EQ(music.getBandLevel(0, 256), 0.0f);
    // A beat after the end cannot be sought: the read stays at the end of
    // the song, where the spectrum is silence.
    std::fill(a.begin(), a.end(), -1.0f);
    music.getSpectrum(a.data(), 1e6f);
    EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](float v) { return v == 0.0f; }));
}

TEST_F(MusicStream, DummyModeLeavesArraysUntouchedButRefusesNull)
{
    Music music;
    std::vector<float> out(1024, 3.0f);
    music.getSpectrum(out.data(), 1.0f);
    music.getWaveform(out.data(), 16);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 3.0f; }));
    EXPECT_EQ(fatalMessage([&] { music.getWaveform(nullptr, 1); }), "Invalid buffer");
}

} // namespace
