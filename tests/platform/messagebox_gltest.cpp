// Message boxes when the window library cannot show one: the toolkit's box
// takes its place with the same caption, and Return and Escape answer as
// they would in the first box. Under an X server of its own, so that no
// other test takes the keyboard focus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include "platform/messagebox.h"
#include "support/xdotool.h"

namespace {

using Clock = std::chrono::steady_clock;

class ToolkitFallback : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        setenv("DISPLAY", server.display().c_str(), 1);
        set_message_box_first_path([this](const char*, const char*, UINT, int*, std::string* why) {
            ++firstPathCalls;
            *why = "forced to fail";
            return false;
        });
    }
    void TearDown() override { set_message_box_first_path({}); }

    // Shows the box on a thread of its own, answers it with `keys` once a
    // window captioned `caption` is up, and returns the box's answer (-1
    // when no such window appeared or the box did not end).
    int answer(const char* text, const char* caption, UINT type, const std::string& keys)
    {
        std::packaged_task<int()> task([=] { return MessageBoxA(nullptr, text, caption, type); });
        std::future<int> result = task.get_future();
        std::thread shower(std::move(task));
        const auto end = Clock::now() + std::chrono::seconds(20);
        unsigned long box = 0;
        while (!box && Clock::now() < end) {
            for (const e2e::Window& w : e2e::windows(server.display()))
                if (w.mapped && w.name == caption)
                    box = w.id;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (box)
            e2e::press(server.display(), box, keys);
        if (!box || result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            shower.detach();  // still blocked in the box: the process ends it
            return -1;
        }
        shower.join();
        return result.get();
    }

    e2e::XServer server{320, 240};
    int firstPathCalls = 0;
};

TEST_F(ToolkitFallback, AnswersLikeTheFirstBox)
{
    const struct {
        UINT type;
        const char* keys;
        int expected;
    } cases[] = {
        {MB_OK, "Return", IDOK},
        {MB_OK | MB_ICONERROR, "Escape", IDOK},  // the only button
        {MB_OKCANCEL | MB_ICONQUESTION, "Return", IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, "Escape", IDCANCEL},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string caption = "Fallback box " + std::to_string(++n);
        EXPECT_EQ(answer("Some text\non two lines", caption.c_str(), c.type, c.keys), c.expected)
            << caption << " answered with " << c.keys;
    }
    EXPECT_EQ(firstPathCalls, n);
}

}  // namespace
