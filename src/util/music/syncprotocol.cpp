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
#include "util/music/editorlink.h"
#include "util/music/syncclient.h"

namespace {

// The show's frame never waits on the editor: sends go out only as far as
// the socket takes them at once (an editor whose buffers stay full is
// dropped), received bytes wait in the link until they make a whole message,
// and a reconnection goes step by step across frames.

// Commands one update takes before it leaves the rest for the next frame,
// and the time after which it leaves them.
constexpr int kMaxCommandsPerUpdate = 4096;
constexpr auto kUpdateBudget = std::chrono::milliseconds(4);
// Bytes read from the socket at a time.
constexpr int kReadChunk = 4096;

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
    client->link->inbox.clear();
    client->link->inboxStart = 0;
}

// Takes a fresh greeted connection: drops every track's keys and requests
// every track again, in array order.
int takeConnection(SyncClient* client, int socket)
{
    closeConnection(client);
    client->socket = socket;
    for (int i = 0; i < client->trackCount; ++i) {
        std::free(client->tracks[i]->keys);
        client->tracks[i]->keys = nullptr;
        client->tracks[i]->keyCount = 0;
    }
    for (int i = 0; i < client->trackCount; ++i) {
        if (SyncClient::fetchTrack(client, client->tracks[i]) != 0) {
            closeConnection(client);
            return -1;
        }
    }
    return 0;
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

bool sendToEditor(int socket, const void* bytes, int length)
{
    return send_now(socket, bytes, length) == length;
}

int SyncClient::connect(SyncClient* client, const char* host, unsigned short port)
{
    if (!client->mode)
        return 0;
    abandonEditorConnection(*client->link);
    closeConnection(client);
    const int socket = openEditorSocket(host, port);
    if (socket == -1)
        return -1;
    return takeConnection(client, socket);
}

int SyncClient::reconnect(SyncClient* client, const char* host, unsigned short port)
{
    if (!client->mode)
        return 0;
    if (client->socket != -1)
        return 0;
    int socket = -1;
    if (stepEditorConnection(*client->link, host, port, &socket) != LinkStep::Connected)
        return -1;
    return takeConnection(client, socket);
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

namespace {

// Handles one whole editor message; non-zero when it breaks the connection
// (a key edit on a track that does not exist or that cannot be made).
int handleCommand(SyncClient* client, unsigned char command, const unsigned char* payload,
                  const SyncClientEvents* events, void* data, PendingKeys& pending)
{
    switch (command) {
    case 0: {
        const std::uint32_t index = u32At(payload);
        if (!trackAt(client, index))
            return -1;
        SyncKey key;
        key.row = static_cast<std::int32_t>(u32At(payload + 4));
        const std::uint32_t valueBits = u32At(payload + 8);
        std::memcpy(&key.value, &valueBits, 4);
        key.type = payload[12];
        pending.emplace_back(static_cast<int>(index), key);
        return 0;
    }
    case 1: {
        // A delete sees every key set before it.
        applyPending(client, pending);
        SyncTrack* track = trackAt(client, u32At(payload));
        if (!track || SyncTrack::removeKey(track, static_cast<std::int32_t>(u32At(payload + 4))) != 0)
            return -1;
        return 0;
    }
    case 3:
        applyPending(client, pending);
        if (events && events->setRow)
            events->setRow(data, static_cast<std::int32_t>(u32At(payload)));
        return 0;
    case 4:
        applyPending(client, pending);
        if (events && events->pause)
            events->pause(data, payload[0]);
        return 0;
    case 5:
        applyPending(client, pending);
        SyncClient::saveAll(client);
        return 0;
    }
    return -1;
}

} // namespace

int SyncClient::update(SyncClient* client, int row, const SyncClientEvents* events, void* data)
{
    if (!client->mode)
        return 0;
    if (client->socket == -1)
        return -1;

    const auto start = std::chrono::steady_clock::now();
    SyncLink& link = *client->link;
    PendingKeys pending;
    const auto fail = [&] {
        applyPending(client, pending);
        closeConnection(client);
        return -1;
    };
    // Each command's payload size; -1: not a command the editor sends.
    static const int payloadSize[6] = {13, 8, -1, 4, 1, 0};
    for (int commands = 0; commands < kMaxCommandsPerUpdate;) {
        if (commands > 0 && std::chrono::steady_clock::now() - start > kUpdateBudget)
            break;
        const std::size_t waiting = link.inbox.size() - link.inboxStart;
        if (waiting > 0) {
            const unsigned char command = link.inbox[link.inboxStart];
            if (command > 5 || payloadSize[command] < 0) {
                std::fprintf(stderr, "unknown cmd: %02x\n", command);
                return fail();
            }
            const std::size_t size = static_cast<std::size_t>(payloadSize[command]);
            if (waiting > size) {
                // A whole message: taken from the link before it is handled
                // (a handler may reconnect, which empties the link).
                unsigned char payload[13];
                std::memcpy(payload, link.inbox.data() + link.inboxStart + 1, size);
                link.inboxStart += 1 + size;
                ++commands;
                if (handleCommand(client, command, payload, events, data, pending) != 0)
                    return fail();
                // A handler (an event that reconnects, say) may have dropped the connection.
                if (client->socket == -1) {
                    applyPending(client, pending);
                    return -1;
                }
                continue;
            }
        }
        // Part of a message or nothing: read what has come, without waiting.
        link.inbox.erase(link.inbox.begin(), link.inbox.begin() + static_cast<std::ptrdiff_t>(link.inboxStart));
        link.inboxStart = 0;
        unsigned char chunk[kReadChunk];
        const int n = recv_now(client->socket, chunk, kReadChunk);
        if (n < 0)
            return fail(); // the editor closed, or the connection failed
        if (n == 0)
            break;         // the rest comes in a later frame
        link.inbox.insert(link.inbox.end(), chunk, chunk + n);
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
