#pragma once
// The Winsock calls of the sync-editor client, over POSIX sockets. Name
// resolution, socket creation and connect are the POSIX calls themselves;
// this layer adds the library start-up, closing, whole-field sends and
// receives (sends never raise SIGPIPE) and the non-blocking readability poll.
#include <cstddef>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/win32_types.h"

using SOCKET = int;
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
// send_all with a time limit for the whole buffer: `length`, or -1 when the
// connection failed or the peer did not take every byte within
// `milliseconds` (a peer that stopped reading, whose buffers are full).
int send_all_within(SOCKET s, const void* buffer, int length, int milliseconds);
// recv_all with a time limit for the whole buffer: the bytes received, or -1
// when the peer closed, failed or did not deliver them all within
// `milliseconds` (a stalled or trickling peer).
int recv_all_within(SOCKET s, void* buffer, int length, int milliseconds);
