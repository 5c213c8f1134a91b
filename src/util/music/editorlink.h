#pragma once
// The sync client's editor connection state that lasts across frames: a
// connection being opened step by step (connect, greeting sent, answer read
// as its bytes come), and the editor's bytes that do not make a whole
// message yet. Nothing here waits: each step does what the socket allows now.
#include <chrono>
#include <cstddef>
#include <vector>

#include <netinet/in.h>

struct SyncLink {
    // The connection being opened: the host's addresses, the next one to
    // try, the socket of the current try (-1 when no attempt runs).
    std::vector<sockaddr_in> addresses;
    std::size_t nextAddress = 0;
    int attemptSocket = -1;
    bool connected = false;  // the current try's connect is done, the greeting sent
    std::chrono::steady_clock::time_point deadline;
    char answer[12] = {};
    int answerBytes = 0;

    // Bytes from the editor from inboxStart on, not yet handled.
    std::vector<unsigned char> inbox;
    std::size_t inboxStart = 0;
};

// How long the editor may take to answer the greeting: at start-up the show
// waits that long for it; later, an attempt that has not been answered
// within that time of its start fails (without any frame waiting for it).
constexpr int kEditorGreetingMs = 1000;

enum class LinkStep { Waiting, Connected, Failed };

// One step of opening a greeted connection to the editor. The first step
// resolves the host and starts connecting; later steps carry the same
// attempt on. Connected: *socket is the greeted connection (in blocking
// mode, as one opened at start-up) and the link holds no attempt any more.
// Failed: nothing is left open, and the next step starts a new attempt.
LinkStep stepEditorConnection(SyncLink& link, const char* host, unsigned short port, int* socket);
// Closes the attempt under way, if any.
void abandonEditorConnection(SyncLink& link);
