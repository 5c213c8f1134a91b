#pragma once
// Driving the real program under a private X server, as a person would:
// its own Xvfb per test (so parallel tests never share a keyboard focus),
// the program started in a folder of the test's choosing, windows found by
// name or class, keys typed with xdotool and close boxes clicked through
// the window-manager protocol. Every wait is bounded.
#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

// An Xvfb of its own, stopped by its process id when destroyed.
class XServer {
public:
    XServer(int width, int height);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    int lock_ = -1;
    std::string display_;
};

// The program, its standard output and error going to a file.
class Program {
public:
    Program(const std::string& executable, const std::string& folder, const std::string& display,
            const std::vector<std::string>& environment = {});
    ~Program(); // ends it (by its id) if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool running();
    // Waits for the end; false on time-out. The exit code goes to *code
    // (-1 when killed by a signal).
    bool wait_exit(int timeoutMs, int* code);
    std::string output() const;

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int code_ = -1;
    std::string outputPath_;
};

struct Window {
    unsigned long id = 0;
    std::string name;
    std::string windowClass;
    int x = 0, y = 0, width = 0, height = 0;
    bool fullscreenState = false; // _NET_WM_STATE holds _NET_WM_STATE_FULLSCREEN
    // Asks the window manager for a frame (no Motif hint turning decorations
    // off). Without a window manager a fullscreen window is an undecorated
    // window the size of the display.
    bool decorated = true;
    bool mapped = false;
};

// The mapped top-level windows of the display.
std::vector<Window> windows(const std::string& display);
// Polls until a mapped window whose name starts with `namePrefix` (or whose
// class is `windowClass` when namePrefix is empty) exists; false on time-out
// or when `program` has ended meanwhile.
bool wait_for_window(const std::string& display, const std::string& namePrefix,
                     const std::string& windowClass, int timeoutMs, Program& program, Window* found);
// Gives the window the keyboard focus and types the keys (xdotool key names).
bool press(const std::string& display, unsigned long window, const std::string& keys);
// Runs xdotool with these arguments (split at blanks); true when it succeeds.
bool xdotool(const std::string& display, const std::string& arguments);
// What a window manager does when its close box is clicked: WM_DELETE_WINDOW.
bool click_close_box(const std::string& display, unsigned long window);

// The velmorin executable of this build.
std::string velmorin_path();
// A setting of the build's production ("index", "title", "music", "bpm"),
// from the production.txt the build writes beside velmorin.
std::string production_setting(const std::string& key);
// A new empty folder under the system's temporary folder.
std::string make_temp_folder();

} // namespace e2e
