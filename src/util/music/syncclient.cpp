#include "util/music/syncclient.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/sockets.h"
#include "util/music/editorlink.h"

namespace {

void* stdOpen(const char* path, const char* openMode)
{
    return std::fopen(path, openMode);
}

std::size_t stdRead(void* buffer, std::size_t size, std::size_t count, void* handle)
{
    return std::fread(buffer, size, count, static_cast<FILE*>(handle));
}

int stdClose(void* handle)
{
    return std::fclose(static_cast<FILE*>(handle));
}

// Reads exactly `size` bytes through the callbacks. The callbacks' results
// count bytes when asked for `size` items of one byte, for both fread and
// the data layer's reader.
bool readExactly(const SyncFileCallbacks& io, void* handle, void* buffer, std::size_t size)
{
    return io.read(buffer, 1, size, handle) == size;
}

// Reads a track file into `track`: the key count, then the keys. A file
// whose length does not match its count, whose count is negative or whose
// rows are not strictly ascending is refused and leaves the track empty.
int readTrackFile(const SyncFileCallbacks& io, void* handle, SyncTrack* track)
{
    std::int32_t count = 0;
    if (!readExactly(io, handle, &count, 4) || count < 0)
        return -1;
    SyncKey* keys = nullptr;
    std::int32_t read = 0;
    std::int32_t capacity = 0;
    for (; read < count; ++read) {
        unsigned char bytes[9];
        if (!readExactly(io, handle, bytes, sizeof bytes))
            break;
        SyncKey key;
        std::memcpy(&key.row, bytes, 4);
        std::memcpy(&key.value, bytes + 4, 4);
        key.type = bytes[8];
        if (read > 0 && key.row <= keys[read - 1].row)
            break;
        if (read == capacity) {
            capacity = capacity ? capacity * 2 : 16;
            if (capacity > count)
                capacity = count;
            void* grown = std::realloc(keys, sizeof(SyncKey) * capacity);
            if (!grown)
                break;
            keys = static_cast<SyncKey*>(grown);
        }
        keys[read] = key;
    }
    unsigned char extra;
    if (read != count || readExactly(io, handle, &extra, 1)) {
        std::free(keys);
        return -1;
    }
    std::free(track->keys);
    track->keys = keys;
    track->keyCount = count;
    return 0;
}

} // namespace

SyncClient* SyncClient::create(const char* basePath, int mode)
{
    SyncClient* client = static_cast<SyncClient*>(std::malloc(sizeof(SyncClient)));
    if (!client)
        return nullptr;
    client->basePath = strdup(basePath);
    client->link = new (std::nothrow) SyncLink;
    if (!client->basePath || !client->link) {
        std::free(client->basePath);
        delete client->link;
        std::free(client);
        return nullptr;
    }
    client->tracks = nullptr;
    client->trackCount = 0;
    client->lastRowSent = -1;
    client->socket = -1;
    client->fileCallbacks = {stdOpen, stdRead, stdClose};
    client->mode = mode;
    return client;
}

void SyncClient::destroy(SyncClient* client)
{
    if (!client)
        return;
    if (client->socket != -1)
        closesocket(client->socket);
    abandonEditorConnection(*client->link);
    delete client->link;
    std::free(client->basePath);
    for (int i = 0; i < client->trackCount; ++i) {
        std::free(client->tracks[i]->name);
        std::free(client->tracks[i]->keys);
        std::free(client->tracks[i]);
    }
    std::free(client->tracks);
    std::free(client);
}

void SyncClient::setFileCallbacks(SyncClient* client, const SyncFileCallbacks* callbacks)
{
    client->fileCallbacks = *callbacks;
}

int SyncClient::findTrack(SyncClient* client, const char* name)
{
    for (int i = 0; i < client->trackCount; ++i)
        if (std::strcmp(client->tracks[i]->name, name) == 0)
            return i;
    return -1;
}

SyncTrack* SyncClient::getTrack(SyncClient* client, const char* name, float defaultValue)
{
    const int index = findTrack(client, name);
    if (index >= 0)
        return client->tracks[index];

    SyncTrack* track = static_cast<SyncTrack*>(std::malloc(sizeof(SyncTrack)));
    if (!track)
        return nullptr;
    track->name = strdup(name);
    track->keys = nullptr;
    track->keyCount = 0;
    void* grown = std::realloc(client->tracks, sizeof(SyncTrack*) * (client->trackCount + 1));
    if (!track->name || !grown) {
        std::free(track->name);
        std::free(track);
        if (grown)
            client->tracks = static_cast<SyncTrack**>(grown);
        return nullptr;
    }
    client->tracks = static_cast<SyncTrack**>(grown);
    client->tracks[client->trackCount++] = track;

    if (fetchTrack(client, track) != 0)
        return nullptr;
    if (track->keyCount == 0) {
        const SyncKey key{0, defaultValue, Hold};
        SyncTrack::setKey(track, &key);
    }
    return track;
}

int SyncClient::fetchTrack(SyncClient* client, SyncTrack* track)
{
    if (client->mode) {
        const std::uint32_t length = static_cast<std::uint32_t>(std::strlen(track->name));
        const unsigned char command = 2;
        const std::uint32_t lengthNet = htonl(length);
        if (client->socket == -1
            || !sendToEditor(client->socket, &command, 1)
            || !sendToEditor(client->socket, &lengthNet, 4)
            || !sendToEditor(client->socket, track->name, static_cast<int>(length))) {
            if (client->socket != -1)
                closesocket(client->socket);
            client->socket = -1;
            return -1;
        }
        return 0;
    }

    const SyncFileCallbacks& io = client->fileCallbacks;
    void* handle = io.open(trackFilePath(client->basePath, track->name), "rb");
    if (!handle)
        return -1;
    const int result = readTrackFile(io, handle, track);
    io.close(handle);
    return result;
}
