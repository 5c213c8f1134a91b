#include <gtest/gtest.h>

#include <vector>

#include "data_layer_fixture.h"
#include "platform/messagebox.h"
#include "util/data/music_export.h"

namespace {

class MusicExportTest : public data_test::DataLayerTest {
protected:
    void SetUp() override
    {
        DataLayerTest::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        set_message_box_responder([this](const char* text, const char* caption, UINT type) {
            boxes.push_back(std::string(caption) + "|" + text);
            EXPECT_EQ(type, MB_OK);
            return IDOK;
        });
    }
    void TearDown() override
    {
        set_message_box_responder(nullptr);
        std::filesystem::current_path(previous);
        DataLayerTest::TearDown();
    }
    std::filesystem::path previous;
    std::vector<std::string> boxes;
};

TEST_F(MusicExportTest, OutsideReadModeIsTheFatalAssertion)
{
    for (int mode : {DataFileMode::Off, DataFileMode::Write}) {
        set_datafile_mode(mode);
        EXPECT_EQ(fatal_message([] { export_mp3_files(); }),
                  "Failed assert DataFileMode::Read == mode\n DataFileMode::Read is 1\n mode is " + std::to_string(mode));
    }
}

TEST_F(MusicExportTest, WritesEveryEntryNamingMp3ToTheCurrentFolder)
{
    set_datafile_mode(DataFileMode::Read);
    add_entry("data/music/song.mp3", std::string("ID3\0\xff\xfb", 6));
    add_entry("data/shaders/a.vs", "no");
    add_entry("data\\music\\mp3s.txt", std::string("text\0", 5)); // "mp3" anywhere, NUL written too
    add_entry("other/song.mp3", "second");                     // same base name: replaces
    add_entry("plain.MP3", "case counts");
    export_mp3_files();

    EXPECT_EQ(read_file("song.mp3"), "second");
    EXPECT_EQ(read_file("mp3s.txt"), std::string("text\0", 5));
    EXPECT_FALSE(std::filesystem::exists("a.vs"));
    EXPECT_FALSE(std::filesystem::exists("plain.MP3"));
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "Success|Successfully exported song.mp3 to the current folder",
                         "Success|Successfully exported mp3s.txt to the current folder",
                         "Success|Successfully exported song.mp3 to the current folder",
                     }));
    for (const DataEntry* e : data_entries)
        EXPECT_FALSE(e->loaded);
}

TEST_F(MusicExportTest, NoMusicWritesNothing)
{
    set_datafile_mode(DataFileMode::Read);
    add_entry("data/a.ogg", "x");
    export_mp3_files();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(MusicExportTest, FailuresAreReportedNotConfirmed)
{
    set_datafile_mode(DataFileMode::Read);
    std::filesystem::create_directory("taken.mp3");
    add_entry("data/taken.mp3", "x");
    EXPECT_EQ(fatal_message([] { export_mp3_files(); }), "Failed to create output file for taken.mp3");

    data_entries.clear();
    std::filesystem::create_symlink("/dev/full", "full.mp3"); // every write runs out of space
    add_entry("data/full.mp3", std::string(10000, 'm'));
    EXPECT_EQ(fatal_message([] { export_mp3_files(); }), "Failed to write output file for full.mp3");
    EXPECT_TRUE(boxes.empty());
}

// Names that would write outside the current folder, or over the data file
// the export reads, are refused before any file is written.
TEST_F(MusicExportTest, NamesLeavingTheFolderAreRefusedBeforeAnythingIsWritten)
{
    set_datafile_mode(DataFileMode::Read);
    const std::string kept = "the packed data file";
    const struct {
        const char* name;
        const char* why;
    } cases[] = {
        {"data/music/mp3/../data.vlm", "it leads out of its folder"},
        {"data\\mp3\\..\\..\\x.bin", "it leads out of its folder"},
        {"/tmp/mp3/escape.mp3", "it is an absolute path"},
        {"C:\\music\\song.mp3", "it is an absolute path"},
        {"data/music/mp3/", "it names no file"},
        {"data/mp3/.", "it names no file"},
        {"data/music/mp3/data.vlm", "it would replace the data file data.vlm"},
    };
    for (const auto& c : cases) {
        data_entries.clear();
        write_file("data.vlm", kept);
        add_entry("data/music/first.mp3", "first");
        add_entry(c.name, "hostile");
        EXPECT_EQ(fatal_message([] { export_mp3_files(); }),
                  std::string("Refusing to export ") + c.name + " to the current folder: " + c.why);
        EXPECT_EQ(read_file("data.vlm"), kept) << c.name;
        EXPECT_FALSE(std::filesystem::exists("first.mp3")) << c.name;
    }
    EXPECT_TRUE(boxes.empty());
}

} // namespace

