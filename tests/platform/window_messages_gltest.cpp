// Real key presses and window changes, typed by xdotool into the window on an
// X server of this test's own, arrive as window messages with the virtual-key
// codes the window procedure expects.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/messages.h"
#include "platform/window.h"
#include "support/xdotool.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

struct Key {
    UINT message;
    WPARAM vk;
};

// Takes the window's key messages until `count` have come (bounded wait).
std::vector<Key> keyMessages(std::size_t count)
{
    std::vector<Key> keys;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (keys.size() < count && std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageA(&msg, VelmoSystem::hWnd, 0, 0, PM_REMOVE)) {
            if (msg.message >= WM_KEYDOWN && msg.message <= WM_SYSKEYUP)
                keys.push_back({msg.message, msg.wParam});
        }
    }
    return keys;
}

TEST(WindowMessages, KeysPointerAndSizeArriveAsWindowMessages)
{
    e2e::XServer server(800, 600);
    ASSERT_TRUE(server.ok());
    setenv("DISPLAY", server.display().c_str(), 1);

    VelmoSystem::hInstance = GetModuleHandleA(nullptr);
    VelmoSystem::fullscreen = 0;
    VelmoSystem::width = 320;
    VelmoSystem::height = 240;
    createWindow();
    ASSERT_NE(VelmoSystem::hWnd, nullptr);
    EXPECT_EQ(VelmoSystem::width, 320);
    EXPECT_EQ(VelmoSystem::height, 240);

    unsigned long id = 0;
    for (const e2e::Window& w : e2e::windows(server.display()))
        if (w.width == 320 && w.height == 240)
            id = w.id;
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(e2e::press(server.display(), id, "a F12 Escape alt+x KP_Enter"));

    const std::vector<Key> expected = {
        {WM_KEYDOWN, 'A'},         {WM_KEYUP, 'A'},
        {WM_KEYDOWN, VK_F12},      {WM_KEYUP, VK_F12},
        {WM_KEYDOWN, VK_ESCAPE},   {WM_KEYUP, VK_ESCAPE},
        // xdotool lets go of Alt first: X comes up as a plain key.
        {WM_SYSKEYDOWN, VK_MENU},  {WM_SYSKEYDOWN, 'X'},
        {WM_SYSKEYUP, VK_MENU},    {WM_KEYUP, 'X'},
        {WM_KEYDOWN, VK_RETURN},   {WM_KEYUP, VK_RETURN},
    };
    const std::vector<Key> keys = keyMessages(expected.size());
    ASSERT_EQ(keys.size(), expected.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].message, expected[i].message) << i;
        EXPECT_EQ(keys[i].vk, expected[i].vk) << i;
    }
    // Escape went by: it was down and pressed since nobody asked.
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1);

    // The pointer and the window's size.
    const std::string w = std::to_string(id);
    ASSERT_TRUE(e2e::xdotool(server.display(), "mousemove --window " + w + " 30 40 click 3 click 1 click 4 click 5"));
    ASSERT_TRUE(e2e::xdotool(server.display(), "windowsize --sync " + w + " 400 300"));
    std::vector<UINT> mouse;
    std::vector<int> wheel;
    bool sized = false, moved = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sized && std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageA(&msg, VelmoSystem::hWnd, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_MOUSEMOVE)
                moved = moved || msg.lParam == MAKELPARAM(30, 40);
            else if (msg.message >= WM_LBUTTONDOWN && msg.message <= WM_RBUTTONUP)
                mouse.push_back(msg.message);
            else if (msg.message == WM_MOUSEWHEEL)
                wheel.push_back(static_cast<SHORT>(HIWORD(msg.wParam)));
            else if (msg.message == WM_SIZE)
                sized = msg.lParam == MAKELPARAM(400, 300);
        }
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(mouse, (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(wheel, (std::vector<int>{120, -120}));
    EXPECT_TRUE(sized);

    // The close box: WM_CLOSE, whose default handling destroys the window,
    // whose procedure posts the quit message.
    ASSERT_TRUE(e2e::click_close_box(server.display(), id));
    bool quit = false;
    const auto closeEnd = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!quit && std::chrono::steady_clock::now() < closeEnd) {
        MSG msg;
        while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            quit = msg.message == WM_QUIT;
            DispatchMessageA(&msg);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(VelmoSystem::hWnd));
}

} // namespace
