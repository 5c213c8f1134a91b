#pragma once
// Sync editors on the loopback address that misbehave in set ways, for
// showing that the sync client never holds a frame on its editor. Each one
// listens on a port (a free one, or one given, so that a well-behaved editor
// can take over the port of a misbehaving one), accepts every connection
// and plays its script on it in a thread of its own until it is stopped.
// Stopping closes the listener and every connection.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedEditor {
public:
    enum class Script {
        Silent,        // reads the greeting and never answers
        LateGreeting,  // answers the greeting after 5 s
        HalfMessage,   // answers, then sends half of a set-key message and stalls
        Trickle,       // answers, then sends set-key messages a byte every 100 ms
        WellBehaved,   // answers, then sends one set-key message and stays
    };
    // The key a well-behaved or trickling editor sends: track 0, row 4, value 2.5, Linear.
    static constexpr int kKeyRow = 4;
    static constexpr float kKeyValue = 2.5f;

    // Listens on the port (0: any free one); check listening().
    ScriptedEditor(Script script, unsigned short port = 0);
    ~ScriptedEditor();
    ScriptedEditor(const ScriptedEditor&) = delete;
    ScriptedEditor& operator=(const ScriptedEditor&) = delete;

    bool listening() const { return listener_ >= 0; }
    unsigned short port() const { return port_; }
    void stop();

    // Connections accepted so far, and the track names requested on them.
    int connections() const { return connections_; }
    std::vector<std::string> requestedTracks();

private:
    void acceptLoop();
    void play(int connection);
    // Waits up to `milliseconds`, or less when stopped; false once stopped.
    bool pause(int milliseconds);
    bool readGreeting(int connection);
    void readRequests(int connection);

    Script script_;
    int listener_ = -1;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<int> sockets_;
    std::vector<std::thread> players_;
    std::vector<std::string> requested_;
    std::thread acceptor_;
};
