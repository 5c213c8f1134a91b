#pragma once
// The Winsock calls of the sync-editor client, over POSIX sockets. Name
// resolution, socket creation and connect are the POSIX calls themselves;
// this layer adds the library start-up, closing, whole-field sends and
// receives (sends never raise SIGPIPE), the non-blocking readability poll and
// the operations that never wait: blocking mode, connecting, sending and
// receiving without waiting.
#include <cstddef>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/win32_types.h"

using SOCKET = int;
using u_long = unsigned long;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
};

constexpr WORD MAKEWORD(BYTE low, BYTE high) { return static_cast<WORD>(low | (high << 8)); }

// Starts the socket library; 0 on success. Nothing to start on POSIX.
int WSAStartup(WORD versionRequested, WSADATA* data);
int closesocket(SOCKET s);
// FIONBIO with *argp non-zero puts the socket in non-blocking mode, with 0
// back in blocking mode; 0 on success, SOCKET_ERROR otherwise.
constexpr long FIONBIO = 0x8004667e;
int ioctlsocket(SOCKET s, long cmd, u_long* argp);

// Sends all `length` bytes, looping over short sends; MSG_NOSIGNAL, so a
// peer that went away gives an error instead of a signal. Returns `length`,
// or -1 when the connection failed before everything was sent.
int send_all(SOCKET s, const void* buffer, int length);
// Receives exactly `length` bytes, looping over short receives. Returns
// `length`, or the bytes received before the peer closed or an error came
// (fewer than `length`, -1 on an error before any byte).
int recv_all(SOCKET s, void* buffer, int length);
// Whether a read would not block now (data or end of stream waiting).
// Polls with a zero time-out; false when the poll itself fails.
bool socket_readable(SOCKET s);
// recv_all with a time limit for the whole buffer: the bytes received, or -1
// when the peer closed, failed or did not deliver them all within
// `milliseconds` (a stalled or trickling peer).
int recv_all_within(SOCKET s, void* buffer, int length, int milliseconds);

// The operations that never wait, for a caller that must not hold its frame.
// Starts connecting a socket in non-blocking mode: 1 connected at once, 0
// under way (connect_result tells when it is done), -1 failed.
int connect_start(SOCKET s, const sockaddr* address, int length);
// Whether a connection that connect_start left under way is done, without
// waiting: 1 connected, 0 still under way, -1 failed (refused, unreachable).
int connect_result(SOCKET s);
// Sends what the socket takes now: the bytes taken (0 when its buffers are
// full), or -1 when the connection failed. MSG_NOSIGNAL, as send_all.
int send_now(SOCKET s, const void* buffer, int length);
// Receives what is waiting now, up to `length` bytes: the bytes received (0
// when nothing is waiting), or -1 when the peer closed or the connection
// failed.
int recv_now(SOCKET s, void* buffer, int length);
