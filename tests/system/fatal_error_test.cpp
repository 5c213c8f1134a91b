#include <gtest/gtest.h>

#include <regex>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "system/log_message.h"

namespace {

TEST(LogMessage, WritesStampThenTextUnchanged)
{
    testing::internal::CaptureStdout();
    log_message("100% done %s %d\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::regex_match(out, std::regex(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} 100% done %s %d\n)")))
        << out;
}

TEST(FatalErrorDeath, ShowsCaptionAndBoxTextThenPrintsErrorLineAndExitsWithOne)
{
    EXPECT_EXIT(
        {
            set_message_box_responder([](const char* text, const char* caption, UINT type) {
                // The box's text repeats the caption, an empty line and the message.
                const std::string expectCaption = "Error in file src\\tests\\here.cpp:56";
                if (caption != expectCaption || std::string(text) != expectCaption + "\n\nboom"
                    || type != MB_OK)
                    std::_Exit(3);
                return IDOK;
            });
            fatal_error("src/tests/here.cpp", 56, "boom");
        },
        testing::ExitedWithCode(1), "");
}

TEST(FatalErrorDeath, ErrorLineHasStampAndMessage)
{
    testing::internal::CaptureStdout();
    EXPECT_EXIT(
        {
            set_message_box_responder([](const char*, const char*, UINT) { return IDOK; });
            std::fflush(stdout);
            FATAL_ERROR("Unknown scene set!");
        },
        testing::ExitedWithCode(1), "");
    // The child's stdout goes to the same captured stream.
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::regex_search(out, std::regex(
        R"(ERROR: \d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} Unknown scene set!\n)")))
        << out;
}

TEST(FatalError, AssertionFormsReadWithOperandsWhenThrowing)
{
    set_fatal_error_throws(true);
    const int mode = 0;
    try {
        VELMO_ASSERT_EQ(1, mode);
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_EQ(std::string(e.what()), "Failed assert 1 == mode\n 1 is 1\n mode is 0");
        EXPECT_EQ(e.sourcePath, "tests\\system\\fatal_error_test.cpp");
    }
    try {
        VELMO_ASSERT(mode > 0);
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_EQ(std::string(e.what()), "Failed assert mode > 0");
    }
    set_fatal_error_throws(false);
}

} // namespace
