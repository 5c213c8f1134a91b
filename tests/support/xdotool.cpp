#include "support/xdotool.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

void pause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

int runCommand(const std::vector<std::string>& args, const std::string& display)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string windowName(Display* dpy, ::Window w)
{
    XTextProperty prop;
    if (!XGetWMName(dpy, w, &prop) || !prop.value)
        return "";
    std::string name(reinterpret_cast<char*>(prop.value), prop.nitems);
    XFree(prop.value);
    return name;
}

} // namespace

XServer::XServer(int width, int height)
{
    // A server that is still shutting down removes its socket files last, so
    // a new server must not take its number before it has gone: the tests
    // hold a lock per number for the whole life of their server.
    for (int attempt = 0; attempt < 50 && display_.empty(); ++attempt) {
        const int number = 100 + (static_cast<int>(getpid()) * 7 + attempt * 131) % 900;
        const std::string lockPath = "/tmp/.velmo-e2e-display-" + std::to_string(number) + ".lock";
        const int lock = open(lockPath.c_str(), O_CREAT | O_RDWR, 0666);
        if (lock < 0)
            continue;
        if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
            close(lock);
            continue;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            close(lock);
            return;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            const std::string name = ":" + std::to_string(number);
            const std::string fd = std::to_string(fds[1]);
            const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
            execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its number once it accepts clients, or exits.
        std::string written;
        pollfd p{fds[0], POLLIN, 0};
        const auto end = Clock::now() + std::chrono::seconds(20);
        char c;
        while (Clock::now() < end && poll(&p, 1, 200) >= 0) {
            if (!(p.revents & (POLLIN | POLLHUP)))
                continue;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            written += c;
        }
        close(fds[0]);
        // It announces itself before its screens are set up: wait until a
        // client can really talk to it. (-noreset: by default the server
        // resets whenever its last client leaves, dropping whoever connects
        // meanwhile.)
        bool answers = false;
        while (written == std::to_string(number) && !answers && Clock::now() < end) {
            if (Display* dpy = XOpenDisplay((":" + written).c_str())) {
                XCloseDisplay(dpy);
                answers = true;
            } else {
                pause();
            }
        }
        if (answers) {
            pid_ = pid;
            lock_ = lock;
            display_ = ":" + written;
        } else {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            close(lock);
        }
    }
}

XServer::~XServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    // Only now, with its sockets gone, may another test take the number.
    if (lock_ >= 0)
        close(lock_);
}

Program::Program(const std::string& executable, const std::string& folder, const std::string& display,
                 const std::vector<std::string>& environment)
{
    outputPath_ = folder + "/program-output.txt";
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        setenv("DISPLAY", display.c_str(), 1);
        for (const std::string& e : environment) {
            const auto eq = e.find('=');
            setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        const int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

Program::~Program()
{
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool Program::running()
{
    if (ended_ || pid_ <= 0)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

bool Program::wait_exit(int timeoutMs, int* code)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running() && Clock::now() < end)
        pause();
    if (running())
        return false;
    *code = code_;
    return true;
}

std::string Program::output() const
{
    std::ifstream in(outputPath_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<Window> windows(const std::string& display)
{
    std::vector<Window> out;
    // Windows come and go while they are looked at: a vanished one is skipped.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy)
        return out;
    const Atom state = XInternAtom(dpy, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(dpy, "_NET_WM_STATE_FULLSCREEN", False);
    const Atom motif = XInternAtom(dpy, "_MOTIF_WM_HINTS", False);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(dpy, children[i], &attributes))
                continue;
            Window w;
            w.id = children[i];
            w.mapped = attributes.map_state == IsViewable;
            w.x = attributes.x;
            w.y = attributes.y;
            w.width = attributes.width;
            w.height = attributes.height;
            w.name = windowName(dpy, children[i]);
            XClassHint hint{};
            if (XGetClassHint(dpy, children[i], &hint)) {
                w.windowClass = hint.res_class ? hint.res_class : "";
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            Atom type;
            int format;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(dpy, children[i], state, 0, 64, False, XA_ATOM, &type, &format, &items, &after,
                                   &data) == Success && data) {
                const auto* atoms = reinterpret_cast<const Atom*>(data);
                for (unsigned long a = 0; a < items; ++a)
                    w.fullscreenState = w.fullscreenState || atoms[a] == fullscreen;
                XFree(data);
            }
            data = nullptr;
            if (XGetWindowProperty(dpy, children[i], motif, 0, 5, False, AnyPropertyType, &type, &format, &items,
                                   &after, &data) == Success && data) {
                const auto* hints = reinterpret_cast<const long*>(data);
                if (items >= 3 && (hints[0] & 2) && hints[2] == 0)
                    w.decorated = false;
                XFree(data);
            }
            if (w.mapped)
                out.push_back(w);
        }
        if (children)
            XFree(children);
    }
    XCloseDisplay(dpy);
    return out;
}

bool wait_for_window(const std::string& display, const std::string& namePrefix,
                     const std::string& windowClass, int timeoutMs, Program& program, Window* found)
{
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
        for (const Window& w : windows(display)) {
            const bool match = namePrefix.empty() ? w.windowClass == windowClass
                                                  : w.name.compare(0, namePrefix.size(), namePrefix) == 0;
            if (match) {
                if (found)
                    *found = w;
                return true;
            }
        }
        if (!program.running())
            return false;
        pause();
    }
    return false;
}

bool press(const std::string& display, unsigned long window, const std::string& keys)
{
    const std::string id = std::to_string(window);
    if (runCommand({"timeout", "10", "xdotool", "windowfocus", "--sync", id}, display) != 0)
        return false;
    std::vector<std::string> args = {"timeout", "10", "xdotool", "key", "--delay", "30"};
    std::istringstream in(keys);
    for (std::string k; in >> k;)
        args.push_back(k);
    return runCommand(args, display) == 0;
}

bool xdotool(const std::string& display, const std::string& arguments)
{
    std::vector<std::string> args = {"timeout", "10", "xdotool"};
    std::istringstream in(arguments);
    for (std::string a; in >> a;)
        args.push_back(a);
    return runCommand(args, display) == 0;
}

bool click_close_box(const std::string& display, unsigned long window)
{
    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy)
        return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(dpy, window, False, NoEventMask, &e);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return sent != 0;
}

std::string velmorin_path()
{
    const std::string top = std::string(VELMO_BINARY_DIR) + "/velmorin";
    struct stat st{};
    if (stat(top.c_str(), &st) == 0)
        return top;
    return std::string(VELMO_BINARY_DIR) + "/src/velmorin";
}

std::string production_setting(const std::string& key)
{
    std::ifstream in(std::string(VELMO_BINARY_DIR) + "/production.txt");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    return "";
}

std::string make_temp_folder()
{
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp"))
                        + "/velmo-e2e-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return "";
    return pattern;
}

} // namespace e2e
