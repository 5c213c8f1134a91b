// Sync track files: any file either loads as a track of strictly ascending
// keys or is refused, without reading outside its bytes.
#include <cstdlib>

#include "fuzz_support.h"
#include "util/music/syncclient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz_write_input(data, size, "_t.track");
    const std::string base = path.substr(0, path.size() - 8); // trackFilePath adds "_t.track"
    SyncClient* client = SyncClient::create(base.c_str(), 0);
    SyncTrack* track = SyncClient::getTrack(client, "t", 1.0f);
    if (track) {
        for (int i = 1; i < track->keyCount; ++i)
            if (track->keys[i].row <= track->keys[i - 1].row)
                std::abort();
        SyncTrack::valueAt(track, 12.5);
    }
    SyncClient::destroy(client);
    return 0;
}
