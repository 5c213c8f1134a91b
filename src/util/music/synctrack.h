#pragma once
// One named sync track: keys at integer rows, each with a value and the way
// the value moves toward the next key. Evaluated at fractional rows.
#include <cstdint>

// Interpolation from a key toward the next one.
enum SyncKeyType : std::int32_t { Hold = 0, Linear = 1, SmoothStep = 2, Quadratic = 3 };

struct SyncKey {
    std::int32_t row;
    float value;
    std::int32_t type;
};

struct SyncTrack {
    char* name;
    SyncKey* keys;          // exactly keyCount keys, ascending rows; null when empty
    std::int32_t keyCount;

    // The value at a fractional row (0.0 for a track without keys).
    static float valueAt(const SyncTrack* track, double row);
    // Index of the key at exactly `row`, or -(insertion point) - 1.
    static int findKey(const SyncTrack* track, int row);
    // Inserts the key or replaces the one at its row; 0, or -1 when the array cannot grow.
    static int setKey(SyncTrack* track, const SyncKey* key);
    // Deletes the key at `row`; 0, or -1 when no key stands there or the array cannot shrink.
    static int removeKey(SyncTrack* track, int row);
    // Sets many keys at once, as setKey one after another would: `keys`
    // ascending by row without repeats. One merge, so that a burst of keys
    // costs the track's length plus the burst, not their product.
    static int setKeys(SyncTrack* track, const SyncKey* keys, int count);
};
