#pragma once
// A small sync editor of our own on the loopback address, for driving the
// sync client in tests. Accepts one connection at a time in a helper thread
// (the client blocks on the greeting), then talks to it from the test.
// Every wait gives up after kWaitSeconds, so that a client that never
// connects or never writes fails the test instead of hanging it.
#include <arpa/inet.h>
#include <poll.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

class EditorPeer {
public:
    static constexpr int kWaitSeconds = 5;

    EditorPeer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        listen(listener_, 4);
        socklen_t len = sizeof sa;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&sa), &len);
        port_ = ntohs(sa.sin_port);
    }
    ~EditorPeer()
    {
        if (acceptor_.joinable())
            acceptor_.join();
        closeConnection();
        ::close(listener_);
    }

    unsigned short port() const { return port_; }

    // Starts accepting one connection; the greeting it answers with can be
    // replaced to test a wrong or short answer (then the connection closes).
    // A short answer is followed by the end of the stream, unless the peer
    // is to stall (it then keeps the connection open and says nothing more).
    void expectConnection(std::string answer = "hello, demo!", bool stall = false)
    {
        acceptor_ = std::thread([this, answer, stall] {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, kWaitSeconds * 1000) != 1)
                return;  // nobody connected: connection_ stays -1
            int s = ::accept(listener_, nullptr, nullptr);
            if (s < 0)
                return;
            int noDelay = 1;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
            timeval limit{kWaitSeconds, 0};
            setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            char greeting[19];
            receivedGreeting_ = readAll(s, greeting, 19) ? std::string(greeting, 19) : std::string();
            ::send(s, answer.data(), answer.size(), MSG_NOSIGNAL);
            if (answer.size() < 12 && !stall)
                ::shutdown(s, SHUT_WR);
            connection_ = s;
        });
    }
    // Waits until the connection is accepted and greeted; false when no
    // client connected in time.
    bool waitConnected()
    {
        if (acceptor_.joinable())
            acceptor_.join();
        return connection_ >= 0;
    }
    const std::string& receivedGreeting() const { return receivedGreeting_; }

    // Reads one get-track request and returns the name ("" on anything else).
    std::string readGetTrack()
    {
        unsigned char command;
        std::uint32_t length;
        if (!readAll(connection_, &command, 1) || command != 2 || !readAll(connection_, &length, 4))
            return "";
        std::string name(ntohl(length), '\0');
        if (!readAll(connection_, name.data(), name.size()))
            return "";
        return name;
    }
    // Reads one set-row message; -1 when something else came.
    long readSetRow()
    {
        unsigned char command;
        std::uint32_t row;
        if (!readAll(connection_, &command, 1) || command != 3 || !readAll(connection_, &row, 4))
            return -1;
        return static_cast<std::int32_t>(ntohl(row));
    }
    // True when nothing from the client is waiting.
    bool nothingPending()
    {
        char byte;
        return ::recv(connection_, &byte, 1, MSG_DONTWAIT | MSG_PEEK) < 0;
    }
    // True when the client has closed its end (a read gives end of stream).
    bool closedByClient()
    {
        char byte;
        timeval tv{2, 0};
        setsockopt(connection_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        while (true) {
            const ssize_t n = ::recv(connection_, &byte, 1, 0);
            if (n == 0)
                return true;
            if (n < 0)
                return false;
        }
    }

    void sendSetKey(std::uint32_t track, std::int32_t row, float value, std::uint8_t type)
    {
        sendBytes(setKeyMessage(track, row, value, type));
    }
    // The bytes of a set-key message.
    static std::vector<unsigned char> setKeyMessage(std::uint32_t track, std::int32_t row, float value,
                                                    std::uint8_t type)
    {
        std::vector<unsigned char> m{0};
        put32(m, track);
        put32(m, static_cast<std::uint32_t>(row));
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        put32(m, bits);
        m.push_back(type);
        return m;
    }
    void sendDeleteKey(std::uint32_t track, std::int32_t row)
    {
        std::vector<unsigned char> m{1};
        put32(m, track);
        put32(m, static_cast<std::uint32_t>(row));
        sendBytes(m);
    }
    void sendSetRow(std::int32_t row)
    {
        std::vector<unsigned char> m{3};
        put32(m, static_cast<std::uint32_t>(row));
        sendBytes(m);
    }
    void sendPause(std::uint8_t flag) { sendBytes({4, flag}); }
    void sendSave() { sendBytes({5}); }
    void sendBytes(const std::vector<unsigned char>& bytes)
    {
        ::send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // Sends the bytes one at a time with pauses, so the client sees short reads.
    void sendTrickled(const std::vector<unsigned char>& bytes)
    {
        for (unsigned char b : bytes) {
            ::send(connection_, &b, 1, MSG_NOSIGNAL);
            usleep(2000);
        }
    }
    void closeConnection()
    {
        if (connection_ >= 0)
            ::close(connection_);
        connection_ = -1;
    }

    static void put32(std::vector<unsigned char>& m, std::uint32_t v)
    {
        m.push_back(static_cast<unsigned char>(v >> 24));
        m.push_back(static_cast<unsigned char>(v >> 16));
        m.push_back(static_cast<unsigned char>(v >> 8));
        m.push_back(static_cast<unsigned char>(v));
    }

private:
    static bool readAll(int s, void* buffer, std::size_t size)
    {
        char* p = static_cast<char*>(buffer);
        while (size > 0) {
            const ssize_t n = ::recv(s, p, size, 0);
            if (n <= 0)
                return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    int listener_ = -1;
    int connection_ = -1;
    unsigned short port_ = 0;
    std::thread acceptor_;
    std::string receivedGreeting_;
};
