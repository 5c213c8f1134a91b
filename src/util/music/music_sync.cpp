// Sync values of the music object, the player-mode track-file callbacks
// that read through the data layer, and the sync editor's events.
#include <cstdlib>
#include <cstring>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/music/music.h"

void Music::addSyncValue(std::string name, float defaultValue, bool useTracker)
{
    SyncValue value{nullptr, name, defaultValue};
    if (useTracker) {
        value.track = SyncClient::getTrack(syncDevice, name.c_str(), defaultValue);
        if (!value.track)
            FATAL_ERROR("Failed to open track " + name + "!");
    }
    syncValues.push_back(value);
}

float Music::getSyncValue(std::string name)
{
    for (const SyncValue& value : syncValues) {
        if (value.name != name)
            continue;
        if (!value.track)
            return value.value;
        return SyncTrack::valueAt(value.track, getRow());
    }
    FATAL_ERROR("Can't find sync value for " + name);
}

void* memOpen(const char* path, const char* mode)
{
    SyncMemoryFile* file = new SyncMemoryFile{nullptr, 0, 0};
    int size = 0;
    file->data = load_file(path, mode, &size, false);
    file->size = size;
    if (file->size > 0)
        return file;
    std::free(file->data);
    delete file;
    return nullptr;
}

std::size_t memRead(void* buffer, std::size_t size, std::size_t count, void* stream)
{
    SyncMemoryFile* file = static_cast<SyncMemoryFile*>(stream);
    std::size_t n = size * count;
    const std::size_t left = static_cast<std::size_t>(file->size - file->position);
    if (n > left)
        n = left;
    if (n == 0)
        return 0;
    std::memcpy(buffer, file->data + file->position, n);
    file->position += static_cast<std::int32_t>(n);
    return n;
}

int memClose(void* stream)
{
    SyncMemoryFile* file = static_cast<SyncMemoryFile*>(stream);
    std::free(file->data);
    delete file;
    return 0;
}

void syncPause(void*, int flag)
{
    if (!currentMusic)
        return;
    if (flag)
        currentMusic->pause();
    else
        currentMusic->play();
}

void syncSetRow(void*, int row)
{
    if (currentMusic)
        currentMusic->setRow(row);
}

int syncIsPlaying(void*)
{
    if (!currentMusic)
        return 0;
    return currentMusic->isActive() ? 1 : 0;
}
