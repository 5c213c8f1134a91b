#include <gtest/gtest.h>

#include <vector>

#include "platform/messages.h"
#include "platform/window.h"
#include "system/fatal_error.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

int quitMessages()
{
    int quits = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        quits += msg.message == WM_QUIT;
    return quits;
}

class WindowProc : public testing::Test {
protected:
    void SetUp() override { reset_message_queue_for_testing(); }
    void TearDown() override { reset_message_queue_for_testing(); }
};

TEST_F(WindowProc, EscapeAndDestroyPostOneQuitEachOtherKeysNone)
{
    struct Case {
        UINT message;
        WPARAM key;
        int quits;
    };
    const Case cases[] = {
        {WM_KEYDOWN, 27, 1},    {WM_SYSKEYDOWN, 27, 1}, {WM_KEYDOWN, 123, 0}, {WM_KEYDOWN, 'A', 0},
        {WM_SYSKEYDOWN, 'A', 0}, {WM_KEYUP, 27, 0},     {WM_DESTROY, 0, 1},   {WM_KEYDOWN, 0x11B, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowProc(nullptr, c.message, c.key, 0), 0);
        EXPECT_EQ(quitMessages(), c.quits) << c.message << " " << c.key;
    }
}

TEST_F(WindowProc, SizeMessagesSetTheSizeAsTheyCome)
{
    const std::pair<int, int> sizes[] = {{1280, 720}, {0, 0}, {640, 0}, {65535, 1}};
    for (auto [w, h] : sizes) {
        windowProc(nullptr, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(w), static_cast<WORD>(h)));
        EXPECT_EQ(VelmoSystem::width, w);
        EXPECT_EQ(VelmoSystem::height, h);
    }
}

TEST_F(WindowProc, QuitComesAfterThePendingMessagesAndNotToAWindowFilter)
{
    auto* window = reinterpret_cast<HWND>(0x1000);
    PostQuitMessage(0);
    PostMessageA(window, WM_PAINT, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

} // namespace

namespace {

TEST(CreateWindow, FullscreenInAModeTheDisplayLacksIsFatalAndTheClassRegistersOnce)
{
    const std::vector<DEVMODEA> modes = {DEVMODEA{156, 0, 32, 1920, 1080, 60}};
    set_display_modes_for_testing(&modes);
    set_fatal_error_throws(true);
    VelmoSystem::fullscreen = 1;
    VelmoSystem::width = 1234;
    VelmoSystem::height = 567;
    try {
        createWindow();
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Failed to set fullscreen mode");
    }
    try {
        createWindow();
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Failed to register window class");
    }
    set_fatal_error_throws(false);
    set_display_modes_for_testing(nullptr);
}

} // namespace
