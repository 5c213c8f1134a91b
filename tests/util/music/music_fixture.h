#pragma once
// A test fixture that runs inside a fresh temporary folder (the music object
// reads "data/sync_tracker/" relative to the working folder) and restores
// the system settings the music object reads.
#include <unistd.h>

#include <cstring>
#include <string>

#include "music_test_util.h"
#include "platform/audio.h"
#include "platform/timing.h"
#include "util/music/music.h"
#include "system/velmosystem.h"

class MusicFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        quietDataLayer();
        char cwd[4096];
        oldDir = getcwd(cwd, sizeof cwd);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        std::system("mkdir -p data/sync_tracker");
        VelmoSystem::musicFile = "";
        VelmoSystem::bpm = 120.0f;
        VelmoSystem::beatOffset = 0.0f;
        VelmoSystem::dumpVideo = false;
        VelmoSystem::syncClient = 0;
        std::strcpy(VelmoSystem::syncServerAddress, "127.0.0.1");
    }
    void TearDown() override
    {
        set_tick_count_override(false, 0);
        VelmoSystem::musicFile = "";
        VelmoSystem::syncClient = 0;
        chdir(oldDir.c_str());
    }
    void setTick(unsigned long long tick) { set_tick_count_override(true, tick); }
    // The fatal error that constructing a music object raises. A failed
    // construction leaves the audio device open (the program would have
    // ended), so it is closed here for the next case.
    static std::string constructionError()
    {
        const std::string message = fatalMessage([] { Music music; });
        BASS_Free();
        return message;
    }

    TempDir dir;
    std::string oldDir;
};
