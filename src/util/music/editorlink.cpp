#include "util/music/editorlink.h"

#include <cstring>

#include "platform/sockets.h"
#include "util/music/syncclient.h"

namespace {

const char kClientGreeting[] = "hello, synctracker!";
const char kServerGreeting[] = "hello, demo!";

bool startedSockets = false;

// Starts the socket library once for the process; false when it fails (the
// next call tries again).
bool startSockets()
{
    if (!startedSockets) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
            return false;
        startedSockets = true;
    }
    return true;
}

// The host's IPv4 addresses at `port`; empty when it has none.
std::vector<sockaddr_in> addressesOf(const char* host, unsigned short port)
{
    std::vector<sockaddr_in> addresses;
    const hostent* entry = gethostbyname(host);
    if (!entry || !entry->h_addr_list || entry->h_addrtype != AF_INET)
        return addresses;
    for (char** address = entry->h_addr_list; *address; ++address) {
        sockaddr_in sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        const std::size_t length = entry->h_length < static_cast<int>(sizeof sa.sin_addr)
            ? static_cast<std::size_t>(entry->h_length) : sizeof sa.sin_addr;
        std::memcpy(&sa.sin_addr, *address, length);
        addresses.push_back(sa);
    }
    return addresses;
}

// Resolves the host into the link's address list; false when it has none.
bool resolve(SyncLink& link, const char* host, unsigned short port)
{
    link.addresses.clear();
    link.nextAddress = 0;
    if (!startSockets())
        return false;
    link.addresses = addressesOf(host, port);
    return !link.addresses.empty();
}

// Starts connecting to the next address that takes a connect; false when
// none is left.
bool startNextAddress(SyncLink& link)
{
    while (link.nextAddress < link.addresses.size()) {
        const sockaddr_in& sa = link.addresses[link.nextAddress++];
        const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET)
            continue;
        u_long nonBlocking = 1;
        const int started = ioctlsocket(s, FIONBIO, &nonBlocking) == 0
            ? connect_start(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) : -1;
        if (started < 0) {
            closesocket(s);
            continue;
        }
        link.attemptSocket = s;
        link.connected = false;
        return true;
    }
    return false;
}

LinkStep fail(SyncLink& link)
{
    abandonEditorConnection(link);
    return LinkStep::Failed;
}

} // namespace

int openEditorSocket(const char* host, unsigned short port)
{
    if (!startSockets())
        return -1;

    SOCKET s = INVALID_SOCKET;
    for (const sockaddr_in& sa : addressesOf(host, port)) {
        s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET)
            continue;
        if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
            break;
        closesocket(s);
        s = INVALID_SOCKET;
    }
    if (s == INVALID_SOCKET)
        return -1;

    // At start-up the show waits for the editor's answer, for a while.
    char answer[12];
    if (!sendToEditor(s, kClientGreeting, 19)
        || recv_all_within(s, answer, 12, kEditorGreetingMs) != 12
        || std::memcmp(answer, kServerGreeting, 12) != 0) {
        closesocket(s);
        return -1;
    }
    return s;
}

void abandonEditorConnection(SyncLink& link)
{
    if (link.attemptSocket != -1)
        closesocket(link.attemptSocket);
    link.attemptSocket = -1;
    link.connected = false;
    link.answerBytes = 0;
    link.addresses.clear();
    link.nextAddress = 0;
}

LinkStep stepEditorConnection(SyncLink& link, const char* host, unsigned short port, int* socket)
{
    using Clock = std::chrono::steady_clock;
    if (link.attemptSocket == -1) {
        link.answerBytes = 0;
        link.deadline = Clock::now() + std::chrono::milliseconds(kEditorGreetingMs);
        if (!resolve(link, host, port) || !startNextAddress(link))
            return fail(link);
    }
    // Connecting: a refused address gives way to the next one, as a
    // blocking connect would.
    while (!link.connected) {
        const int state = connect_result(link.attemptSocket);
        if (state == 0)
            return Clock::now() < link.deadline ? LinkStep::Waiting : fail(link);
        if (state > 0) {
            // A fresh connection's buffers are empty: the greeting goes at once.
            if (send_now(link.attemptSocket, kClientGreeting, 19) != 19)
                return fail(link);
            link.connected = true;
            break;
        }
        closesocket(link.attemptSocket);
        link.attemptSocket = -1;
        if (!startNextAddress(link))
            return fail(link);
    }
    // The answer, as much of it as has come.
    while (link.answerBytes < 12) {
        const int n = recv_now(link.attemptSocket, link.answer + link.answerBytes, 12 - link.answerBytes);
        if (n < 0)
            return fail(link);
        if (n == 0)
            return Clock::now() < link.deadline ? LinkStep::Waiting : fail(link);
        link.answerBytes += n;
    }
    if (std::memcmp(link.answer, kServerGreeting, 12) != 0)
        return fail(link);
    u_long blocking = 0;
    ioctlsocket(link.attemptSocket, FIONBIO, &blocking);
    *socket = link.attemptSocket;
    link.attemptSocket = -1;
    abandonEditorConnection(link);
    return LinkStep::Connected;
}
