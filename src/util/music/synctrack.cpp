#include "util/music/synctrack.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

float SyncTrack::valueAt(const SyncTrack* track, double row)
{
    if (track->keyCount <= 0)
        return 0.0f;
    const int r = static_cast<int>(std::floor(row));
    int i = findKey(track, r);
    if (i < 0) {
        i = -i - 2;
        if (i < 0)
            return track->keys[0].value;
    }
    if (i > track->keyCount - 2)
        return track->keys[track->keyCount - 1].value;

    const SyncKey& k = track->keys[i];
    const SyncKey& n = track->keys[i + 1];
    const double t = (row - k.row) / (static_cast<double>(n.row) - k.row);
    const float diff = n.value - k.value;
    switch (k.type) {
    case Hold:
        return k.value;
    case Linear:
        return static_cast<float>(k.value + t * diff);
    case SmoothStep:
        return static_cast<float>(k.value + t * t * (3.0 - 2.0 * t) * diff);
    case Quadratic:
        return static_cast<float>(k.value + std::pow(t, 2.0) * diff);
    default:
        return 0.0f;
    }
}

int SyncTrack::findKey(const SyncTrack* track, int row)
{
    int lo = 0;
    int hi = track->keyCount;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (track->keys[mid].row < row)
            lo = mid + 1;
        else if (track->keys[mid].row > row)
            hi = mid;
        else
            return mid;
    }
    return -lo - 1;
}

int SyncTrack::setKey(SyncTrack* track, const SyncKey* key)
{
    const int i = findKey(track, key->row);
    if (i >= 0) {
        track->keys[i] = *key;
        return 0;
    }
    const int p = -i - 1;
    void* grown = std::realloc(track->keys, sizeof(SyncKey) * (track->keyCount + 1));
    if (!grown)
        return -1;
    track->keys = static_cast<SyncKey*>(grown);
    track->keyCount++;
    std::memmove(track->keys + p + 1, track->keys + p, sizeof(SyncKey) * (track->keyCount - p - 1));
    track->keys[p] = *key;
    return 0;
}

int SyncTrack::setKeys(SyncTrack* track, const SyncKey* keys, int count)
{
    if (count <= 0)
        return 0;
    const std::size_t most = static_cast<std::size_t>(track->keyCount) + static_cast<std::size_t>(count);
    SyncKey* merged = static_cast<SyncKey*>(std::malloc(sizeof(SyncKey) * most));
    if (!merged)
        return -1;
    int i = 0, j = 0, n = 0;
    while (i < track->keyCount || j < count) {
        if (j == count || (i < track->keyCount && track->keys[i].row < keys[j].row)) {
            merged[n++] = track->keys[i++];
        } else {
            if (i < track->keyCount && track->keys[i].row == keys[j].row)
                ++i;  // replaced
            merged[n++] = keys[j++];
        }
    }
    std::free(track->keys);
    track->keys = merged;
    track->keyCount = n;
    return 0;
}

int SyncTrack::removeKey(SyncTrack* track, int row)
{
    const int i = findKey(track, row);
    if (i < 0)
        return -1; // the editor only deletes keys it has set: anything else is a broken peer
    std::memmove(track->keys + i, track->keys + i + 1, sizeof(SyncKey) * (track->keyCount - i - 1));
    if (track->keyCount == 1) {
        std::free(track->keys);
        track->keys = nullptr;
    } else {
        // A failed shrink keeps the larger block, which stays valid.
        if (void* shrunk = std::realloc(track->keys, sizeof(SyncKey) * (track->keyCount - 1)))
            track->keys = static_cast<SyncKey*>(shrunk);
    }
    track->keyCount--;
    return 0;
}
