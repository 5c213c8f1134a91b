// The real program under an X server of its own, its settings dialog and
// message boxes answered with the keyboard.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "support/xdotool.h"

namespace {

using e2e::Program;
using e2e::Window;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kWait = 30000; // ms; every wait ends as soon as its event happens
const std::string kTitle = e2e::production_setting("title");
const std::string kDialogClass = "#32770";
const std::string kWindowClass = "velmorin";
// Mesa's own switch, to make the driver lack one of the checked extensions.
const std::string kNoAnisotropicFiltering = "MESA_EXTENSION_OVERRIDE=-GL_EXT_texture_filter_anisotropic";

class Startup : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        folder = e2e::make_temp_folder();
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override
    {
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }

    std::unique_ptr<Program> start(const std::vector<std::string>& environment = {},
                                   const std::string& where = "")
    {
        auto p = std::make_unique<Program>(e2e::velmorin_path(), where.empty() ? folder : where,
                                           server.display(), environment);
        EXPECT_TRUE(e2e::wait_for_window(server.display(), "", kDialogClass, kWait, *p, &dialog))
            << "no settings dialog\n" << p->output();
        EXPECT_EQ(dialog.name, kTitle);
        return p;
    }

    bool find(const std::string& namePrefix, Program& p, Window* w)
    {
        return e2e::wait_for_window(server.display(), namePrefix, "", kWait, p, w);
    }

    bool findGlWindow(Program& p, Window* w)
    {
        return e2e::wait_for_window(server.display(), "", kWindowClass, kWait, p, w);
    }

    // Waits for the end; meanwhile no OpenGL window may show up.
    int exitWithoutWindow(Program& p)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWait);
        while (p.running() && std::chrono::steady_clock::now() < end) {
            for (const Window& w : e2e::windows(server.display()))
                EXPECT_NE(w.windowClass, kWindowClass) << "a window was opened";
        }
        int code = -1;
        EXPECT_TRUE(p.wait_exit(0, &code)) << "still running";
        return code;
    }

    int exitCode(Program& p)
    {
        int code = -1;
        EXPECT_TRUE(p.wait_exit(kWait, &code)) << "still running";
        return code;
    }

    e2e::XServer server{kScreenWidth, kScreenHeight};
    std::string folder;
    Window dialog;
};

TEST_F(Startup, EscapeInTheDialogEndsWithZeroAndNoWindow)
{
    auto p = start();
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "Escape"));
    EXPECT_EQ(exitWithoutWindow(*p), 0);
    EXPECT_EQ(p->output(), "");
}

TEST_F(Startup, TheDialogsCloseBoxEndsWithZeroAndNoWindow)
{
    auto p = start();
    ASSERT_TRUE(e2e::click_close_box(server.display(), dialog.id));
    EXPECT_EQ(exitWithoutWindow(*p), 0);
}

TEST_F(Startup, QuitButtonEndsWithZero)
{
    auto p = start();
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+q"));
    EXPECT_EQ(exitWithoutWindow(*p), 0);
}

// Run with the fullscreen box cleared: the window's client area is the chosen
// size; the extension question is asked over it (OK goes on); the missing
// packed data file is fatal, which turns the window into a normal 640x480
// window behind the error box.
TEST_F(Startup, WindowedRunThenExtensionQuestionThenFatalError)
{
    auto p = start({kNoAnisotropicFiltering});
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+f Return"));

    Window question;
    ASSERT_TRUE(find("Missing extension(s)", *p, &question)) << p->output();
    Window gl;
    ASSERT_TRUE(findGlWindow(*p, &gl));
    EXPECT_EQ(gl.name, kTitle);
    EXPECT_EQ(gl.width, kScreenWidth);
    EXPECT_EQ(gl.height, kScreenHeight);
    EXPECT_TRUE(gl.decorated);
    EXPECT_FALSE(gl.fullscreenState);
    for (const Window& w : e2e::windows(server.display()))
        EXPECT_NE(w.windowClass, kDialogClass) << "the dialog is still open";

    ASSERT_TRUE(e2e::press(server.display(), question.id, "Return"));
    Window box;
    ASSERT_TRUE(find("Error in file ", *p, &box)) << p->output();
    EXPECT_TRUE(std::regex_match(box.name, std::regex(R"(Error in file src\\[a-z\\_]+\.cpp:\d+)"))) << box.name;
    ASSERT_TRUE(findGlWindow(*p, &gl));
    EXPECT_EQ(gl.x, 0);
    EXPECT_EQ(gl.y, 0);
    EXPECT_EQ(gl.width, 640);
    EXPECT_EQ(gl.height, 480);
    EXPECT_TRUE(gl.decorated);
    EXPECT_FALSE(gl.fullscreenState);

    ASSERT_TRUE(e2e::press(server.display(), box.id, "Return"));
    EXPECT_EQ(exitCode(*p), 1);
    EXPECT_TRUE(std::regex_search(p->output(),
        std::regex(R"(ERROR: \d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3} Failed to open data file data\.vlm)")))
        << p->output();
}

// Run as the dialog opens (fullscreen ticked): the window covers the display
// undecorated; the fatal error takes it out of fullscreen into a normal
// 640x480 window.
TEST_F(Startup, FullscreenRunThenFatalErrorLeavesFullscreen)
{
    auto p = start({kNoAnisotropicFiltering});
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "Return"));
    Window question;
    ASSERT_TRUE(find("Missing extension(s)", *p, &question)) << p->output();
    Window gl;
    ASSERT_TRUE(findGlWindow(*p, &gl));
    EXPECT_FALSE(gl.decorated);
    EXPECT_EQ(gl.x, 0);
    EXPECT_EQ(gl.y, 0);
    EXPECT_EQ(gl.width, kScreenWidth);
    EXPECT_EQ(gl.height, kScreenHeight);

    ASSERT_TRUE(e2e::press(server.display(), question.id, "Return"));
    Window box;
    ASSERT_TRUE(find("Error in file ", *p, &box)) << p->output();
    ASSERT_TRUE(findGlWindow(*p, &gl));
    EXPECT_TRUE(gl.decorated);
    EXPECT_EQ(gl.width, 640);
    EXPECT_EQ(gl.height, 480);
    ASSERT_TRUE(e2e::press(server.display(), box.id, "Return"));
    EXPECT_EQ(exitCode(*p), 1);
}

TEST_F(Startup, GetAviGoesOnInAWindowEvenWithFullscreenTicked)
{
    auto p = start({kNoAnisotropicFiltering});
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+a"));
    Window question;
    ASSERT_TRUE(find("Missing extension(s)", *p, &question)) << p->output();
    Window gl;
    ASSERT_TRUE(findGlWindow(*p, &gl));
    EXPECT_TRUE(gl.decorated);
    EXPECT_FALSE(gl.fullscreenState);
    // Cancel at the question ends the run at once, without an error.
    ASSERT_TRUE(e2e::press(server.display(), question.id, "Escape"));
    EXPECT_EQ(exitCode(*p), 1);
    EXPECT_EQ(p->output().find("ERROR: "), std::string::npos) << p->output();
}

// From the build folder, which holds the packed data file: once loading
// has finished, Escape ends the show with exit code 0, never as an error.
TEST_F(Startup, EscapeInTheShowEndsTheRun)
{
    const std::string where = VELMO_BINARY_DIR;
    struct stat st{};
    ASSERT_EQ(stat((where + "/data.vlm").c_str(), &st), 0) << "no data.vlm in the build folder";
    auto p = start({}, where);
    ASSERT_TRUE(e2e::press(server.display(), dialog.id, "alt+f Return"));
    Window gl;
    ASSERT_TRUE(findGlWindow(*p, &gl)) << p->output();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWait);
    while (p->output().find("Loading finished\n") == std::string::npos && p->running() &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(p->output().find("Loading finished\n"), std::string::npos) << p->output();
    ASSERT_TRUE(e2e::press(server.display(), gl.id, "Escape"));
    EXPECT_EQ(exitCode(*p), 0);
    EXPECT_EQ(p->output().find("ERROR: "), std::string::npos) << p->output();
}

} // namespace
