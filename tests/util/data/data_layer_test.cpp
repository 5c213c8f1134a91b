#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>
#include <zlib.h>

#include "data_layer_fixture.h"

namespace {

using data_test::DataLayerTest;

std::string gzip_bytes(const std::string& data)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, data.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST_F(DataLayerTest, OffModeReadsLooseFilesAndTicksOncePerFile)
{
    const std::string p = write_file("a.bin", std::string("ab\0c\r\n", 6));
    int size = -1;
    EXPECT_EQ(take(load_file(p.c_str(), "rb", &size, false), size), std::string("ab\0c\r\n", 6));
    EXPECT_EQ(size, 6);
    EXPECT_EQ(take(load_file(p.c_str(), "rt", &size, true), size), std::string("ab\0c\r\n\0", 7));
    EXPECT_EQ(size, 7);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(data_entries.empty());
}

// A FIFO without a writer (it would block the reader) and a device count as
// missing too.
TEST_F(DataLayerTest, MissingFileOrDirectoryGivesNullSizeZeroAndNoTick)
{
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    for (const std::string& p : {path("nope"), folder.string(), path("fifo"), std::string("/dev/zero")}) {
        for (int mode : {DataFileMode::Off, DataFileMode::Write}) {
            set_datafile_mode(mode);
            int size = -1;
            EXPECT_EQ(load_file(p.c_str(), "rb", &size, true), nullptr) << p;
            EXPECT_EQ(size, 0);
            size = -1;
            EXPECT_EQ(load_gz_file(p.c_str(), "rb", &size, true), nullptr) << p;
            EXPECT_EQ(size, 0);
        }
    }
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(data_entries.empty());
}

TEST_F(DataLayerTest, EmptyLooseFileIsFatal)
{
    const std::string p = write_file("empty", "");
    int size = 0;
    EXPECT_EQ(fatal_message([&] { load_file(p.c_str(), "rb", &size, true); }),
              "Tried to read 0 bytes from " + p + ", got 0");
}

TEST_F(DataLayerTest, WriteModeRecordsFirstLoadsInOrderAndSkipsDuplicates)
{
    set_datafile_mode(DataFileMode::Write);
    const std::string a = write_file("a.txt", "alpha");
    const std::string b = write_file("b%s%d.txt", "beta");
    const std::string bDoubled = (folder / "").string() + "/b%s%d.txt"; // same file, other name
    int size = 0;
    EXPECT_EQ(take(load_file(a.c_str(), "rt", &size, true), size), std::string("alpha\0", 6));
    EXPECT_EQ(take(load_file(b.c_str(), "rb", &size, false), size), "beta");

    testing::internal::CaptureStdout();
    EXPECT_EQ(take(load_file(b.c_str(), "rb", &size, true), size), std::string("beta\0", 5));
    const std::string log = testing::internal::GetCapturedStdout();
    // The log text is written as it is: "%s%d" stays.
    EXPECT_TRUE(std::regex_match(log, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3} \[DATA\] Skipping duplicate entry for )" +
                                                 std::regex_replace(b, std::regex(R"([.%/_])"), R"(\$&)") + "\n")))
        << log;

    EXPECT_EQ(take(load_file(bDoubled.c_str(), "rb", &size, false), size), "beta");
    ASSERT_EQ(data_entries.size(), 3u);
    EXPECT_EQ(data_entries[0]->name, a);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data_entries[0]->data), data_entries[0]->size), std::string("alpha\0", 6));
    EXPECT_EQ(data_entries[1]->name, b);
    EXPECT_EQ(data_entries[1]->size, 4);
    EXPECT_EQ(data_entries[2]->name, bDoubled);
    EXPECT_EQ(ticks, 3); // the duplicate does not tick
}

TEST_F(DataLayerTest, WriteModeAfterLoadingFinishedServesDuplicatesButStopsOnNewFiles)
{
    set_datafile_mode(DataFileMode::Write);
    const std::string a = write_file("a", "x");
    const std::string b = write_file("b", "y");
    int size = 0;
    std::free(load_file(a.c_str(), "rb", &size, false));
    loading_finished = true;
    testing::internal::CaptureStdout();
    EXPECT_EQ(take(load_file(a.c_str(), "rb", &size, false), size), "x");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), ""); // no duplicate line any more
    EXPECT_EQ(fatal_message([&] { load_file(b.c_str(), "rb", &size, false); }),
              "Uh-oh! Tried to load file " + b + " after datafile is written!");
    EXPECT_EQ(data_entries.size(), 1u);
}

struct ReadCase {
    const char* what;
    std::string recorded;
    bool addNul;
    std::string expected;
};

TEST_F(DataLayerTest, ReadModeServesRecordedBytesAndTerminatesTextRequests)
{
    const ReadCase cases[] = {
        {"recorded with NUL, binary request", std::string("txt\0", 4), false, std::string("txt\0", 4)},
        {"recorded with NUL, text request", std::string("txt\0", 4), true, std::string("txt\0", 4)},
        {"recorded binary, binary request", "bin", false, "bin"},
        // A text loader must never run past its buffer: a NUL is appended.
        {"recorded binary, text request", "bin", true, std::string("bin\0", 4)},
    };
    set_datafile_mode(DataFileMode::Read);
    for (const ReadCase& c : cases) {
        DataEntry* e = add_entry(c.what, c.recorded);
        int size = -1;
        EXPECT_EQ(take(load_file(c.what, "rt", &size, c.addNul), size), c.expected) << c.what;
        EXPECT_EQ(size, static_cast<int>(c.expected.size())) << c.what;
        EXPECT_TRUE(e->loaded);
        EXPECT_EQ(e->size, static_cast<int>(c.recorded.size())); // the entry is untouched
    }
    EXPECT_EQ(ticks, 4);
}

TEST_F(DataLayerTest, ReadModeTakesTheFirstEntryAndNeverFallsBackToDisk)
{
    set_datafile_mode(DataFileMode::Read);
    const std::string loose = write_file("loose", "on disk");
    add_entry("dup", "first");
    add_entry("dup", "second");
    add_entry("./Dup", "other spelling");
    int size = -1;
    EXPECT_EQ(load_file(loose.c_str(), "rb", &size, false), nullptr);
    EXPECT_EQ(load_gz_file(loose.c_str(), "rb", &size, false), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(take(load_file("dup", "rb", &size, false), size), "first");
    EXPECT_EQ(take(load_gz_file("dup", "rb", &size, false), size), "first");
    EXPECT_TRUE(data_entries[0]->loaded);
    EXPECT_FALSE(data_entries[1]->loaded);
    EXPECT_FALSE(data_entries[2]->loaded);
}

TEST_F(DataLayerTest, MarkLoadedTicksInReadModeOnly)
{
    add_entry("known", "k");
    mark_loaded("known");
    set_datafile_mode(DataFileMode::Write);
    mark_loaded("known");
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(data_entries[0]->loaded);
    set_datafile_mode(DataFileMode::Read);
    mark_loaded("known");
    mark_loaded("unknown");
    EXPECT_TRUE(data_entries[0]->loaded);
    EXPECT_EQ(ticks, 2);
}

TEST_F(DataLayerTest, GzipFileDecompressesAndWriteModeRecordsTheDecompressedBytes)
{
    const std::string text = "<Ableton>" + std::string(5000, 'n') + "</Ableton>";
    const std::string p = write_file("set.als", gzip_bytes(text));
    int size = 0;
    EXPECT_EQ(take(load_gz_file(p.c_str(), "rb", &size, true), size), text + '\0');
    EXPECT_EQ(size, static_cast<int>(text.size() + 1));

    set_datafile_mode(DataFileMode::Write);
    EXPECT_EQ(take(load_gz_file(p.c_str(), "rb", &size, false), size), text);
    ASSERT_EQ(data_entries.size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data_entries[0]->data), data_entries[0]->size), text);
    testing::internal::CaptureStdout();
    std::free(load_gz_file(p.c_str(), "rb", &size, false));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Skipping duplicate entry for " + p), std::string::npos);
    EXPECT_EQ(ticks, 2);

    set_datafile_mode(DataFileMode::Read);
    std::filesystem::remove(p); // read mode does not need the file
    EXPECT_EQ(take(load_gz_file(p.c_str(), "rb", &size, false), size), text);
}

struct BadGzip {
    const char* what;
    std::string bytes;
    std::string message; // pattern of the fatal message; @ stands for the path
};

TEST_F(DataLayerTest, BadGzipFilesAreFatalWithoutWildAllocation)
{
    const std::string good = gzip_bytes("hello gzip world, hello gzip world");
    auto with_trailer = [&](std::uint32_t isize) {
        std::string s = good;
        for (int i = 0; i < 4; ++i)
            s[s.size() - 4 + i] = static_cast<char>(isize >> (8 * i));
        return s;
    };
    std::string badData = good;
    badData[12] = static_cast<char>(badData[12] ^ 0x55);
    // Half of a longer stream, then its own trailer: the data ends early.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += std::to_string(i * i * 7919) + " ";
    const std::string longer = gzip_bytes(text);
    const std::string halfStream = longer.substr(0, longer.size() / 2) + longer.substr(longer.size() - 8);
    std::string badCrc = good;
    badCrc[badCrc.size() - 6] = static_cast<char>(badCrc[badCrc.size() - 6] ^ 1);
    // Each says what is wrong, after the loader's own words: zlib's reason, a
    // cut-short stream or data past the trailer's length.
    const char* mismatch = R"((Something went wrong reading from @, we got return value -1: [a-z].+|\[TODO/FIXME\] \(gzip\) flength of \d+ does not match \d+\n\(@ is cut short: .+\)|\[TODO/FIXME\] \(gzip\) flength of \d+ does not match \d+\n\(@ holds more decompressed bytes than its trailer claims\)))";
    const std::string halfLength = std::to_string(text.size());
    const BadGzip cases[] = {
        {"17 bytes", good.substr(0, 17), "@ is not a gzip file: 17 bytes, a gzip file has at least 18"},
        {"plain text", "this is not compressed at all", "@ is not a gzip file: it does not start with the gzip signature"},
        {"claims 4 GiB", with_trailer(0xffffffffu), R"(\(gzip\) @ claims 4294967295 decompressed bytes, more than its \d+ bytes can hold)"},
        {"claims more than deflate can give", with_trailer(200000), R"(\(gzip\) @ claims 200000 decompressed bytes, more than its \d+ bytes can hold)"},
        {"trailer too small", with_trailer(10), "Something went wrong reading from @, we got return value -1: incorrect length check"},
        {"trailer too large", with_trailer(40), "Something went wrong reading from @, we got return value -1: incorrect length check"},
        {"damaged deflate data", badData, "Something went wrong reading from @, we got return value -1: [a-z].+"},
        {"damaged check value", badCrc, "Something went wrong reading from @, we got return value -1: incorrect data check"},
        {"two members, trailer of the second", good + gzip_bytes("x"),
         R"(\[TODO/FIXME\] \(gzip\) flength of 1 does not match 35\n\(@ holds more decompressed bytes than its trailer claims\))"},
        {"half of the stream", halfStream,
         R"(\[TODO/FIXME\] \(gzip\) flength of )" + halfLength + R"( does not match \d+\n\(@ is cut short: .+\))"},
        {"cut off", good.substr(0, good.size() - 9) + good.substr(good.size() - 4), mismatch},
        {"empty content", gzip_bytes(""), "Something went wrong reading from @, we got return value 0: it holds no data"},
    };
    for (const BadGzip& c : cases) {
        const std::string p = write_file("bad.gz", c.bytes);
        int size = -1;
        const std::string message = fatal_message([&] { std::free(load_gz_file(p.c_str(), "rb", &size, true)); });
        const std::string pattern =
            std::regex_replace(c.message, std::regex("@"), std::regex_replace(p, std::regex(R"([.%/_])"), R"(\$&)"));
        EXPECT_TRUE(std::regex_match(message, std::regex(pattern))) << c.what << ": " << message;
        EXPECT_EQ(size, 0) << c.what;
    }
    EXPECT_EQ(ticks, 0);
}

// The crafted bad files kept beside the gzip fuzz target.
TEST_F(DataLayerTest, GzipRegressionFilesStopWithTheirFatalErrors)
{
    const std::pair<const char*, const char*> cases[] = {
        {"seventeen_bytes.gz", "@ is not a gzip file: 17 bytes, a gzip file has at least 18"},
        {"not_gzip.gz", "@ is not a gzip file: it does not start with the gzip signature"},
        {"huge_isize.gz", R"(\(gzip\) @ claims \d+ decompressed bytes, more than its 73 bytes can hold)"},
        {"isize_too_small.gz", "Something went wrong reading from @, we got return value -1: incorrect length check"},
        {"bad_crc.gz", "Something went wrong reading from @, we got return value -1: incorrect data check"},
        {"two_members.gz", R"(\[TODO/FIXME\] \(gzip\) flength of 1 does not match \d+\n\(@ holds more decompressed bytes than its trailer claims\))"},
        {"cut_in_the_middle.gz", R"(Something went wrong reading from @, we got return value -?\d+: .+|\[TODO/FIXME\] \(gzip\) flength of \d+ does not match \d+\n\(@ is cut short: .+\))"},
    };
    for (const auto& [file, message] : cases) {
        const std::string p = std::string(VELMO_SOURCE_DIR) + "/fuzz/regressions/gzip/" + file;
        ASSERT_TRUE(std::filesystem::exists(p)) << p;
        const std::string pattern =
            std::regex_replace(message, std::regex("@"), std::regex_replace(p, std::regex(R"([.%/_])"), R"(\$&)"));
        int size = -1;
        const std::string got = fatal_message([&] { std::free(load_gz_file(p.c_str(), "rb", &size, false)); });
        EXPECT_TRUE(std::regex_match(got, std::regex(pattern))) << file << ": " << got;
    }
}

} // namespace
