#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "music_test_util.h"
#include "util/music/als.h"

namespace {

struct Clip {
    double start, end;
    std::string loopOn;
    double loopStart, loopEnd;
    std::string keyTracks; // raw KeyTrack elements
};

std::string keyTrack(int key, const std::vector<std::pair<double, double>>& notes)
{
    std::string s = "<KeyTrack><MidiKey Value=\"" + std::to_string(key) + "\"/><Notes>";
    for (const auto& [t, d] : notes)
        s += "<MidiNoteEvent Time=\"" + std::to_string(t) + "\" Duration=\"" + std::to_string(d) + "\" Velocity=\"100\"/>";
    return s + "</Notes></KeyTrack>";
}

std::string midiTrack(const std::string& name, const std::vector<Clip>& clips)
{
    std::string s = "<MidiTrack><Name><EffectiveName Value=\"" + name + "\"/></Name><DeviceChain><MainSequencer>"
                    "<ClipTimeable><ArrangerAutomation><Events>";
    for (const Clip& c : clips)
        s += "<MidiClip><CurrentStart Value=\"" + std::to_string(c.start) + "\"/><CurrentEnd Value=\""
             + std::to_string(c.end) + "\"/><Loop><LoopStart Value=\"" + std::to_string(c.loopStart)
             + "\"/><LoopEnd Value=\"" + std::to_string(c.loopEnd) + "\"/><LoopOn Value=\"" + c.loopOn
             + "\"/></Loop><Notes><KeyTracks>" + c.keyTracks + "</KeyTracks></Notes></MidiClip>";
    return s + "</Events></ArrangerAutomation></ClipTimeable></MainSequencer></DeviceChain></MidiTrack>";
}

std::string liveSet(const std::string& tempoAttribute, const std::string& tracks)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Ableton MajorVersion=\"5\">\r\n<LiveSet><MasterTrack>"
           "<DeviceChain><Mixer><Tempo><Manual " + tempoAttribute + "/></Tempo></Mixer></DeviceChain>"
           "</MasterTrack><Tracks><AudioTrack/>" + tracks + "</Tracks></LiveSet></Ableton>\r\n";
}

class AbletonReader : public ::testing::Test {
protected:
    void SetUp() override { quietDataLayer(); }
    std::string write(const std::string& xml)
    {
        writeGzip(dir / "set.als", xml);
        return dir / "set.als";
    }
    TempDir dir;
};

TEST_F(AbletonReader, UnrollsLoopsAndCutsAtTheClipEnd)
{
    const std::string tracks =
        midiTrack("Lead", {{0, 16, "true", 0, 4, keyTrack(60, {{0, 1}, {2, 0.5}})},
                           {16, 18, "True", 0, 1, keyTrack(60, {{0, 0.25}, {0.5, 0.25}}) + keyTrack(64, {{3, 1}})}})
        + midiTrack("Empty", {{0, 4, "false", 0, 4, keyTrack(40, {{5, 1}})}})
        + midiTrack("Cut", {{8, 10, "false", 0, 8, keyTrack(50, {{1, 4}, {3, 1}, {0.5, 1}})}});
    AbletonSet set(write(liveSet("Value=\"155\"", tracks)));
    EXPECT_EQ(set.tempo, 155.0f);
    ASSERT_EQ(set.tracks.size(), 2u);

    const NoteTrack& lead = set.tracks[0];
    EXPECT_EQ(lead.name, "Lead");
    ASSERT_EQ(lead.notes.size(), 1u); // key 64 started after its clip's end and left no note
    EXPECT_EQ(lead.notes[0].name, "C5");
    // Passes at 0, 4, 8, 12 (and 16, which places nothing); then the second clip once ("True" is no loop).
    EXPECT_EQ(lead.notes[0].events, (std::vector<float>{0, -1, 2, -2.5f, 4, -5, 6, -6.5f, 8, -9, 10, -10.5f,
                                                         12, -13, 14, -14.5f, 16, -16.25f, 16.5f, -16.75f}));
    EXPECT_EQ(lead.events_read, 10u);
    EXPECT_TRUE(lead.notes[0].velocities.empty());

    // A note that starts at or after the end stops the pass, even if later ones start earlier;
    // a note that starts before the end keeps its full length.
    const NoteTrack& cut = set.tracks[1];
    EXPECT_EQ(cut.name, "Cut");
    EXPECT_EQ(cut.notes[0].events, (std::vector<float>{9, -13}));
}

TEST_F(AbletonReader, RefusesBrokenSets)
{
    const std::string oneNote = midiTrack("A", {{0, 4, "false", 0, 4, keyTrack(60, {{0, 1}})}});
    const struct {
        std::string xml;
        std::string message;
    } cases[] = {
        {liveSet("", oneNote), "Ableton set has no tempo"},
        {liveSet("Value=\"0\"", oneNote), "Ableton set tempo is not above 0"},
        {liveSet("Value=\"120\"", midiTrack("A", {{0, 8, "true", 2, 2, keyTrack(60, {{0, 1}})}})),
         "Ableton clip loop end is not after its start"},
        {liveSet("Value=\"120\"", midiTrack("A", {{0, 8, "true", 4, 1, keyTrack(60, {{0, 1}})}})),
         "Ableton clip loop end is not after its start"},
        {liveSet("Value=\"120\"", midiTrack("A", {{1e8, 2e8, "true", 0, 1, keyTrack(60, {{0, 1}})}})),
         "Ableton clip loop too short to advance"},
        {liveSet("Value=\"120\"", midiTrack("A", {{0, 1e6, "true", 0, 1, keyTrack(60, {{0, 0.5}})}})),
         "Ableton clip loops more than 100000 times"},
        {liveSet("Value=\"1e39\"", oneNote), "Ableton set @ has a tempo of inf BPM, outside 1 to 1000"},
        {liveSet("Value=\"1e30\"", oneNote), "Ableton set @ has a tempo of 1e+30 BPM, outside 1 to 1000"},
        {liveSet("Value=\"0.5\"", oneNote), "Ableton set @ has a tempo of 0.5 BPM, outside 1 to 1000"},
        {"<Other/>", "node is NULL"},
        {"<Ableton>" + [] {
             std::string deep;
             for (int i = 0; i < 40000; ++i)
                 deep += "<LiveSet>";
             return deep;
         }(),
         "XML document @ nests its elements deeper than 256 levels"},
        {"<Ableton><LiveSet/></Ableton>", "Ableton set element \"MasterTrack\" is NULL"},
        {liveSet("Value=\"120\"", "<MidiTrack><Name/></MidiTrack>"), "Ableton set element \"EffectiveName\" is NULL"},
    };
    for (const auto& c : cases) {
        std::string want = c.message;
        if (const std::size_t at = want.find('@'); at != std::string::npos)
            want.replace(at, 1, dir / "set.als");
        EXPECT_EQ(fatalMessage([&] { AbletonSet set(write(c.xml)); }), want);
    }
    // A text that ends inside a multi-byte UTF-8 sequence is refused without reading past it.
    const std::string cut = fatalMessage([&] { AbletonSet set(write("<Ableton a\xe4")); });
    EXPECT_EQ(cut.rfind("Could not parse XML from ", 0), 0u) << cut;
    const std::string broken = fatalMessage([&] { AbletonSet set(write("<Ableton><LiveSet>")); });
    EXPECT_EQ(broken.rfind("Could not parse XML from " + (dir / "set.als") + ". Error='", 0), 0u) << broken;
    EXPECT_EQ(fatalMessage([&] { AbletonSet set(dir / "missing.als"); }),
              "Could not parse XML from " + (dir / "missing.als") + ". Error='Failed to open file'. Exiting.\n");
}

// A loop bomb: a few KB of gzip whose key tracks, each in a long clip with a
// one-beat loop, would unroll into billions of notes. The reader stops at a
// fixed amount of work, long before memory or time run out.
TEST_F(AbletonReader, RefusesASetThatUnrollsIntoTooMuch)
{
    std::string keys;
    for (int k = 0; k < 64; ++k)
        keys += keyTrack(k, {{0, 0.1}, {0.25, 0.1}, {0.5, 0.1}, {0.75, 0.1}});
    std::string tracks;
    for (int t = 0; t < 16; ++t)
        tracks += midiTrack("Bomb" + std::to_string(t), {{0, 99999, "true", 0, 1, keys}});
    const std::string path = write(liveSet("Value=\"120\"", tracks));
    EXPECT_LT(std::filesystem::file_size(path), 16384u);
    EXPECT_EQ(fatalMessage([&] { AbletonSet set(path); }),
              "Ableton set " + path + " unrolls into more than 1048576 loop passes and notes");
}

} // namespace

