// The settings dialog as a person uses it: real widgets on an X server of the
// test's own, driven from the keyboard by a second process while the dialog
// runs its modal loop here.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "support/xdotool.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

// In a child process: waits for the dialog and types the keys.
pid_t typeIntoDialog(const std::string& display, const std::string& keys)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        for (const e2e::Window& w : e2e::windows(display)) {
            if (w.windowClass == "#32770")
                _exit(e2e::press(display, w.id, keys) ? 0 : 2);
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
    const pid_t typist = typeIntoDialog(server.display(), "Tab space Up Up Return Tab space Up Return alt+v Return");
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
