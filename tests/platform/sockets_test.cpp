#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>

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
