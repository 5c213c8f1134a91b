#include <gtest/gtest.h>

#include "../data/data_layer_fixture.h"
#include "util/ioutils/ioutils.h"

namespace {

using data_test::DataLayerTest;

TEST_F(DataLayerTest, ReadTextFileIsNulTerminatedOrNull)
{
    const std::string p = write_file("piece.glsl", "vec4 c;");
    char* text = read_text_file(p);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "vec4 c;");
    std::free(text);
    EXPECT_EQ(read_text_file(path("missing")), nullptr);
}

TEST_F(DataLayerTest, ReadTextFileInReadModeOfABinaryRecordingIsStillTerminated)
{
    set_datafile_mode(DataFileMode::Read);
    add_entry("piece", "abc"); // recorded by a binary load: no NUL
    char* text = read_text_file("piece");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "abc");
    std::free(text);
}

TEST_F(DataLayerTest, DeclareFileActsByMode)
{
    const std::string p = write_file("piece.glsl", "x");
    declare_file(p); // off: nothing
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(data_entries.empty());

    set_datafile_mode(DataFileMode::Write);
    declare_file(p);
    ASSERT_EQ(data_entries.size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data_entries[0]->data), 2), std::string("x\0", 2));
    testing::internal::CaptureStdout();
    declare_file(p);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("[DATA] Skipping duplicate entry for " + p + "\n"),
              std::string::npos);
    EXPECT_EQ(data_entries.size(), 1u);

    set_datafile_mode(DataFileMode::Read);
    declare_file(p);
    declare_file("not in the index");
    EXPECT_TRUE(data_entries[0]->loaded);
    EXPECT_EQ(ticks, 3);
}

TEST_F(DataLayerTest, FileExistsLooksAtTheDiskOnly)
{
    set_datafile_mode(DataFileMode::Read);
    add_entry("data/only/in/index", "x");
    EXPECT_TRUE(file_exists(write_file("face.png", "x")));
    EXPECT_FALSE(file_exists(folder.string()));
    EXPECT_FALSE(file_exists(path("missing")));
    EXPECT_FALSE(file_exists("data/only/in/index"));
}

TEST(IoUtils, ReplaceAll)
{
    const struct {
        std::string text, from, to, expected;
    } cases[] = {
        {"aaa", "a", "ba", "bababa"},
        {"in vec3 VERTEX_ATTRIB_POSITION; VERTEX_ATTRIB_POSITION", "VERTEX_ATTRIB_POSITION", "0", "in vec3 0; 0"},
        {"abcabc", "abc", "", ""},
        {"xyz", "q", "r", "xyz"},
        {"aaaa", "aa", "a", "aa"},
        {"abc", "", "x", "abc"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        replace_all(text, c.from, c.to);
        EXPECT_EQ(text, c.expected) << c.text << " / " << c.from << " -> " << c.to;
    }
}

TEST(IoUtils, ToString)
{
    EXPECT_EQ(to_string(-5), "-5");
    EXPECT_EQ(to_string(1234567), "1234567");
    EXPECT_EQ(to_string(1.5f, 3), "1.5");
    EXPECT_EQ(to_string(2.0f, 3), "2");
    EXPECT_EQ(to_string(3.14159f, 3), "3.14");
    EXPECT_EQ(to_string(1234567.0f, 3), "1.23e+06");
}

} // namespace
