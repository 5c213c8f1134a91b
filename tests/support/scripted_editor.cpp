#include "support/scripted_editor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>

namespace {

std::vector<unsigned char> setKeyMessage()
{
    std::vector<unsigned char> m{0};
    const auto put32 = [&m](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            m.push_back(static_cast<unsigned char>(v >> shift));
    };
    put32(0);
    put32(ScriptedEditor::kKeyRow);
    std::uint32_t bits;
    const float value = ScriptedEditor::kKeyValue;
    std::memcpy(&bits, &value, 4);
    put32(bits);
    m.push_back(1); // Linear
    return m;
}

} // namespace

ScriptedEditor::ScriptedEditor(Script script, unsigned short port)
    : script_(script)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(port);
    socklen_t length = sizeof sa;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, 16) != 0
        || getsockname(s, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        if (s >= 0)
            ::close(s);
        return;
    }
    listener_ = s;
    port_ = ntohs(sa.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

ScriptedEditor::~ScriptedEditor()
{
    stop();
}

void ScriptedEditor::stop()
{
    if (stopping_.exchange(true))
        return;
    if (acceptor_.joinable())
        acceptor_.join();
    for (std::thread& player : players_)
        player.join();
    for (int s : sockets_)
        ::close(s);
    if (listener_ >= 0)
        ::close(listener_);
}

std::vector<std::string> ScriptedEditor::requestedTracks()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requested_;
}

bool ScriptedEditor::pause(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping_) {
        if (std::chrono::steady_clock::now() >= end)
            return true;
        usleep(5000);
    }
    return false;
}

void ScriptedEditor::acceptLoop()
{
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) != 1)
            continue;
        const int s = ::accept(listener_, nullptr, nullptr);
        if (s < 0)
            continue;
        int noDelay = 1;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        ++connections_;
        sockets_.push_back(s);
        players_.emplace_back([this, s] { play(s); });
    }
}

bool ScriptedEditor::readGreeting(int connection)
{
    char greeting[19];
    std::size_t got = 0;
    while (got < sizeof greeting && !stopping_) {
        pollfd p{connection, POLLIN, 0};
        if (::poll(&p, 1, 20) != 1)
            continue;
        const ssize_t n = ::recv(connection, greeting + got, sizeof greeting - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return got == sizeof greeting && std::memcmp(greeting, "hello, synctracker!", 19) == 0;
}

// Reads the get-track requests that have come, without waiting for more.
void ScriptedEditor::readRequests(int connection)
{
    while (true) {
        unsigned char head[5];
        if (::recv(connection, head, 5, MSG_PEEK | MSG_DONTWAIT) != 5 || head[0] != 2)
            return;
        std::uint32_t length;
        std::memcpy(&length, head + 1, 4);
        length = ntohl(length);
        std::vector<char> message(5 + length);
        if (::recv(connection, message.data(), message.size(), MSG_PEEK | MSG_DONTWAIT)
            != static_cast<ssize_t>(message.size()))
            return;
        ::recv(connection, message.data(), message.size(), 0);
        std::lock_guard<std::mutex> lock(mutex_);
        requested_.emplace_back(message.data() + 5, length);
    }
}

void ScriptedEditor::play(int connection)
{
    if (!readGreeting(connection))
        return;
    const auto answer = [connection] { ::send(connection, "hello, demo!", 12, MSG_NOSIGNAL); };
    const std::vector<unsigned char> key = setKeyMessage();
    switch (script_) {
    case Script::Silent:
        break;
    case Script::LateGreeting:
        if (pause(5000))
            answer();
        break;
    case Script::HalfMessage:
        answer();
        ::send(connection, key.data(), key.size() / 2, MSG_NOSIGNAL);
        break;
    case Script::Trickle:
        answer();
        while (!stopping_) {
            for (unsigned char byte : key) {
                if (!pause(100))
                    return;
                ::send(connection, &byte, 1, MSG_NOSIGNAL);
            }
        }
        return;
    case Script::WellBehaved:
        answer();
        ::send(connection, key.data(), key.size(), MSG_NOSIGNAL);
        break;
    }
    // Then stays, taking the client's requests, until stopped.
    while (pause(10))
        readRequests(connection);
}
