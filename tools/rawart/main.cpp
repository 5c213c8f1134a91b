// rawart: writes the production's raw colour-index pictures.
//   rawart <output folder> <TrueType font for the title> [--preview <folder>]
// The pictures are drawn by code (see lighthouse.cpp, tiles.cpp, title.cpp);
// --preview also writes PPM images of them in the canvas palette.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "lighthouse.h"
#include "picture.h"
#include "tiles.h"
#include "title.h"

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--preview") == 0)) {
        std::fprintf(stderr, "usage: %s <output folder> <font.ttf> [--preview <folder>]\n", argv[0]);
        return 2;
    }
    try {
        const std::string out = argv[1];
        struct Item {
            const char* name;
            Picture picture;
        } items[] = {
            {"kolonv", draw_lighthouse()},
            {"velmos", draw_tiles()},
            {"glass_harbour_signal_4_300x120", draw_title(argv[2])},
        };
        for (const Item& item : items) {
            item.picture.writeRaw(out + "/" + item.name + ".raw");
            if (argc == 5)
                item.picture.writePreview(std::string(argv[4]) + "/" + item.name + ".ppm", 5, 6);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rawart: %s\n", e.what());
        return 1;
    }
    return 0;
}
