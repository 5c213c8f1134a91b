// A fatal error's box on a real X server of its own, 1280x720: a message
// with long lines, a long caption or a word longer than a line gives a box
// no wider than 1024 pixels that lies on the screen, in the window library's
// box and in the toolkit's box that takes its place when the first fails;
// the "ERROR: " line keeps the message whole. Each fatal error runs in a
// child process, forked before this one touches X.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <thread>

#include "platform/messagebox.h"
#include "support/xdotool.h"
#include "system/fatal_error.h"

namespace {

using Clock = std::chrono::steady_clock;

class FatalErrorBox : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << "Xvfb did not start";
        setenv("DISPLAY", server.display().c_str(), 1);
    }

    struct Outcome {
        e2e::Window box;     // width 0 when no box appeared
        int exitCode = -1;   // -1 when the process did not exit by itself
        std::string output;  // its standard output
    };

    // Raises the fatal error in a child process (the toolkit's box when the
    // window library's box is made to fail), answers its box with Return and
    // gives the box's geometry, the exit code and the standard output. The
    // child is forked before this process does anything with X, so no X
    // connection or lock crosses the fork.
    Outcome raise(const std::string& source, const std::string& message, bool toolkit)
    {
        Outcome o;
        int fds[2];
        if (pipe(fds) != 0)
            return o;
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            dup2(fds[1], 1);
            alarm(60);  // a box nobody answers must not hold the test
            if (toolkit)
                set_message_box_first_path([](const char*, const char*, UINT, int*, std::string* why) {
                    *why = "forced to fail";
                    return false;
                });
            fatal_error(source.c_str(), 66, message);
        }
        close(fds[1]);
        const auto end = Clock::now() + std::chrono::seconds(30);
        while (!o.box.width && Clock::now() < end) {
            for (const e2e::Window& w : e2e::windows(server.display()))
                if (w.name.rfind("Error in file", 0) == 0)
                    o.box = w;
            if (!o.box.width)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (o.box.width)
            e2e::press(server.display(), o.box.id, "Return");
        char buffer[4096];
        for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
            o.output.append(buffer, static_cast<std::size_t>(n));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status))
            o.exitCode = WEXITSTATUS(status);
        return o;
    }

    e2e::XServer server{1280, 720};
};

TEST_F(FatalErrorBox, LongLinesAndCaptionsStayOnScreen)
{
    // The sky box's face of another size, as the production's own faces
    // would name themselves: one line of 242 characters.
    const std::string faces = "data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_";
    const std::string faceSize = "Failed assert width == tex_array[i].get_width()\n" + faces +
                                 "up.png is 512x512, " + faces +
                                 "left.png is 256x256: every face of a cube map must have the first face's size";
    std::string deepSource = "src/effects";
    while (deepSource.size() < 300)
        deepSource += "/a_folder_with_a_long_name";
    deepSource += "/skybox.cpp";
    const struct {
        const char* name;
        std::string source;
        std::string message;
    } messages[] = {
        {"the sky box's face size", "src/util/texture/texturecube.cpp", faceSize},
        {"a caption of 340 characters", deepSource, "Failed to load cubemap"},
        {"a word of 300 characters", "src/util/data/data_layer.cpp",
         "Argh, failed to open " + std::string(300, 'x') + ".png\n2"},
    };
    for (const bool toolkit : {false, true}) {
        for (const auto& m : messages) {
            SCOPED_TRACE(std::string(m.name) + (toolkit ? " in the toolkit's box" : " in the window library's box"));
            const Outcome o = raise(m.source, m.message, toolkit);
            EXPECT_EQ(o.exitCode, 1);
            ASSERT_GT(o.box.width, 0) << "no box appeared";
            EXPECT_LE(o.box.width, 1024);
            EXPECT_GE(o.box.x, 0);
            EXPECT_LE(o.box.x + o.box.width, 1280);
            EXPECT_GE(o.box.y, 0);
            EXPECT_LE(o.box.y + o.box.height, 720);
            // The log line keeps the message whole, its line breaks as given.
            const std::size_t at = o.output.find("ERROR: ");
            ASSERT_NE(at, std::string::npos) << o.output;
            EXPECT_TRUE(std::regex_match(o.output.substr(at, 31),
                                         std::regex(R"(ERROR: \d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} )")))
                << o.output;
            EXPECT_EQ(o.output.substr(at + 31), m.message + "\n");
        }
    }
}

}  // namespace
