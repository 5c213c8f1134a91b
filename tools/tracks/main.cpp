// velmo_tracks OUTPUT_DIR TIMELINE...
// Writes OUTPUT_DIR/_<track>.track for every track of the timeline files,
// through the engine's own track-file writer, so the player reads exactly
// what the sync editor would have saved.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "timeline.h"
#include "util/music/syncclient.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR TIMELINE...\n", argv[0]);
        return 2;
    }
    std::string base = argv[1];
    if (base.back() != '/')
        base += '/';
    std::vector<TimelineTrack> tracks;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read\n", argv[i]);
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        std::string error;
        if (!parse_timeline(text.str(), argv[i], tracks, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(argv[1], ignored);
    for (auto& t : tracks) {
        SyncTrack track{};
        track.name = t.name.data();
        for (const auto& key : t.keys)
            if (SyncTrack::setKey(&track, &key) != 0) {
                std::fprintf(stderr, "%s: out of memory\n", t.origin.c_str());
                return 1;
            }
        const char* path = trackFilePath(base.c_str(), t.name.c_str());
        const int result = writeTrackFile(&track, path);
        std::free(track.keys);
        if (result != 0) {
            std::fprintf(stderr, "%s: cannot write\n", path);
            return 1;
        }
        std::printf("%s (%d keys)\n", path, static_cast<int>(t.keys.size()));
    }
    return 0;
}
