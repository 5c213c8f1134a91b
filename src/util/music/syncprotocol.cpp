// The sync editor's wire protocol: greeting, track requests, key edits and
// transport commands from the editor, and the row reported back.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sockets.h"
#include "util/music/syncclient.h"

namespace {

const char kClientGreeting[] = "hello, synctracker!";
const char kServerGreeting[] = "hello, demo!";

bool startedSockets = false;

void closeConnection(SyncClient* client)
{
    if (client->socket != -1)
        closesocket(client->socket);
    client->socket = -1;
}

bool recvU32(int socket, std::uint32_t* out)
{
    std::uint32_t net;
    if (recv_all(socket, &net, 4) != 4)
        return false;
    *out = ntohl(net);
    return true;
}

bool sendU32(int socket, std::uint32_t value)
{
    const std::uint32_t net = htonl(value);
    return send_all(socket, &net, 4) == 4;
}

// The track a key command names, or null when the index is outside the list.
SyncTrack* trackAt(SyncClient* client, std::uint32_t index)
{
    if (index >= static_cast<std::uint32_t>(client->trackCount))
        return nullptr;
    return client->tracks[index];
}

} // namespace

int openEditorSocket(const char* host, unsigned short port)
{
    if (!startedSockets) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
            return -1;
        startedSockets = true;
    }

    const hostent* entry = gethostbyname(host);
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
        return -1;

    SOCKET s = INVALID_SOCKET;
    for (char** address = entry->h_addr_list; *address; ++address) {
        sockaddr_in sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sin_family = static_cast<sa_family_t>(entry->h_addrtype);
        sa.sin_port = htons(port);
        const std::size_t length = entry->h_length < static_cast<int>(sizeof sa.sin_addr)
            ? static_cast<std::size_t>(entry->h_length) : sizeof sa.sin_addr;
        std::memcpy(&sa.sin_addr, *address, length);
        s = ::socket(entry->h_addrtype, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET)
            continue;
        if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
            break;
        closesocket(s);
        s = INVALID_SOCKET;
    }
    if (s == INVALID_SOCKET)
        return -1;

    char answer[12];
    if (send_all(s, kClientGreeting, 19) != 19
        || recv_all(s, answer, 12) != 12
        || std::memcmp(answer, kServerGreeting, 12) != 0) {
        closesocket(s);
        return -1;
    }
    return s;
}

int SyncClient::connect(SyncClient* client, const char* host, unsigned short port)
{
    if (!client->mode)
        return 0;
    closeConnection(client);
    client->socket = openEditorSocket(host, port);
    if (client->socket == -1)
        return -1;
    for (int i = 0; i < client->trackCount; ++i) {
        std::free(client->tracks[i]->keys);
        client->tracks[i]->keys = nullptr;
        client->tracks[i]->keyCount = 0;
    }
    for (int i = 0; i < client->trackCount; ++i) {
        if (fetchTrack(client, client->tracks[i]) != 0) {
            closeConnection(client);
            return -1;
        }
    }
    return 0;
}

int readKeyCommand(int socket, SyncClient* client)
{
    std::uint32_t index, row, valueBits;
    unsigned char type;
    if (!recvU32(socket, &index) || !recvU32(socket, &row) || !recvU32(socket, &valueBits)
        || recv_all(socket, &type, 1) != 1)
        return -1;
    SyncTrack* track = trackAt(client, index);
    if (!track)
        return -1;
    SyncKey key;
    key.row = static_cast<std::int32_t>(row);
    std::memcpy(&key.value, &valueBits, 4);
    key.type = type;
    return SyncTrack::setKey(track, &key);
}

int readDeleteCommand(int socket, SyncClient* client)
{
    std::uint32_t index, row;
    if (!recvU32(socket, &index) || !recvU32(socket, &row))
        return -1;
    SyncTrack* track = trackAt(client, index);
    if (!track)
        return -1;
    return SyncTrack::removeKey(track, static_cast<std::int32_t>(row));
}

int SyncClient::update(SyncClient* client, int row, const SyncClientEvents* events, void* data)
{
    if (!client->mode)
        return 0;
    if (client->socket == -1)
        return -1;

    while (socket_readable(client->socket)) {
        unsigned char command;
        if (recv_all(client->socket, &command, 1) != 1) {
            closeConnection(client);
            return -1;
        }
        bool ok = true;
        switch (command) {
        case 0:
            ok = readKeyCommand(client->socket, client) == 0;
            break;
        case 1:
            ok = readDeleteCommand(client->socket, client) == 0;
            break;
        case 3: {
            std::uint32_t newRow;
            ok = recvU32(client->socket, &newRow);
            if (ok && events && events->setRow)
                events->setRow(data, static_cast<std::int32_t>(newRow));
            break;
        }
        case 4: {
            unsigned char flag;
            ok = recv_all(client->socket, &flag, 1) == 1;
            if (ok && events && events->pause)
                events->pause(data, flag);
            break;
        }
        case 5:
            saveAll(client);
            break;
        default:
            std::fprintf(stderr, "unknown cmd: %02x\n", command);
            ok = false;
            break;
        }
        if (!ok) {
            closeConnection(client);
            return -1;
        }
        // A handler (an event that reconnects, say) may have dropped the connection.
        if (client->socket == -1)
            return -1;
    }

    if (!events || !events->isPlaying || !events->isPlaying(data) || row == client->lastRowSent
        || client->socket == -1)
        return 0;
    const unsigned char command = 3;
    if (send_all(client->socket, &command, 1) != 1
        || !sendU32(client->socket, static_cast<std::uint32_t>(row))) {
        closeConnection(client);
        return -1;
    }
    client->lastRowSent = row;
    return 0;
}
