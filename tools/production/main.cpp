// velmo_production [index]
//
// Prints the settings the program selects at start-up for the production it
// was built with, or for the index given, one "key=value" a line:
//   index=3
//   title=Glass Harbour Signal
//   music=data/music/glass_harbour_signal.xml
//   bpm=155
// An empty music value means a production without music (a silent clock).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "system/velmosystem.h"

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [production index]\n", argv[0]);
        return 2;
    }
    if (argc == 2) {
        const std::string arg = argv[1];
        if (arg.size() != 1 || arg[0] < '0' || arg[0] > '3') {
            std::fprintf(stderr, "%s: no production %s (0 to 3)\n", argv[0], argv[1]);
            return 2;
        }
        VelmoSystem::sceneSet = arg[0] - '0';
    }
    selectSceneSet();
    std::printf("index=%d\ntitle=%s\nmusic=%s\nbpm=%g\n", VelmoSystem::sceneSet, VelmoSystem::title.c_str(),
                VelmoSystem::musicFile.c_str(), static_cast<double>(VelmoSystem::bpm));
    return 0;
}
