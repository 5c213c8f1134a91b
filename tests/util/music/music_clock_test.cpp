#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "music_fixture.h"
#include "util/music/music.h"

namespace {

using MusicClock = MusicFixture;

void writeTrack(const std::string& name, const std::vector<SyncKey>& keys)
{
    std::vector<unsigned char> b(4);
    const std::int32_t count = static_cast<std::int32_t>(keys.size());
    std::memcpy(b.data(), &count, 4);
    for (const SyncKey& k : keys) {
        unsigned char rec[9];
        std::memcpy(rec, &k.row, 4);
        std::memcpy(rec + 4, &k.value, 4);
        rec[8] = static_cast<unsigned char>(k.type);
        b.insert(b.end(), rec, rec + 9);
    }
    writeBytes("data/sync_tracker/_" + name + ".track", b);
}

TEST_F(MusicClock, DummyClockCountsMillisecondsAtUpdates)
{
    setTick(100000);
    Music music;
    EXPECT_TRUE(music.dummy_mode);
    EXPECT_EQ(currentMusic, &music);
    EXPECT_EQ(music.rowsPerBeat, 8);
    EXPECT_EQ(music.waveFormat.nChannels, 0);
    EXPECT_EQ(music.getSeconds(), 0.0f);
    music.start();
    setTick(102500);
    EXPECT_EQ(music.getSeconds(), 0.0f); // stands still between updates
    music.update();
    EXPECT_EQ(music.getSeconds(), 2.5f);
    EXPECT_DOUBLE_EQ(music.getRow(), 40.0);
    EXPECT_EQ(music.getBeat(), 5.0f);
    EXPECT_EQ(music.getBytePosition(), 2500);
    EXPECT_TRUE(music.isRunning());
    EXPECT_TRUE(music.isActive());
    EXPECT_FLOAT_EQ(music.getLengthBeats(), 120.0f * 99999.999f / 60.0f);
    EXPECT_EQ(music.getLengthBytes(), 99999999);
    EXPECT_EQ(music.getLevel(), 0.0f);
    EXPECT_EQ(music.getBandLevel(0, 256), 0.0f);

    music.setRow(40);
    EXPECT_EQ(music.elapsedMs, 2504);
    // Rows at int's ends: row x 1000 is worked out without overflow, and the
    // time clamps to the clock's range.
    music.setRow(INT_MAX);
    EXPECT_EQ(music.elapsedMs, INT32_MAX);
    music.setRow(INT_MIN);
    EXPECT_EQ(music.elapsedMs, INT32_MIN + 4);
    music.setRow(40);
    EXPECT_EQ(music.elapsedMs, 2504);
    // A seek to a time that is not a number goes to the start, an infinite
    // one to the clock's end.
    music.seekSeconds(std::nanf(""));
    EXPECT_EQ(music.elapsedMs, 0);
    music.seekSeconds(std::numeric_limits<float>::infinity());
    EXPECT_EQ(music.elapsedMs, INT32_MAX);
    music.setRow(40);
    music.seekSeconds(-3.0f);
    EXPECT_EQ(music.elapsedMs, 0);
    music.seekSeconds(1.2345f);
    EXPECT_EQ(music.elapsedMs, 1234);
    music.setVolume(0.5f); // nothing to do in dummy mode
    music.setBytePosition(10000);
    EXPECT_EQ(music.getSeconds(), 10.0f);

    // Paused time is not counted; play and pause are idempotent.
    music.togglePause();
    EXPECT_TRUE(music.paused);
    EXPECT_FALSE(music.isActive());
    EXPECT_TRUE(music.isRunning());
    setTick(107500);
    music.update();
    music.pause();
    EXPECT_EQ(music.elapsedMs, 10000);
    music.togglePause();
    setTick(108500);
    music.play();
    music.update();
    EXPECT_EQ(music.elapsedMs, 11000);
    music.pause();
    setTick(109000);
    music.pause();
    music.play();
    setTick(109100);
    music.update();
    EXPECT_EQ(music.elapsedMs, 11100);
}

// The editor's set-row to int's last row puts the dummy clock at its end:
// the steps after it (frames, pause, the pause toggle, a tick count that
// wraps) keep it there instead of overflowing, and the byte-position step
// between the clock's two ends is worked out without overflow either.
TEST_F(MusicClock, DummyClockStaysAtItsEndsWhateverComesAfter)
{
    setTick(1000);
    Music music;
    music.start();
    music.setRow(INT_MAX);
    ASSERT_EQ(music.elapsedMs, INT32_MAX);
    unsigned long long tick = 1000;
    const auto step = [&](unsigned long long ms) {
        tick += ms;
        setTick(tick);
    };
    for (unsigned long long ms : {1ull, 16ull, 1000ull, 0x7fffffffull, 0xfffffff0ull}) {
        step(ms);
        music.update();
        EXPECT_EQ(music.elapsedMs, INT32_MAX) << ms;
    }
    step(5000);
    music.pause();
    EXPECT_EQ(music.elapsedMs, INT32_MAX);
    music.play();
    step(5000);
    music.togglePause();
    EXPECT_EQ(music.elapsedMs, INT32_MAX);
    music.togglePause();
    // The tick count wrapping past 2^32 counts as the milliseconds it moved.
    music.setRow(0);
    music.lastTick = 0xffffff00u;
    setTick(0x100000100ull);
    music.update();
    EXPECT_EQ(music.elapsedMs, 4 + 0x200);

    // From one end of the clock to the other: ten frames at the end fill
    // the byte-position history, then the start.
    for (int frame = 0; frame < 10; ++frame) {
        music.setRow(INT_MAX);
        music.update();
    }
    music.setRow(INT_MIN);
    const std::int32_t oldest = music.byteHistory[0];
    EXPECT_EQ(oldest, INT32_MAX);
    music.update();
    EXPECT_EQ(music.byteHistory[9], INT32_MIN + 4);
    EXPECT_EQ(music.byteStep, (static_cast<std::int64_t>(INT32_MIN) + 4 - INT32_MAX) / 10);
}

TEST_F(MusicClock, TempoOffsetsAndHistories)
{
    VelmoSystem::bpm = 155.0f;
    setTick(0);
    {
        Music music;
        music.start();
        setTick(1000);
        music.update();
        EXPECT_NEAR(music.getRow(), 20.6666667, 1e-6);
    }
    VelmoSystem::bpm = 120.0f;
    VelmoSystem::beatOffset = 2.0f;
    setTick(0);
    Music music;
    music.start();
    for (float h : music.beatHistory)
        EXPECT_EQ(h, 2.0f);
    EXPECT_EQ(music.getBeatStep(), 0.0f);
    for (int frame = 1; frame <= 10; ++frame) {
        setTick(static_cast<unsigned long long>(frame) * 100); // 0.2 beats a frame
        music.update();
    }
    EXPECT_EQ(music.getBeat(), 4.0f);
    EXPECT_DOUBLE_EQ(music.getRow(), 16.0);
    EXPECT_FLOAT_EQ(music.getBeatStep(), 0.2f);
    EXPECT_EQ(music.byteStep, 100);
    EXPECT_EQ(music.beatHistory[9], 4.0f);
    EXPECT_EQ(music.byteHistory[9], 1000);

    music.togglePause();
    EXPECT_EQ(fatalMessage([&] { music.start(); }), "Failed to start the music!");
}

TEST_F(MusicClock, UnsupportedFormatsAndFailedEditorConnection)
{
    for (const auto& [file, message] : std::vector<std::pair<std::string, std::string>>{
             {"song.wav", "Music format .wav not supported"},
             {"SONG.WAV", "Music format .wav not supported"},
             {"ab", "Music format ab not supported"},
             {"data/music/missing.OGG", "Failed to read music data from data/music/missing.OGG"}}) {
        VelmoSystem::musicFile = file;
        EXPECT_EQ(constructionError(), message);
    }
    VelmoSystem::musicFile = "";
    VelmoSystem::syncClient = 1;
    std::strcpy(VelmoSystem::syncServerAddress, "127.0.0.254");
    EXPECT_EQ(constructionError(),
              "Sync tracker failed to connect to host 127.0.0.254:1338");
}

TEST_F(MusicClock, SyncValuesReadTrackFilesAtTheFractionalRow)
{
    writeTrack("ramp", {{0, 0.0f, Linear}, {16, 1.0f, Hold}});
    writeTrack("late", {{32, 5.0f, Hold}});
    writeTrack("empty", {});
    setTick(0);
    Music music;
    music.addSyncValue("ramp", 9.0f, true);
    music.addSyncValue("late", 0.0f, true);
    music.addSyncValue("empty", 3.0f, true);
    music.addSyncValue("constant", 7.0f, false);
    music.addSyncValue("ramp", 2.0f, true); // a second record sharing the track
    ASSERT_EQ(music.syncValues.size(), 5u);
    EXPECT_EQ(music.syncValues[0].track, music.syncValues[4].track);

    music.start();
    setTick(531); // 120 BPM: row 8.496
    music.update();
    EXPECT_NEAR(music.getSyncValue("ramp"), 8.496f / 16.0f, 1e-5);
    EXPECT_EQ(music.getSyncValue("late"), 5.0f);
    EXPECT_EQ(music.getSyncValue("empty"), 3.0f);
    EXPECT_EQ(music.getSyncValue("constant"), 7.0f);
    setTick(6250); // row 100
    music.update();
    EXPECT_EQ(music.getSyncValue("ramp"), 1.0f);

    EXPECT_EQ(fatalMessage([&] { music.getSyncValue("nothing"); }), "Can't find sync value for nothing");
    EXPECT_EQ(fatalMessage([&] { music.addSyncValue("absent", 1.0f, true); }), "Failed to open track absent!");
    writeBytes("data/sync_tracker/_short.track", {1, 0, 0, 0, 4, 0});
    EXPECT_EQ(fatalMessage([&] { music.addSyncValue("short", 1.0f, true); }), "Failed to open track short!");
}

TEST_F(MusicClock, MemoryFilesAndEditorEvents)
{
    writeBytes("five.bin", {1, 2, 3, 4, 5});
    void* file = memOpen("five.bin", "rb");
    ASSERT_NE(file, nullptr);
    unsigned char buffer[12];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(memRead(buffer, 4, 3, file), 5u);
    EXPECT_EQ(buffer[4], 5);
    EXPECT_EQ(buffer[5], 0xAA);
    EXPECT_EQ(memRead(buffer, 4, 3, file), 0u);
    EXPECT_EQ(memClose(file), 0);
    EXPECT_EQ(memOpen("missing.bin", "rb"), nullptr);

    setTick(0);
    {
        Music music;
        music.start();
        syncPause(nullptr, 1);
        EXPECT_TRUE(music.paused);
        EXPECT_EQ(syncIsPlaying(nullptr), 0);
        syncPause(nullptr, 0);
        EXPECT_EQ(syncIsPlaying(nullptr), 1);
        syncSetRow(nullptr, 40);
        EXPECT_EQ(music.elapsedMs, 2504);
    }
    EXPECT_EQ(currentMusic, nullptr);
    EXPECT_EQ(syncIsPlaying(nullptr), 0);
    syncPause(nullptr, 1);
    syncSetRow(nullptr, 3);
}

} // namespace
