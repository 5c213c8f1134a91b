#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "music_fixture.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/arp.h"
#include "util/music/modulators/lfo.h"
#include "util/music/music.h"

namespace {

Note makeNote(std::uint8_t key, std::vector<float> events)
{
    Note n;
    n.key = key;
    n.name = noteName(key);
    n.events = std::move(events);
    return n;
}

NoteTrack makeTrack(const std::string& name, std::vector<Note> notes)
{
    NoteTrack t;
    t.name = name;
    t.notes = std::move(notes);
    t.events_read = 1;
    return t;
}

class MusicNotes : public MusicFixture {
protected:
    void SetUp() override
    {
        MusicFixture::SetUp();
        setTick(0);
        music = std::make_unique<Music>();
        music->start();
        music->noteData = new NoteData("test");
        data = music->noteData;
    }
    void TearDown() override
    {
        music.reset();
        MusicFixture::TearDown();
    }
    // Moves the clock so that getBeat() is `beat` at 120 BPM.
    void atBeat(float beat)
    {
        music->elapsedMs = static_cast<std::int32_t>(beat * 500.0f);
    }
    std::vector<bool> statesAt(int track, float beat)
    {
        atBeat(beat);
        return music->getNoteStates(track);
    }

    std::unique_ptr<Music> music;
    NoteData* data = nullptr;
};

TEST_F(MusicNotes, HeldStatesAtTheCurrentBeat)
{
    data->tracks.push_back(makeTrack("Piano", {makeNote(36, {1.0f, -2.0f}), makeNote(38, {0.0f, -1.0f}),
                                               makeNote(40, {4.0f}), makeNote(41, {0.0f, -0.0f, 2.0f, -3.0f})}));
    const struct {
        float beat;
        std::vector<bool> held;
    } cases[] = {
        {1.0f, {false, true, false, false}}, // an on at beat 0 counts as held now
        {1.5f, {true, false, false, false}},
        {2.0f, {true, false, false, false}},
        {2.5f, {false, false, false, true}},
        {5.0f, {false, false, false, false}}, // a last on with nothing after it reads released
        {0.5f, {false, true, false, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(statesAt(0, c.beat), c.held) << c.beat;
    EXPECT_EQ(data->tracks[0].notes[0].last_event, 0);
    EXPECT_EQ(music->getNoteLookupTable(0), (std::vector<std::uint8_t>{36, 38, 40, 41}));
    EXPECT_EQ(music->getNoteLookupTableByName("Piano"), music->getNoteLookupTable(0));
    atBeat(2.5f);
    EXPECT_EQ(music->getNoteStatesByName("Piano"), music->getNoteStates(0));
    EXPECT_EQ(music->getTrackCount(), 1u);
    EXPECT_EQ(music->getNoteCount(0), 4u);
    EXPECT_EQ(music->getTrackName(0), "Piano");
}

TEST_F(MusicNotes, ValuesWithoutModulatorsFollowNesting)
{
    data->tracks.push_back(makeTrack("T", {makeNote(1, {0.0f, -1.0f}), makeNote(2, {4.0f}),
                                           makeNote(3, {1.0f, 2.0f, -3.0f, -4.0f})}));
    const struct {
        float beat;
        std::vector<float> values;
    } cases[] = {
        {0.5f, {1, 0, 0}}, {1.0f, {1, 0, 0}}, {1.5f, {0, 0, 1}}, {3.5f, {0, 0, 1}},
        {4.0f, {0, 0, 1}}, {4.5f, {0, 1, 0}}, {5.0f, {0, 1, 0}}, {-0.5f, {0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(music->getNoteValues(0, c.beat), c.values) << c.beat;
    EXPECT_EQ(music->getTrackIntensity(0, 4.5f), 1.0f);
    EXPECT_EQ(music->getTrackIntensity(0, 100.0f), 1.0f); // the last on of note 2 never ends
    EXPECT_EQ(music->getTrackIntensity(0, -1.0f), 0.0f);
}

TEST_F(MusicNotes, ModulatorsMultiplyAndTheArpPassesOneNote)
{
    NoteTrack t = makeTrack("Bleep", {makeNote(60, {0.0f, -8.0f}), makeNote(64, {0.5f, -8.0f}),
                                      makeNote(67, {1.0f, -8.0f}), makeNote(72, {10.0f, -11.0f})});
    t.modulators.push_back(new ADSR(1.0f, 0, 1.0f, 0, 0.5f, 2.0f, 0));
    t.modulators.push_back(new Arp(0, 1, 1, 16, false));
    data->tracks.push_back(t);
    // At 1.1 three notes are held; the latest change was at beat 1.
    const std::vector<float> v = music->getNoteValues(0, 1.1f);
    EXPECT_EQ(std::count_if(v.begin(), v.end(), [](float x) { return x != 0.0f; }), 1);
    EXPECT_NEAR(v[0], 0.95f, 1e-5); // position 0 of the held list, envelope in its decay
    const std::vector<float> later = music->getNoteValues(0, 1.3f);
    EXPECT_EQ(later[0], 0.0f);
    EXPECT_NEAR(later[1], 0.8f, 1e-5); // position 1: attack of the note pressed at 0.5
    EXPECT_EQ(music->getNoteValues(0, 9.0f), (std::vector<float>{0, 0, 0, 0}));
    EXPECT_NEAR(music->getTrackIntensity(0, 1.1f), 0.95f, 1e-5);
}

TEST_F(MusicNotes, ControllerLaneSelectsTheLfoPeriod)
{
    NoteTrack t = makeTrack("Pad", {makeNote(50, {0.0f, -20.0f})});
    t.controllers[1].times = {1.0f, 3.0f};
    t.controllers[1].values = {20, 90};
    LFO* lfo = new LFO(1, 1, 1, 4, false); // saw, one beat until the lane says otherwise
    lfo->addRange(0, 63, 1, 2, false);     // two beats
    lfo->addRange(63, 127, 1, 8, false);   // half a beat
    t.modulators.push_back(lfo);
    data->tracks.push_back(t);
    EXPECT_EQ(music->getControllerValue(0, 1, 0.5f), -1);
    EXPECT_EQ(music->getControllerValue(0, 1, 1.0f), 20);
    EXPECT_EQ(music->getControllerValue(0, 1, 2.9f), 20);
    EXPECT_EQ(music->getControllerValue(0, 1, 3.0f), 90);
    EXPECT_EQ(music->getControllerValue(0, 2, 3.0f), -1);

    EXPECT_FLOAT_EQ(music->getNoteValues(0, 0.75f)[0], 0.75f);
    EXPECT_EQ(lfo->period, 1.0f);
    EXPECT_FLOAT_EQ(music->getNoteValues(0, 1.5f)[0], 1.5f);
    EXPECT_EQ(lfo->period, 2.0f);
    EXPECT_FLOAT_EQ(music->getNoteValues(0, 3.25f)[0], 0.25f);
    EXPECT_EQ(lfo->period, 0.5f);
    // A lane at 0 selects the first range instead of stopping the show.
    data->tracks[0].controllers[1].values[0] = 0;
    EXPECT_FLOAT_EQ(music->getNoteValues(0, 1.5f)[0], 1.5f);
}

TEST_F(MusicNotes, BadIndexesAndMissingNoteData)
{
    data->tracks.push_back(makeTrack("A", {}));
    data->tracks.push_back(makeTrack("B", {}));
    data->tracks.push_back(makeTrack("C", {}));
    EXPECT_EQ(fatalMessage([&] { music->getNoteStates(5); }), "Track number 5 out of bounds, total tracks: 3");
    EXPECT_EQ(fatalMessage([&] { music->getNoteStates(-1); }), "Track number -1 out of bounds, total tracks: 3");
    EXPECT_EQ(fatalMessage([&] { music->getNoteValues(3, 1.0f); }), "Track number out of bounds");
    EXPECT_EQ(fatalMessage([&] { music->getNoteLookupTable(3); }), "Track number out of bounds");
    EXPECT_EQ(fatalMessage([&] { music->getTrackIntensity(3, 1.0f); }), "Track number out of bounds");
    // The message names the note file and the tracks it does have.
    EXPECT_EQ(fatalMessage([&] { music->getNoteStatesByName("D"); }),
              "Could not find track D\ntest: no note track of that name; its tracks are \"A\", \"B\", \"C\"");
    EXPECT_EQ(fatalMessage([&] { music->getNoteLookupTableByName("a"); }),
              "Could not find track a\ntest: no note track of that name; its tracks are \"A\", \"B\", \"C\"");
    EXPECT_TRUE(music->getNoteValues(1, 2.0f).empty());

    delete music->noteData;
    music->noteData = nullptr;
    EXPECT_TRUE(music->getNoteValues(0, 1.0f).empty());
    EXPECT_TRUE(music->getNoteStates(0).empty());
    EXPECT_TRUE(music->getNoteLookupTable(0).empty());
    EXPECT_EQ(music->getTrackIntensity(0, 1.0f), 0.0f);
    const struct {
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {[&] { music->getTrackCount(); }, "Attempted to get number of tracks without a valid MIDI file loaded!"},
        {[&] { music->getNoteCount(0); }, "Attempted to get number of track notes without a valid MIDI file loaded!"},
        {[&] { music->getTrackName(0); }, "No valid MIDI file loaded!"},
        {[&] { music->getNoteStatesByName("A"); }, "Attempted to get note states without a valid MIDI file loaded!"},
        {[&] { music->getNoteLookupTableByName("A"); },
         "Attempted to get note lookup table without a valid MIDI file loaded!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fatalMessage(c.call), c.message);
}

} // namespace
