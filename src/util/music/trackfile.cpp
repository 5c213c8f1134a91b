// Track files: basePath + "_" + name + ".track", a little-endian key count
// followed by 9 bytes per key (row, value, type).
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "util/music/syncclient.h"

namespace {
char pathBuffer[260];
}

const char* trackFilePath(const char* basePath, const char* name)
{
    std::snprintf(pathBuffer, sizeof pathBuffer, "%s_%s.track", basePath, name);
    return pathBuffer;
}

int writeTrackFile(const SyncTrack* track, const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return -1;
    std::fwrite(&track->keyCount, 4, 1, file);
    for (int i = 0; i < track->keyCount; ++i) {
        const unsigned char type = static_cast<unsigned char>(track->keys[i].type);
        std::fwrite(&track->keys[i].row, 4, 1, file);
        std::fwrite(&track->keys[i].value, 4, 1, file);
        std::fwrite(&type, 1, 1, file);
    }
    std::fclose(file);
    return 0;
}

int makeParentDirs(const char* path)
{
    char buffer[260];
    std::snprintf(buffer, sizeof buffer, "%s", path);
    char* p = buffer;
    if (*p == '/')
        ++p;
    for (; *p; ++p) {
        if (*p != '/')
            continue;
        *p = '\0';
        struct stat st;
        if (stat(buffer, &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return -1;
        } else if (mkdir(buffer, 0777) != 0) {
            return -1;
        }
        *p = '/';
    }
    return 0;
}

int SyncClient::saveAll(SyncClient* client)
{
    if (!client->mode)
        return 0;
    makeParentDirs(client->basePath);
    for (int i = 0; i < client->trackCount; ++i) {
        if (writeTrackFile(client->tracks[i], trackFilePath(client->basePath, client->tracks[i]->name)) != 0)
            return -1;
    }
    return 0;
}
