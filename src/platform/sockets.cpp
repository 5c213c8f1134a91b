#include "platform/sockets.h"

#include <cerrno>
#include <chrono>
#include <poll.h>

#include <fcntl.h>

#include <sys/select.h>
#include <unistd.h>

int WSAStartup(WORD versionRequested, WSADATA* data)
{
    if (data) {
        data->wVersion = versionRequested;
        data->wHighVersion = MAKEWORD(2, 2);
    }
    return 0;
}

int closesocket(SOCKET s)
{
    return ::close(s);
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp)
{
    if (cmd != FIONBIO || !argp)
        return SOCKET_ERROR;
    const int flags = ::fcntl(s, F_GETFL);
    if (flags < 0)
        return SOCKET_ERROR;
    const int wanted = *argp ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(s, F_SETFL, wanted) == 0 ? 0 : SOCKET_ERROR;
}

int send_all(SOCKET s, const void* buffer, int length)
{
    const char* bytes = static_cast<const char*>(buffer);
    int sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(s, bytes + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return -1;
        sent += static_cast<int>(n);
    }
    return sent;
}

int recv_all(SOCKET s, void* buffer, int length)
{
    char* bytes = static_cast<char*>(buffer);
    int received = 0;
    while (received < length) {
        const ssize_t n = ::recv(s, bytes + received, static_cast<size_t>(length - received), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return received > 0 ? received : -1;
        }
        if (n == 0)
            break;
        received += static_cast<int>(n);
    }
    return received;
}

int recv_all_within(SOCKET s, void* buffer, int length, int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    char* bytes = static_cast<char*>(buffer);
    int received = 0;
    while (received < length) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return -1;
        pollfd p{s, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        const ssize_t n = ::recv(s, bytes + received, static_cast<size_t>(length - received), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        received += static_cast<int>(n);
    }
    return received;
}

bool socket_readable(SOCKET s)
{
    if (s < 0 || s >= FD_SETSIZE)
        return false;
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(s, &readSet);
    timeval timeout{0, 0};
    return ::select(s + 1, &readSet, nullptr, nullptr, &timeout) > 0;
}

int connect_start(SOCKET s, const sockaddr* address, int length)
{
    while (true) {
        if (::connect(s, address, static_cast<socklen_t>(length)) == 0)
            return 1;
        if (errno == EINTR)
            continue;
        return errno == EINPROGRESS ? 0 : -1;
    }
}

int connect_result(SOCKET s)
{
    pollfd p{s, POLLOUT, 0};
    const int ready = ::poll(&p, 1, 0);
    if (ready == 0)
        return 0;
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return -1;
    return (p.revents & (POLLERR | POLLNVAL)) ? -1 : 1;
}

int send_now(SOCKET s, const void* buffer, int length)
{
    const char* bytes = static_cast<const char*>(buffer);
    int sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(s, bytes + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return sent;
        return -1;
    }
    return sent;
}

int recv_now(SOCKET s, void* buffer, int length)
{
    if (length <= 0)
        return 0;
    while (true) {
        const ssize_t n = ::recv(s, buffer, static_cast<size_t>(length), MSG_DONTWAIT);
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0)
            return -1;
        if (errno == EINTR)
            continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}
