// Message boxes on real X servers of their own, 1280x720 and 1024x768: a
// fatal error's box and a shader's compile-log box, with long lines, a long
// caption, a word longer than a line, many lines, characters beyond U+FFFF,
// CJK characters, an "@" or a line of thousands of characters, fit on the
// screen in width and height and show their lines, in the window library's
// box and in the toolkit's box that takes its place when the first fails.
// Standard output keeps every text whole: the log box's copy, then the fatal
// error's "ERROR: " line. Each run happens in a child process, forked before
// this one touches X.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <regex>
#include <map>
#include <string>
#include <thread>

#include "platform/messagebox.h"
#include "support/gl_context.h"
#include "support/xdotool.h"
#include "system/fatal_error.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Screen {
    int width, height;
};

// A box leaves a window manager room for its title bar and a panel.
constexpr int kTallestBox = 640;
// The smaller of the two boxes' line heights.
constexpr int kLineHeight = 15;

class MessageBoxOnScreen : public testing::TestWithParam<Screen> {
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

    // Runs `raise` in a child process (with the toolkit's box when the
    // window library's box is made to fail), answers each of its boxes with
    // Return and gives the geometry of the first box captioned `caption`,
    // the exit code and the standard output. The child is forked before this
    // process does anything with X, so no X connection or lock crosses the
    // fork.
    Outcome run(const std::function<void()>& raise, const std::string& caption, bool toolkit)
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
            raise();
            std::_Exit(2);  // a raise that does not end in a fatal error
        }
        close(fds[1]);
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        // A box's window id may come back for the next box, and a Return
        // pressed as a box maps may go astray: a box still there a second
        // after its Return gets another.
        std::map<unsigned long, Clock::time_point> answered;
        int status = 0;
        bool ended = false;
        const auto end = Clock::now() + std::chrono::seconds(50);
        while (!ended && Clock::now() < end) {
            std::map<unsigned long, Clock::time_point> stillThere;
            for (const e2e::Window& w : e2e::windows(server.display())) {
                const bool ours = w.name.rfind(caption, 0) == 0;
                if (!w.mapped || !(ours || w.name.rfind("Error in file", 0) == 0))
                    continue;
                const auto a = answered.find(w.id);
                if (a != answered.end() && Clock::now() - a->second < std::chrono::seconds(1)) {
                    stillThere.insert(*a);
                    continue;
                }
                if (ours && !o.box.width)
                    o.box = w;
                e2e::press(server.display(), w.id, "Return");
                stillThere[w.id] = Clock::now();
            }
            answered = std::move(stillThere);
            read_available(fds[0], o.output);
            ended = waitpid(child, &status, WNOHANG) == child;
            if (!ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!ended)
            waitpid(child, &status, 0);  // its alarm ends it
        read_available(fds[0], o.output);
        close(fds[0]);
        if (WIFEXITED(status))
            o.exitCode = WEXITSTATUS(status);
        return o;
    }

    static void read_available(int fd, std::string& out)
    {
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            out.append(buffer, static_cast<std::size_t>(n));
    }

    e2e::XServer server{GetParam().width, GetParam().height};
};

// A fragment shader naming `names` variables nobody declared, compiled for
// real: its compile log has a line or two for each.
void compile_undeclared_names(int names)
{
    if (!gltest::ensure_context())
        std::_Exit(3);
    ShaderConstructor constructor("Undeclared", "#version 120");
    constructor.add_vert_body_line("gl_Position = vec4(0.0);");
    for (int i = 0; i < names; ++i)
        constructor.add_frag_body_line("gl_FragColor.r += undeclared" + std::to_string(i) + " * 2.0;");
    ShaderProgram program(&constructor);
}

std::string numbered_lines(int n)
{
    std::string text = "Failed assert lines.empty()";
    for (int i = 1; i <= n; ++i)
        text += "\n line " + std::to_string(i) + " of " + std::to_string(n);
    return text;
}

std::string repeated(const std::string& piece, int n)
{
    std::string text;
    while (n-- > 0)
        text += piece;
    return text;
}

TEST_P(MessageBoxOnScreen, EveryBoxFitsAndStandardOutputKeepsItsText)
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
    std::string atPaths = "Argh, failed to open data/music/songs@home/song.mid, looked in:";
    for (const char* folder : {"data", "data/common", "data/music", "data/music/old", "songs", "songs/new"})
        atPaths += std::string("\n ") + folder + "/songs@home/song.mid";

    const std::string longWord = "Argh, failed to open " + std::string(300, 'x') + ".png\n2";
    const std::string logCaption = "Fragment shader compilation failed: ";
    const std::string logStart = logCaption + "\n--- Fragment shader compile failed, log:\n ";
    const std::string logFatal = "Shader compile and link failed! (generated program Undeclared)";
    const struct {
        const char* name;
        std::function<void()> raise;
        std::string caption;  // of the box measured
        int lines;            // that the box shows at least
        std::string copyStart, copyHolds;  // standard output before the "ERROR: " line
        std::string fatal;    // the "ERROR: " line's message
    } rows[] = {
        {"the sky box's face size", [&] { fatal_error("src/util/texture/texturecube.cpp", 66, faceSize); },
         "Error in file", 5, "", "", faceSize},
        {"a caption of 340 characters", [&] { fatal_error(deepSource.c_str(), 66, "Failed to load cubemap"); },
         "Error in file", 3, "", "", "Failed to load cubemap"},
        {"a word of 300 characters",
         [&] { fatal_error("src/util/data/data_layer.cpp", 66, longWord); }, "Error in file", 4, "", "", longWord},
        {"a log of 30 undeclared names", [] { compile_undeclared_names(30); }, logCaption, 25, logStart,
         "undeclared29", logFatal},
        {"a log of 200 undeclared names", [] { compile_undeclared_names(200); }, logCaption, 25, logStart,
         "undeclared199", logFatal},
        {"60 lines", [] { fatal_error("src/util/data/data_layer.cpp", 66, numbered_lines(60)); }, "Error in file",
         25, "", "", numbered_lines(60)},
        {"150 characters beyond U+FFFF",
         [] { fatal_error("src/util/data/data_layer.cpp", 66, "Argh, failed to open " + repeated("\U0001F600", 150)); },
         "Error in file", 4, "", "", "Argh, failed to open " + repeated("\U0001F600", 150)},
        {"150 CJK characters",
         [] { fatal_error("src/util/data/data_layer.cpp", 66, "Argh, failed to open " + repeated("\u4e2d", 150)); },
         "Error in file", 5, "", "", "Argh, failed to open " + repeated("\u4e2d", 150)},
        {"paths with an @", [&] { fatal_error("src/util/music/music.cpp", 66, atPaths); }, "Error in file", 9, "", "",
         atPaths},
        {"a line of 4,400 characters",
         [] { fatal_error("src/util/data/data_layer.cpp", 66, "Argh, failed to open " + std::string(4400, 'x')); },
         "Error in file", 25, "", "", "Argh, failed to open " + std::string(4400, 'x')},
    };
    const Screen screen = GetParam();
    for (const bool toolkit : {false, true}) {
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string(r.name) + (toolkit ? " in the toolkit's box" : " in the window library's box"));
            const Outcome o = run(r.raise, r.caption, toolkit);
            EXPECT_EQ(o.exitCode, 1);
            ASSERT_GT(o.box.width, 0) << "no box appeared";
            EXPECT_LE(o.box.width, 1024);
            EXPECT_GE(o.box.x, 0);
            EXPECT_LE(o.box.x + o.box.width, screen.width);
            EXPECT_GE(o.box.y, 0);
            EXPECT_LE(o.box.y + o.box.height, screen.height);
            EXPECT_LE(o.box.height, kTallestBox);
            EXPECT_GE(o.box.height, kLineHeight * r.lines) << "the box leaves out lines it has room for";
            // The log box's text once, whole, then the fatal error's line
            // with the message whole, its line breaks as given.
            const std::size_t at = o.output.rfind("ERROR: ");
            ASSERT_NE(at, std::string::npos) << o.output;
            const std::string copy = o.output.substr(0, at);
            if (r.copyStart.empty()) {
                EXPECT_EQ(copy, "");
            } else {
                EXPECT_EQ(copy.rfind(r.copyStart, 0), 0u) << copy;
                EXPECT_EQ(copy.find(r.copyStart, 1), std::string::npos) << copy;
                EXPECT_NE(copy.find(r.copyHolds), std::string::npos) << copy;
            }
            EXPECT_TRUE(std::regex_match(o.output.substr(at, 31),
                                         std::regex(R"(ERROR: \d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:\d{3} )")))
                << o.output;
            EXPECT_EQ(o.output.substr(at + 31), r.fatal + "\n");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, MessageBoxOnScreen, testing::Values(Screen{1280, 720}, Screen{1024, 768}),
                         [](const testing::TestParamInfo<Screen>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
