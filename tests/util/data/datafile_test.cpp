#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>
#include <zlib.h>

#include "data_layer_fixture.h"
#include "util/data/huffman_codec.h"

namespace {

using data_test::DataLayerTest;

class DatafileTest : public DataLayerTest {
protected:
    // Bytes of a whole song's size (five megabytes), little compressible.
    static std::string many_megabytes()
    {
        std::string bytes(5u << 20, '\0');
        std::uint32_t x = 12345;
        for (char& c : bytes) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 23);
        }
        return bytes;
    }
    // Writes the index as a packed data file; returns the captured log.
    std::string write(const std::string& file)
    {
        set_datafile_mode(DataFileMode::Write);
        testing::internal::CaptureStdout();
        std::string message = fatal_message([&] { write_datafile(file.c_str()); });
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(message, "");
        return log;
    }
    void read(const std::string& file)
    {
        data_entries.clear();
        datafile_read = false;
        set_datafile_mode(DataFileMode::Read);
        read_datafile(file.c_str());
    }
    static std::string bytes(const DataEntry* e)
    {
        return std::string(reinterpret_cast<const char*>(e->data), static_cast<std::size_t>(e->size));
    }
};

TEST_F(DatafileTest, WriteThenReadGivesBackEveryNameSizeAndByte)
{
    std::string incompressible;
    for (int i = 0; i < 70000; ++i)
        incompressible += static_cast<char>((i * 2654435761u) >> 13);
    const std::pair<std::string, std::string> files[] = {
        {"data/common/shaders/a.vs", std::string("void main() {}\n\0", 16)},
        {"data\\music\\song.mp3", incompressible},
        {"data/music/long song.ogg", many_megabytes()},
        {"./data//odd name", std::string(1, '\0')},
        {"data/empty-entry", ""},
    };
    for (const auto& [name, content] : files)
        add_entry(name, content);
    const std::string file = path("data.vlm");
    write(file);

    read(file);
    ASSERT_EQ(data_entries.size(), std::size(files));
    for (std::size_t i = 0; i < std::size(files); ++i) {
        EXPECT_EQ(data_entries[i]->name, files[i].first);
        EXPECT_EQ(bytes(data_entries[i]), files[i].second) << files[i].first;
        EXPECT_FALSE(data_entries[i]->loaded);
    }
    EXPECT_TRUE(datafile_read);
}

TEST_F(DatafileTest, FileLayoutAndStatisticsLines)
{
    add_entry("x", "abracadabra");
    const std::string file = path("out.vlm");
    const std::string log = write(file);

    const std::string raw = read_file(file);
    ASSERT_GE(raw.size(), 21u + 16u);
    EXPECT_EQ(raw.substr(0, 21), std::string("Velmorin Data File\0\0\x02", 21));
    EXPECT_EQ(raw.substr(21, 4), "HUFF");
    const int packedSize = static_cast<int>(raw.size() - 21);
    // chunk stream: 15 header bytes + 1 name byte + 11 data bytes
    const std::string s = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3} )";
    const std::string expected =
        s + "Writing datafile " + file + "\n" +
        s + R"(\.\.file: x, 11 bytes\n)" +
        s + "Done writing datafile \"" + file + "\" of 0\\.00 MB!\n" +
        s + " \\.\\.original file size:         27 bytes\n" +
        s + " \\.\\.compressed file size:" + std::string(9 - std::to_string(packedSize).size(), ' ') +
        std::to_string(packedSize) + " bytes\n" +
        s + " \\.\\.lost in compression: " + std::string(9 - std::to_string(27 - packedSize).size(), ' ') +
        std::to_string(27 - packedSize) + " bytes\n" +
        s + " \\.\\.compression rate:    +-?\\d+\\.\\d\\d %\n";
    EXPECT_TRUE(std::regex_match(log, std::regex(expected))) << log;
}

TEST_F(DatafileTest, WriteModeRunThenReadModeRunServesEveryRequestByteForByte)
{
    // The loads of a run, as loaders make them: binary, text with NUL, gzip.
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY), Z_OK);
    const std::string xml = "<Ableton><Tempo Value=\"155\"/></Ableton>";
    std::string gz(256, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(xml.data()));
    z.avail_in = static_cast<uInt>(xml.size());
    z.next_out = reinterpret_cast<Bytef*>(gz.data());
    z.avail_out = static_cast<uInt>(gz.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    gz.resize(z.total_out);
    deflateEnd(&z);

    struct Request {
        std::string name;
        const char* mode;
        bool addNul;
        bool gzip;
    };
    const std::vector<Request> requests = {
        {write_file("shader.fs", "uniform vec4 Color;\n"), "rt", true, false},
        {write_file("logo.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10)), "rb", false, false},
        {write_file("set.als", gz), "rb", true, true},
        {write_file("track", "\x01\x02"), "rb", false, false},
        {write_file("long song.ogg", many_megabytes()), "rb", false, false},
        {path("shader.fs"), "rt", true, false}, // a duplicate
    };
    auto run = [&] {
        std::vector<std::string> served;
        for (const Request& r : requests) {
            int size = -1;
            std::uint8_t* b = r.gzip ? load_gz_file(r.name.c_str(), r.mode, &size, r.addNul)
                                     : load_file(r.name.c_str(), r.mode, &size, r.addNul);
            served.push_back(take(b, size));
        }
        return served;
    };
    set_datafile_mode(DataFileMode::Write);
    testing::internal::CaptureStdout();
    const std::vector<std::string> fromDisk = run();
    write_datafile(path("data.vlm").c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(data_entries.size(), 5u);

    read(path("data.vlm"));
    for (const Request& r : requests)
        std::filesystem::remove(r.name);
    EXPECT_EQ(run(), fromDisk);
    for (const DataEntry* e : data_entries)
        EXPECT_TRUE(e->loaded) << e->name;
}

TEST_F(DatafileTest, ReadHappensOnceAndOnlyInReadMode)
{
    add_entry("a", "1");
    const std::string file = path("data.vlm");
    write(file);

    data_entries.clear();
    set_datafile_mode(DataFileMode::Off);
    read_datafile(file.c_str());
    EXPECT_TRUE(datafile_read);
    set_datafile_mode(DataFileMode::Read);
    read_datafile(file.c_str()); // already counted as read
    EXPECT_TRUE(data_entries.empty());

    read(file);
    read_datafile(file.c_str());
    EXPECT_EQ(data_entries.size(), 1u);
}

TEST_F(DatafileTest, WriteOutsideWriteModeDoesNothing)
{
    add_entry("a", "1");
    for (int mode : {DataFileMode::Off, DataFileMode::Read}) {
        set_datafile_mode(mode);
        write_datafile(path("data.vlm").c_str());
    }
    EXPECT_FALSE(std::filesystem::exists(path("data.vlm")));
    EXPECT_TRUE(temp_files.empty());
}

TEST_F(DatafileTest, EmptyIndexIsFatalAndLeavesThePreviousFile)
{
    const std::string file = write_file("data.vlm", "previous");
    set_datafile_mode(DataFileMode::Write);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fatal_message([&] { write_datafile(file.c_str()); }), "Negative or zero file length: 0");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(file), "previous");
}

TEST_F(DatafileTest, FailedWriteKeepsThePreviousFileWhole)
{
    add_entry("a", std::string(100000, 'a'));
    const std::string file = write_file("data.vlm", "previous");
    // The new file is written beside the old one first; here that write
    // runs out of space.
    std::filesystem::create_symlink("/dev/full", file + ".part");
    set_datafile_mode(DataFileMode::Write);
    testing::internal::CaptureStdout();
    EXPECT_EQ(fatal_message([&] { write_datafile(file.c_str()); }), "Failed to write file contents!");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(file), "previous");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(file + ".part")));
}

TEST_F(DatafileTest, TemporaryChunkFileStaysUntilDeleted)
{
    add_entry("a", "1");
    write(path("data.vlm"));
    write(path("data2.vlm"));
    ASSERT_EQ(temp_files.size(), 2u);
    for (const std::string& t : temp_files)
        EXPECT_TRUE(std::filesystem::exists(t)) << t;
    delete_temp_files();
    delete_temp_files(); // the names stay listed; a second call is harmless
    for (const std::string& t : temp_files)
        EXPECT_FALSE(std::filesystem::exists(t)) << t;
    EXPECT_EQ(temp_files.size(), 2u);
}

TEST_F(DatafileTest, MissingOrEmptyFileIsFatal)
{
    EXPECT_EQ(fatal_message([&] { read(path("none.vlm")); }),
              "Failed to open data file " + path("none.vlm") + " for reading.\n");
    EXPECT_EQ(fatal_message([&] { read(write_file("zero.vlm", "")); }), "Negative or zero file length: 0");
    // A FIFO would block start-up until something writes into it.
    ASSERT_EQ(mkfifo(path("fifo.vlm").c_str(), 0600), 0);
    EXPECT_EQ(fatal_message([&] { read(path("fifo.vlm")); }),
              "Failed to open data file " + path("fifo.vlm") + " for reading.\n(it is not a regular file)");
    EXPECT_EQ(fatal_message([&] { read("/dev/zero"); }),
              "Failed to open data file /dev/zero for reading.\n(it is not a regular file)");
}

// The crafted bad files kept beside the fuzz targets: each stops with its
// fatal error (@ stands for the file's path).
struct Regression {
    const char* file;
    const char* message;
};

class DatafileRegression : public DatafileTest, public testing::WithParamInterface<Regression> {};

TEST_P(DatafileRegression, StopsWithItsFatalError)
{
    const std::string file = std::string(VELMO_SOURCE_DIR) + "/fuzz/regressions/datafile/" + GetParam().file;
    ASSERT_TRUE(std::filesystem::exists(file));
    std::string expected = GetParam().message;
    if (const std::size_t at = expected.find('@'); at != std::string::npos)
        expected.replace(at, 1, file);
    EXPECT_EQ(fatal_message([&] { read(file); }), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DatafileRegression,
    testing::Values(
        Regression{"truncated_preamble.vlm", "Failed to read header!"},
        Regression{"wrong_title.vlm", "Unrecognized datafile header: Velmorin Data FilX"},
        Regression{"version_0_1.vlm", "Expected datafile format 0.2, got 0.1"},
        Regression{"preamble_only.vlm", "Failed to read 0 bytes from @"},
        Regression{"block_shorter_than_header.vlm",
                   "Damaged packed block in @: the block has 10 bytes, shorter than its 16-byte header"},
        Regression{"too_many_symbols.vlm", "Damaged packed block in @: symbol count 496 is above 256"},
        Regression{"repeated_row.vlm", "Damaged packed block in @: symbol 0 has two table rows"},
        Regression{"huge_unpacked_size.vlm",
                   "Damaged packed block in @: it claims 2147483647 bytes, more than its 240 symbols and 3160 bits can code"},
        Regression{"bit_stream_cut.vlm",
                   "Damaged packed block in @: the bit stream ends after 355 bytes, before 418 bytes are decoded"},
        Regression{"wrong_chunk_tag.vlm", "Unrecognized chunk header: VLMDFX. \nRead 0 chunks, 0 MB before this\n"},
        Regression{"name_past_end.vlm", "Damaged chunk 0 in @: its name of 64 bytes reaches past the end"},
        Regression{"data_past_end.vlm", "Damaged chunk 0 in @: its data of 5 bytes reaches past the end"},
        Regression{"negative_data_size.vlm", "Damaged chunk 0 in @: its data of -1 bytes reaches past the end"},
        Regression{"chunk_header_cut.vlm", "Damaged chunk 1 in @: its header is cut off after 10 bytes"}),
    [](const testing::TestParamInfo<Regression>& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

} // namespace
