// The music of the compiled-in production, loaded the way the scene manager
// loads it: a music object built from "data/music/glass_harbour_signal.xml".
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "music_fixture.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/arp.h"
#include "util/music/modulators/lfo.h"
#include "util/music/music.h"

namespace {

class ProductionMusic : public MusicFixture {
protected:
    void SetUp() override
    {
        MusicFixture::SetUp();
        ASSERT_EQ(chdir(VELMO_BINARY_DIR), 0);  // the run folder: data/ links to the build production's assets
        VelmoSystem::bpm = 155.0f;
        VelmoSystem::musicFile = "data/music/glass_harbour_signal.xml";
    }
    static const NoteTrack& track(Music& music, const char* name)
    {
        for (const NoteTrack& t : music.noteData->tracks)
            if (t.name == name)
                return t;
        ADD_FAILURE() << "no track " << name;
        return music.noteData->tracks.front();
    }
};

TEST_F(ProductionMusic, SongNotesAndModulatorsLoad)
{
    Music music;
    EXPECT_EQ(music.bpm, 155.0f);
    EXPECT_EQ(music.waveFormat.nChannels, 2);
    EXPECT_EQ(music.waveFormat.nSamplesPerSec, 44100u);
    EXPECT_GE(music.song_length, 120);
    EXPECT_LE(music.song_length, 180);
    const float songBeats = music.getLengthBeats();

    // The piano the TextPiano scene shows: keys 36 to 59 only, played in every section.
    const NoteTrack& piano = track(music, "Old Vinyl Piano");
    std::set<int> pianoKeys;
    for (const Note& n : piano.notes) {
        EXPECT_GE(n.key, 36);
        EXPECT_LE(n.key, 59);
        pianoKeys.insert(n.key);
    }
    EXPECT_GE(pianoKeys.size(), 12u);
    for (float sectionStart : {0.0f, 64.0f, 128.0f, 192.0f, 256.0f, 320.0f, 400.0f}) {
        bool played = false;
        for (const Note& n : piano.notes)
            for (float e : n.events)
                played |= isNoteOn(e) && e >= sectionStart && e < sectionStart + 64.0f;
        EXPECT_TRUE(played) << "no piano from beat " << sectionStart;
    }

    // The four ribbons of TextRibbons follow the first four notes of "RaveBleep".
    const NoteTrack& bleep = track(music, "RaveBleep");
    EXPECT_GE(bleep.notes.size(), 4u);

    // Every modulator kind is bound.
    ASSERT_FALSE(piano.modulators.empty());
    EXPECT_NE(dynamic_cast<ADSR*>(piano.modulators[0]), nullptr);
    const NoteTrack& pad = track(music, "Pad");
    ASSERT_FALSE(pad.modulators.empty());
    auto* lfo = dynamic_cast<LFO*>(pad.modulators[0]);
    ASSERT_NE(lfo, nullptr);
    ASSERT_GE(lfo->controller, 0);
    EXPECT_FALSE(lfo->ranges.max.empty());
    EXPECT_FALSE(pad.controllers[static_cast<std::size_t>(lfo->controller)].times.empty());
    ASSERT_FALSE(bleep.modulators.empty());
    EXPECT_NE(dynamic_cast<Arp*>(bleep.modulators[0]), nullptr);

    // Every note value of every track can be read over the whole song, and
    // the LFO's period follows its controller lane.
    std::set<float> periods;
    for (float beat = 0.0f; beat < songBeats; beat += 0.25f) {
        for (std::uint32_t t = 0; t < music.getTrackCount(); ++t) {
            const std::vector<float> values = music.getNoteValues(static_cast<int>(t), beat);
            for (float v : values)
                ASSERT_TRUE(v >= 0.0f && v <= 4.0f) << "track " << t << " beat " << beat;
        }
        periods.insert(lfo->period);
    }
    EXPECT_GE(periods.size(), 2u);
    // Arp: while all four bleeps are held, exactly one has a value.
    const int bleepIndex = static_cast<int>(&bleep - &music.noteData->tracks[0]);
    const std::vector<float> arp = music.getNoteValues(bleepIndex, 256.6f);
    EXPECT_EQ(std::count_if(arp.begin(), arp.end(), [](float v) { return v > 0.0f; }), 1);
}

// Picture and sound agree: the audio's kick drums sit on the beats where the
// note data's "Drums" track has them.
TEST_F(ProductionMusic, KicksInTheAudioFallOnTheNoteDataBeats)
{
    Music music;
    const NoteTrack& drums = track(music, "Drums");
    const Note* kick = nullptr;
    for (const Note& n : drums.notes)
        if (n.key == 36)
            kick = &n;
    ASSERT_NE(kick, nullptr);
    const auto energy = [&](double seconds, double length) {
        const auto first = static_cast<std::int64_t>(seconds * 44100) * 2;
        const auto count = static_cast<std::int64_t>(length * 44100) * 2;
        double sum = 0.0;
        for (std::int64_t i = std::max<std::int64_t>(first, 0); i < first + count && i < music.num_samples; ++i)
            sum += static_cast<double>(music.float_buffer[i]) * music.float_buffer[i];
        return sum;
    };
    int checked = 0;
    for (float e : kick->events) {
        if (!isNoteOn(e) || e < 64.0f || static_cast<int>(e) % 37 != 0)
            continue;
        const double t = e * 60.0 / music.bpm;
        EXPECT_GT(energy(t, 0.03), 2.0 * energy(t - 0.03, 0.03)) << "kick at beat " << e;
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST_F(ProductionMusic, BeatFollowsTheClockWhilePlaying)
{
    Music music;
    music.start();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    music.update();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(music.isRunning());
    EXPECT_GT(music.getBeat(), 0.0f);
    // Never ahead of the wall clock (the device buffer may hold it back a little).
    EXPECT_LE(music.getSeconds(), wall + 0.05);
    EXPECT_NEAR(music.getRow(), music.getBeat() * 8.0, 1e-3);
    // The level is read where the song plays: the opening sounds, the end
    // is silent.
    music.togglePause();
    EXPECT_GT(music.getLevel(), 0.0f);
    music.setBytePosition(music.getLengthBytes());
    EXPECT_EQ(music.getLevel(), 0.0f);
}

} // namespace
