#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>

#include "platform/sockets.h"

namespace {

class SocketPair : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
    void TearDown() override
    {
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
    }
    int fds[2] = {-1, -1};
};

TEST_F(SocketPair, WholeFieldsArriveAcrossShortReads)
{
    EXPECT_FALSE(socket_readable(fds[0]));
    std::thread writer([&] {
        const char text[] = "hello, demo!";
        for (char c : std::string(text)) {
            ::send(fds[1], &c, 1, 0);
            usleep(1000);
        }
    });
    char buffer[12];
    EXPECT_EQ(recv_all(fds[0], buffer, 12), 12);
    EXPECT_EQ(std::memcmp(buffer, "hello, demo!", 12), 0);
    writer.join();

    EXPECT_EQ(send_all(fds[1], "abc", 3), 3);
    EXPECT_TRUE(socket_readable(fds[0]));
    ::close(fds[1]);
    fds[1] = -1;
    // The peer closed after three bytes: a short count, not a hang.
    EXPECT_EQ(recv_all(fds[0], buffer, 8), 3);
    EXPECT_TRUE(socket_readable(fds[0])); // end of stream reads without blocking
    EXPECT_EQ(recv_all(fds[0], buffer, 1), 0);
}

TEST_F(SocketPair, SendingToAClosedPeerFailsWithoutASignal)
{
    ::close(fds[1]);
    fds[1] = -1;
    // Without MSG_NOSIGNAL this would raise SIGPIPE and end the test program.
    EXPECT_EQ(send_all(fds[0], "x", 1), -1);
    EXPECT_EQ(send_all(fds[0], "y", 1), -1);
}

// The operations that never wait: nothing waiting reads as 0 bytes, the
// end of the stream as -1; a full socket takes what it can and then nothing.
TEST_F(SocketPair, SendAndReceiveWithoutWaiting)
{
    char buffer[64];
    EXPECT_EQ(recv_now(fds[0], buffer, sizeof buffer), 0);
    EXPECT_EQ(send_now(fds[1], "hello", 5), 5);
    EXPECT_EQ(recv_now(fds[0], buffer, 3), 3);
    EXPECT_EQ(recv_now(fds[0], buffer, sizeof buffer), 2);
    EXPECT_EQ(std::memcmp(buffer, "lo", 2), 0);

    const int small = 4096;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    std::vector<char> lots(1 << 20, 'x');
    const int taken = send_now(fds[1], lots.data(), static_cast<int>(lots.size()));
    EXPECT_GT(taken, 0);
    EXPECT_LT(taken, static_cast<int>(lots.size()));
    EXPECT_EQ(send_now(fds[1], "y", 1), 0);

    ::close(fds[1]);
    fds[1] = -1;
    while (recv_now(fds[0], buffer, sizeof buffer) > 0) {
    }
    EXPECT_EQ(recv_now(fds[0], buffer, sizeof buffer), -1);
    EXPECT_EQ(send_now(fds[0], "z", 1), -1);
}

TEST(Sockets, ConnectWithoutWaiting)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof sa;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &length), 0);

    const auto connectTo = [&sa](int* s) {
        *s = ::socket(AF_INET, SOCK_STREAM, 0);
        u_long on = 1;
        EXPECT_EQ(ioctlsocket(*s, FIONBIO, &on), 0);
        int state = connect_start(*s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
        for (int i = 0; i < 500 && state == 0; ++i) {
            usleep(1000);
            state = connect_result(*s);
        }
        return state;
    };
    int s;
    EXPECT_EQ(connectTo(&s), 1);
    const int accepted = ::accept(listener, nullptr, nullptr);
    EXPECT_GE(accepted, 0);
    EXPECT_EQ(send_now(accepted, "ab", 2), 2);
    u_long off = 0;
    EXPECT_EQ(ioctlsocket(s, FIONBIO, &off), 0);
    char buffer[2];
    EXPECT_EQ(recv_all(s, buffer, 2), 2); // blocking again
    ::close(accepted);
    ::close(s);

    ::close(listener); // nobody listens there now: refused
    EXPECT_EQ(connectTo(&s), -1);
    ::close(s);
    u_long on = 1;
    EXPECT_EQ(ioctlsocket(-1, FIONBIO, &on), SOCKET_ERROR);
}

TEST(Sockets, StartupAndBadHandles)
{
    WSADATA data{};
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0002);
    EXPECT_FALSE(socket_readable(-1));
    char byte;
    EXPECT_EQ(recv_all(-1, &byte, 1), -1);
    EXPECT_EQ(send_all(-1, &byte, 1), -1);
}

} // namespace
