// Message boxes with no display at all: neither the window library nor the
// toolkit can show one, so the failure and the whole text go to standard
// error and the box gives its default answer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/messagebox.h"

namespace {

TEST(MessageBoxWithoutDisplay, WritesTheTextToStandardErrorAndAnswersTheDefault)
{
    unsetenv("DISPLAY");
    const struct {
        UINT type;
        int expected;
        const char* answered;
    } cases[] = {
        {MB_OK | MB_ICONERROR, IDOK, "answered OK"},
        {MB_OKCANCEL | MB_ICONQUESTION, IDCANCEL, "answered Cancel"},  // the Escape answer
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        const int answer = MessageBoxA(nullptr, "First line\nsecond line", "A caption", c.type);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(answer, c.expected);
        EXPECT_NE(err.find("No message box could be shown"), std::string::npos) << err;
        EXPECT_NE(err.find("cannot open the X display"), std::string::npos) << err;
        EXPECT_NE(err.find(c.answered), std::string::npos) << err;
        EXPECT_NE(err.find("\nA caption\nFirst line\nsecond line\n"), std::string::npos) << err;
    }
}

TEST(MessageBoxWithoutDisplay, CopiesTheWholeTextToStandardOutputUnlessAskedNotTo)
{
    unsetenv("DISPLAY");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "First line\nsecond line", "A caption", MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "A caption\nFirst line\nsecond line\n");
    testing::internal::CaptureStdout();
    message_box_uncopied("First line\nsecond line", "A caption", MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::GetCapturedStderr();
}

}  // namespace
