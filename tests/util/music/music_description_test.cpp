#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "midi_bytes.h"
#include "music_fixture.h"
#include "support/audio_fixtures.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/arp.h"
#include "util/music/modulators/lfo.h"
#include "util/music/music.h"

namespace {

const char* kTemplate = R"(<?xml version="1.0"?>
<unit>
  <template>
    <range><min>0</min><max>63</max><value><numerator>1</numerator><denominator>4</denominator></value></range>
    <!-- a comment between ranges -->
    <other/>
    <range><min>63</min><max>127</max><value><numerator>1</numerator><denominator>8t</denominator></value></range>
  </template>
  <template><range><min>0</min><max>1</max><value><numerator>1</numerator><denominator>1</denominator></value></range></template>
</unit>
)";

// Elements nested `levels` deep, never closed.
std::string nested(int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "<a>";
    return text;
}

std::string lfoBinding(const std::string& track, const std::string& wave = "sine", const std::string& cc = "1",
                       const std::string& templateFile = "tpl.xml")
{
    return "<lfo_binding association=\"" + track + "\"><lfo><wave>" + wave
           + "</wave><tempo><numerator>1</numerator><denominator>2</denominator><controller><cc>" + cc
           + "</cc><template file=\"" + templateFile + "\"/></controller></tempo></lfo>"
             "<intensity unit=\"float\">0.5</intensity></lfo_binding>";
}

const std::string kEnvelope =
    "<env association=\"Lead\"><envelope><attack unit=\"s\" slope=\"linear\">0.5</attack>"
    "<decay unit=\"s\" slope=\"exp\">word</decay><sustain unit=\"percent\">50</sustain>"
    "<release unit=\"s\" slope=\"exp_inv\">1</release></envelope></env>";
const std::string kArp =
    "<arp_binding association=\"Bleep\"><arp><pattern>updown</pattern><octaves>010</octaves>"
    "<numerator>1</numerator><denominator>16 T</denominator></arp></arp_binding>";

class MusicDescription : public MusicFixture {
protected:
    void SetUp() override
    {
        MusicFixture::SetUp();
        std::system("mkdir -p music");
        writeBytes("music/song.ogg", encoded_tone("ogg", 440.0, 0.5, 0.3));
        const MidiBytes tempo = MidiBytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20} + kEndOfTrack; // 120 BPM
        const auto notes = [](const std::string& name, std::uint8_t key) {
            return midiChunk(metaName(name) + MidiBytes{0x00, 0x90, key, 0x40, 0x60, 0x80, key, 0x00} + kEndOfTrack);
        };
        MidiBytes file = midiHeader(1, 4, 96) + midiChunk(tempo) + notes("Lead", 60) + notes("Pad", 48)
                         + notes("Bleep", 72);
        file[12 + 1] = 4;
        writeBytes("music/notes.mid", file);
        writeText("music/tpl.xml", kTemplate);
    }
    void describe(const std::string& rootAttributes, const std::string& bindings, const std::string& name = "desc.xml")
    {
        writeText("music/" + name, "<?xml version=\"1.0\"?>\r\n<modulators " + rootAttributes + ">\r\n" + bindings
                                       + "</modulators>\r\n");
        VelmoSystem::musicFile = "music/" + name;
    }
    const std::string files = "stream_filename=\"song.ogg\" notedata_filename=\"notes.mid\"";
};

TEST_F(MusicDescription, BindsEveryModulatorKindToItsTrack)
{
    VelmoSystem::bpm = 90.0f;
    describe(files + " mididata_filename=\"ignored.als\"",
             lfoBinding("Pad") + kEnvelope + kArp + "<more association=\"Lead\"><intensity unit=\"float\">2</intensity></more>"
                 + "<nothing association=\"Pad\"/>");
    Music music;
    EXPECT_EQ(music.bpm, 120.0f); // the note data's tempo replaces the production's
    ASSERT_NE(music.noteData, nullptr);
    ASSERT_EQ(music.getTrackCount(), 3u);

    const NoteTrack& pad = music.noteData->tracks[1];
    ASSERT_EQ(pad.modulators.size(), 1u);
    auto* lfo = dynamic_cast<LFO*>(pad.modulators[0]);
    ASSERT_NE(lfo, nullptr);
    EXPECT_EQ(lfo->wave, 0);
    EXPECT_EQ(lfo->controller, 1);
    EXPECT_EQ(lfo->period, 2.0f);
    EXPECT_EQ(lfo->intensity, 0.5f);
    EXPECT_EQ(lfo->ranges.beats, (std::vector<float>{1.0f, 0.5f * 0.6666667f}));
    EXPECT_EQ(lfo->ranges.max, (std::vector<std::uint8_t>{63, 127}));

    const NoteTrack& lead = music.noteData->tracks[0];
    ASSERT_EQ(lead.modulators.size(), 1u);
    auto* env = dynamic_cast<ADSR*>(lead.modulators[0]);
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->attack, 1.0f);  // 0.5 s at 120 BPM
    EXPECT_EQ(env->decay, 2.0f);   // a word keeps 1 s, converted too
    EXPECT_EQ(env->decaySlope, 1);
    EXPECT_EQ(env->sustain, 0.5f);
    EXPECT_EQ(env->release, 2.0f);
    EXPECT_EQ(env->releaseSlope, 2);
    EXPECT_EQ(env->intensity, 2.0f); // set by the later binding

    auto* arp = dynamic_cast<Arp*>(music.noteData->tracks[2].modulators.at(0));
    ASSERT_NE(arp, nullptr);
    EXPECT_EQ(arp->octaves, 8);
    EXPECT_FLOAT_EQ(arp->period, 0.25f * 0.6666667f);
}

TEST_F(MusicDescription, ResolvesFilesAgainstTheDescriptionsFolder)
{
    // An LFO without a controller still needs its template; both notedata and mididata names work.
    describe("stream_filename=\"song.ogg\" mididata_filename=\"notes.MID\"", lfoBinding("Lead", "saw", "-1"));
    std::system("cp music/notes.mid music/notes.MID");
    Music music;
    auto* lfo = dynamic_cast<LFO*>(music.noteData->tracks[0].modulators.at(0));
    ASSERT_NE(lfo, nullptr);
    EXPECT_EQ(lfo->controller, -1);
    EXPECT_EQ(lfo->ranges.min.size(), 2u);
}

TEST_F(MusicDescription, APathWithoutSlashResolvesAgainstTheWorkingFolder)
{
    for (const char* name : {"song.ogg", "notes.mid", "tpl.xml"})
        std::system((std::string("cp music/") + name + " .").c_str());
    writeText("desc.xml", "<modulators " + files + ">" + lfoBinding("Pad") + "</modulators>");
    writeText("music\\desc.xml", "<modulators " + files + "/>");
    for (const char* path : {"desc.xml", "music\\desc.xml"}) {
        VelmoSystem::musicFile = path;
        const std::string error = fatalMessage([] {
            Music music;
            EXPECT_EQ(music.getTrackCount(), 3u);
        });
        EXPECT_EQ(error, "<no fatal error>") << path;
    }
}

// In data-file read mode every file comes from the entry index, byte for byte
// as recorded: here without the NUL a text request would have added.
TEST_F(MusicDescription, LoadsFromThePackedIndexWithoutTrailingNuls)
{
    describe(files, lfoBinding("Pad") + kArp);
    std::vector<DataEntry*> entries;
    for (const char* name : {"music/desc.xml", "music/song.ogg", "music/notes.mid", "music/tpl.xml"}) {
        std::ifstream in(name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        auto* e = new DataEntry;
        e->name = name;
        e->size = static_cast<std::int32_t>(bytes.size());
        e->data = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
        std::memcpy(e->data, bytes.data(), bytes.size());
        entries.push_back(e);
    }
    std::system("rm -rf music");
    const std::vector<DataEntry*> saved = data_entries;
    data_entries = entries;
    set_datafile_mode(DataFileMode::Read);
    const std::string error = fatalMessage([] {
        Music music;
        EXPECT_EQ(music.getTrackCount(), 3u);
        EXPECT_EQ(music.noteData->tracks[1].modulators.size(), 1u);
        EXPECT_EQ(music.noteData->tracks[1].modulators[0]->ranges.max.size(), 2u);
    });
    set_datafile_mode(DataFileMode::Off);
    data_entries = saved;
    for (DataEntry* e : entries) {
        std::free(e->data);
        delete e;
    }
    EXPECT_EQ(error, "<no fatal error>");
}

TEST_F(MusicDescription, ErrorMessages)
{
    const std::string tpl = "tpl.xml";
    const struct {
        std::string attributes;
        std::string bindings;
        std::string message;
    } cases[] = {
        {files, "<x association=\"Nope\"/>",
         "Could not find track Nope\nmusic/notes.mid: no note track of that name; its tracks are \"Lead\", \"Pad\", "
         "\"Bleep\""},
        {files, "<x/>", "Modulator binding <x> has no association"},
        {"notedata_filename=\"notes.mid\"", "", "Music description has no stream_filename"},
        {"stream_filename=\"song.ogg\"", "",
         "Can't find valid note data file!\nmusic/desc.xml: its <modulators> element has neither a notedata_filename "
         "nor a mididata_filename attribute"},
        {"stream_filename=\"song.ogg\" notedata_filename=\"notes.midi\"", "", "Music format midi not supported"},
        {"stream_filename=\"song.ogg\" notedata_filename=\"n\"", "", "Music format n not supported"},
        {"stream_filename=\"nothere.ogg\" notedata_filename=\"notes.mid\"", "",
         "Failed to read music data from music/nothere.ogg"},
        {files, lfoBinding("Pad", "Sine"), "Unrecognized LFO wave type: Sine"},
        {files, lfoBinding("Pad", "sine", "128"), "Controller number 128 is above 127"},
        {files, lfoBinding("Pad", "sine", " "), "sscanf failed"},
        {files, lfoBinding("Pad", "sine", "1", "none.xml"),
         "Could not load music/none.xml. Error='Failed to open file'. Exiting.\n"},
        {files, "<b association=\"Pad\"><lfo/></b>", "lfo_element->FirstChildElement( \"wave\" ) is NULL"},
        {files, "<b association=\"Pad\"><lfo><wave>saw</wave></lfo></b>", "tempo_element is NULL"},
        {files, "<b association=\"Pad\"><lfo><wave>saw</wave><tempo><numerator>1</numerator><denominator>4</denominator></tempo></lfo></b>",
         "tempo_element->FirstChildElement( \"controller\" ) is NULL"},
        {files, "<b association=\"Lead\"><envelope><attack/><decay/><release/></envelope></b>",
         "env_element->FirstChildElement( \"sustain\" ) is NULL"},
        {files, "<b association=\"Lead\"><envelope><attack unit=\"ms\">1</attack><decay/><sustain/><release/></envelope></b>",
         "Unrecognized unit type: ms"},
        {files, "<b association=\"Lead\"><envelope><attack unit=\"s\" slope=\"log\">1</attack><decay/><sustain/><release/></envelope></b>",
         "Unrecognized slope type: log"},
        {files, "<b association=\"Bleep\"><arp><pattern>random</pattern></arp></b>", "Unrecognized arp pattern: random"},
        {files, "<b association=\"Bleep\"><arp><pattern>up</pattern><octaves>1</octaves><numerator>1</numerator></arp></b>",
         "arp_element->FirstChildElement( \"denominator\" ) is NULL"},
        {files, "<b association=\"Lead\"><intensity unit=\"int\">1</intensity></b>", "Unexpected intensity unit: int"},
        {files, "<b association=\"Lead\"><intensity unit=\"float\">1</intensity></b>",
         "Intensity for track Lead without a modulator"},
        // Settings that are not finite numbers would reach every note value.
        {files, "<b association=\"Lead\"><envelope><attack unit=\"s\" slope=\"linear\">nan</attack><decay/><sustain/><release/></envelope></b>",
         "Modulator setting <attack> is not a finite number: nan"},
        {files, "<b association=\"Lead\"><envelope><attack unit=\"s\" slope=\"linear\">3e38</attack><decay/><sustain/><release/></envelope></b>",
         "Modulator setting <attack> is not a finite number: 3e38"},
        {files, "<b association=\"Lead\"><envelope><attack unit=\"s\" slope=\"linear\">1</attack><decay unit=\"s\" slope=\"linear\">1</decay><sustain unit=\"percent\">-inf</sustain><release/></envelope></b>",
         "Modulator setting <sustain> is not a finite number: -inf"},
        {files, lfoBinding("Pad").replace(lfoBinding("Pad").find("0.5"), 3, "1e39"),
         "Modulator setting <intensity> is not a finite number: 1e39"},
        // Nesting tens of thousands deep would overflow the parser's stack.
        {files, nested(50000),
         "XML document music/desc.xml nests its elements deeper than 256 levels"},
    };
    for (const auto& c : cases) {
        describe(c.attributes, c.bindings);
        EXPECT_EQ(constructionError(), c.message) << c.bindings;
    }
    VelmoSystem::musicFile = "music/absent.xml";
    EXPECT_EQ(constructionError(),
              "Could not load music/absent.xml. Error='Failed to open file'. Exiting.\n");
    writeText("music/plain.xml", "<other/>");
    VelmoSystem::musicFile = "music/plain.xml";
    EXPECT_EQ(constructionError(), "element is NULL");
}

TEST_F(MusicDescription, TemplateErrors)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"<unit/>", "element->FirstChildElement( \"template\" ) is NULL"},
        {"<unit><template/></unit>", "element->FirstChildElement( \"template\" )->FirstChildElement( \"range\" ) is NULL"},
        {"<unit><template><range><max>1</max></range></template></unit>", "cur_el->FirstChildElement( \"min\" ) is NULL"},
        {"<unit><template><range><min>0</min><max>1</max><value><numerator>1</numerator></value></range></template></unit>",
         "cur_el->FirstChildElement( \"value\" )->FirstChildElement( \"denominator\" ) is NULL"},
        {"<unit><template><range><min>x</min><max>1</max><value><numerator>1</numerator><denominator>4</denominator></value></range></template></unit>",
         "sscanf failed"},
        {"<unit><template><range><min></min><max>1</max><value><numerator>1</numerator><denominator>4</denominator></value></range></template></unit>",
         "sscanf failed"},
        {"<nounit/>", "element is NULL"},
    };
    for (const auto& c : cases) {
        writeText("music/tpl.xml", c.text);
        describe(files, lfoBinding("Pad"));
        EXPECT_EQ(constructionError(), c.message) << c.text;
    }
}

} // namespace
