#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <cstdlib>
#include <string>

#include "platform/messagebox.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "system/fatal_error.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

// createWindow registers its class once per process: every case runs in a
// process of its own.
class OsWindows : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

[[noreturn]] void failWith(int code)
{
    std::fflush(stdout);
    std::_Exit(code);
}

TEST_F(OsWindows, WindowedClientAreaIsExactlyTheChosenSizeWithACurrentContext)
{
    EXPECT_EXIT(
        {
            VelmoSystem::hInstance = GetModuleHandleA(nullptr);
            VelmoSystem::fullscreen = 0;
            VelmoSystem::width = 1280;
            VelmoSystem::height = 720;
            createWindow();
            RECT rect{};
            if (!GetClientRect(VelmoSystem::hWnd, &rect) || rect.right != 1280 || rect.bottom != 720)
                failWith(2);
            if (VelmoSystem::width != 1280 || VelmoSystem::height != 720 || !VelmoSystem::hDC)
                failWith(3);
            if (window_is_fullscreen(VelmoSystem::hWnd) || !window_is_bordered(VelmoSystem::hWnd))
                failWith(4);
            if (!SDL_GL_GetCurrentContext() || glewInit() != GLEW_OK || !glGetString(GL_VERSION))
                failWith(5);
            // This machine's driver has every extension: no question.
            set_message_box_responder([](const char*, const char*, UINT) -> int { failWith(6); });
            checkExtensions();
            if (SDL_ShowCursor(SDL_QUERY) != SDL_DISABLE)
                failWith(7);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(OsWindows, FatalErrorLeavesFullscreenForA640x480NormalWindow)
{
    EXPECT_EXIT(
        {
            VelmoSystem::hInstance = GetModuleHandleA(nullptr);
            DEVMODEA current{};
            current.dmSize = 156;
            if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current))
                failWith(2);
            VelmoSystem::fullscreen = 1;
            VelmoSystem::width = static_cast<int>(current.dmPelsWidth);
            VelmoSystem::height = static_cast<int>(current.dmPelsHeight);
            createWindow();
            if (!window_is_fullscreen(VelmoSystem::hWnd) || window_is_bordered(VelmoSystem::hWnd))
                failWith(3);
            set_message_box_responder([](const char* text, const char* caption, UINT type) {
                HWND w = VelmoSystem::hWnd;
                RECT rect{};
                GetClientRect(w, &rect);
                if (window_is_fullscreen(w) || !window_is_bordered(w) || rect.right != 640 || rect.bottom != 480)
                    failWith(4);
                const std::string expected = "Error in file src\\tests\\place.cpp:12";
                if (caption != expected || std::string(text) != expected + "\n\nLost" || type != MB_OK)
                    failWith(5);
                return IDOK;
            });
            fatal_error("src/tests/place.cpp", 12, "Lost");
        },
        testing::ExitedWithCode(1), "");
}

} // namespace
