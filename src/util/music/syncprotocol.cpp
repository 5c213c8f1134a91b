// The sync editor's wire protocol: greeting, track requests, key edits and
// transport commands from the editor, and the row reported back.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/sockets.h"
#include "util/music/syncclient.h"

namespace {

const char kClientGreeting[] = "hello, synctracker!";
const char kServerGreeting[] = "hello, demo!";

bool startedSockets = false;

// A peer that stalls or trickles its bytes is dropped (and reconnected by
// the caller) instead of holding the frame: the greeting must come within
// this many milliseconds, a command's bytes within kMessageMs of its first.
// An editor that stops reading is dropped the same way: each message to it
// must leave within kMessageMs, however full the socket's buffers are.
constexpr int kGreetingMs = 1000;
constexpr int kMessageMs = 250;
// Commands one update takes before it leaves the rest for the next frame.
constexpr int kMaxCommandsPerUpdate = 4096;
constexpr auto kUpdateBudget = std::chrono::milliseconds(20);

// Key edits of one update, applied together: a burst of keys in any row
// order costs one sort and one merge per track.
using PendingKeys = std::vector<std::pair<int, SyncKey>>;

void applyPending(SyncClient* client, PendingKeys& pending)
{
    if (pending.empty())
        return;
    std::stable_sort(pending.begin(), pending.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.row < b.second.row;
    });
    std::vector<SyncKey> keys;
    for (std::size_t i = 0; i < pending.size();) {
        const int track = pending[i].first;
        keys.clear();
        for (; i < pending.size() && pending[i].first == track; ++i) {
            // The later of two keys at one row wins, as it would one by one.
            if (!keys.empty() && keys.back().row == pending[i].second.row)
                keys.back() = pending[i].second;
            else
                keys.push_back(pending[i].second);
        }
        SyncTrack::setKeys(client->tracks[track], keys.data(), static_cast<int>(keys.size()));
    }
    pending.clear();
}

std::uint32_t u32At(const unsigned char* p)
{
    std::uint32_t net;
    std::memcpy(&net, p, 4);
    return ntohl(net);
}

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
    if (!sendToEditor(s, kClientGreeting, 19)
        || recv_all_within(s, answer, 12, kGreetingMs) != 12
        || std::memcmp(answer, kServerGreeting, 12) != 0) {
        closesocket(s);
        return -1;
    }
    return s;
}

bool sendToEditor(int socket, const void* bytes, int length)
{
    return send_all_within(socket, bytes, length, kMessageMs) == length;
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

    const auto start = std::chrono::steady_clock::now();
    PendingKeys pending;
    const auto fail = [&] {
        applyPending(client, pending);
        closeConnection(client);
        return -1;
    };
    for (int commands = 0; commands < kMaxCommandsPerUpdate && socket_readable(client->socket); ++commands) {
        if (commands > 0 && std::chrono::steady_clock::now() - start > kUpdateBudget)
            break;
        unsigned char command;
        if (recv_all(client->socket, &command, 1) != 1)
            return fail();
        // Each command's payload in one read with a time limit.
        static const int payloadSize[6] = {13, 8, -1, 4, 1, 0};
        if (command > 5 || payloadSize[command] < 0) {
            std::fprintf(stderr, "unknown cmd: %02x\n", command);
            return fail();
        }
        unsigned char payload[13];
        if (payloadSize[command] > 0 &&
            recv_all_within(client->socket, payload, payloadSize[command], kMessageMs) != payloadSize[command])
            return fail();
        switch (command) {
        case 0: {
            const std::uint32_t index = u32At(payload);
            if (!trackAt(client, index))
                return fail();
            SyncKey key;
            key.row = static_cast<std::int32_t>(u32At(payload + 4));
            const std::uint32_t valueBits = u32At(payload + 8);
            std::memcpy(&key.value, &valueBits, 4);
            key.type = payload[12];
            pending.emplace_back(static_cast<int>(index), key);
            break;
        }
        case 1: {
            // A delete sees every key set before it.
            applyPending(client, pending);
            SyncTrack* track = trackAt(client, u32At(payload));
            if (!track || SyncTrack::removeKey(track, static_cast<std::int32_t>(u32At(payload + 4))) != 0)
                return fail();
            break;
        }
        case 3:
            applyPending(client, pending);
            if (events && events->setRow)
                events->setRow(data, static_cast<std::int32_t>(u32At(payload)));
            break;
        case 4:
            applyPending(client, pending);
            if (events && events->pause)
                events->pause(data, payload[0]);
            break;
        case 5:
            applyPending(client, pending);
            saveAll(client);
            break;
        }
        // A handler (an event that reconnects, say) may have dropped the connection.
        if (client->socket == -1) {
            applyPending(client, pending);
            return -1;
        }
    }
    applyPending(client, pending);

    if (!events || !events->isPlaying || !events->isPlaying(data) || row == client->lastRowSent
        || client->socket == -1)
        return 0;
    unsigned char message[5] = {3};
    const std::uint32_t rowNet = htonl(static_cast<std::uint32_t>(row));
    std::memcpy(message + 1, &rowNet, 4);
    if (!sendToEditor(client->socket, message, 5)) {
        closeConnection(client);
        return -1;
    }
    client->lastRowSent = row;
    return 0;
}
