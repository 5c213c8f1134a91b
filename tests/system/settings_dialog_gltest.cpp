// The settings dialog as a person uses it: real widgets on an X server of the
// test's own, driven from the keyboard by a second process while the dialog
// runs its modal loop here.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/xdotool.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

// Polls until the display shows `count` mapped windows; false after 10 s.
bool waitForWindowCount(const std::string& display, size_t count)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (e2e::windows(display).size() == count)
            return true;
        usleep(20000);
    }
    return false;
}

// In a child process: waits for the dialog and types each group of keys. A
// group that opens a combo box's menu is followed by a wait for the menu to
// appear, and the next group by a wait for it to close, so no key reaches the
// dialog while a menu is still on its way; the last group answers the dialog. Should the dialog not answer, the
// child ends it with Escape so the test fails instead of waiting forever.
pid_t typeIntoDialog(const std::string& display, const std::vector<std::string>& groups)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<e2e::Window> shown = e2e::windows(display);
        for (const e2e::Window& w : shown) {
            if (w.windowClass != "#32770")
                continue;
            const size_t base = shown.size();
            int code = 0;
            for (size_t g = 0; g < groups.size(); ++g) {
                const std::string& keys = groups[g];
                const bool opensMenu = keys.size() >= 5 && keys.compare(keys.size() - 5, 5, "space") == 0;
                const bool last = g + 1 == groups.size(); // answers the dialog, which then goes
                const size_t expected = opensMenu ? base + 1 : last ? base - 1 : base;
                if (!e2e::press(display, w.id, keys) || !waitForWindowCount(display, expected)) {
                    code = 2;
                    break;
                }
            }
            if (code != 0)
                e2e::press(display, w.id, "Escape Escape");
            _exit(code);
        }
        usleep(20000);
    }
    _exit(3);
}

TEST(SettingsDialogOnScreen, KeyboardChoicesReachTheSettings)
{
    e2e::XServer server(1024, 768);
    ASSERT_TRUE(server.ok());
    setenv("DISPLAY", server.display().c_str(), 1);
    VelmoSystem::title = "Glass Harbour Signal";

    // Anti-aliasing: from "4x" up to "None"; aspect: from "16:9" up to
    // "4:3"; vsync off by its shortcut; Enter runs.
    const pid_t typist = typeIntoDialog(server.display(),
        {"Tab space", "Up Up Return", "Tab space", "Up Return", "alt+v", "Return"});
    const int result = showSettingsDialog(nullptr, nullptr);
    int status = 0;
    waitpid(typist, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_EQ(result, 1);
    EXPECT_EQ(VelmoSystem::width, 1024);
    EXPECT_EQ(VelmoSystem::height, 768);
    EXPECT_EQ(VelmoSystem::samples, 1);
    EXPECT_EQ(VelmoSystem::aspectNumerator, 4);
    EXPECT_EQ(VelmoSystem::aspectDenominator, 3);
    EXPECT_EQ(VelmoSystem::vsync, 0);
    EXPECT_EQ(VelmoSystem::fullscreen, 1);
    EXPECT_FALSE(VelmoSystem::dumpVideo);

    // The dialog is gone once it has answered.
    for (const e2e::Window& w : e2e::windows(server.display()))
        EXPECT_NE(w.windowClass, "#32770");
}

} // namespace
