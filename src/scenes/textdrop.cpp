#include "scenes/textdrop.h"

#include "scenes/trackvalues.h"

#include "util/ascii/rawloader.h"
#include "util/ascii/rotozoom.h"
#include "util/music/music.h"

namespace {
constexpr float kCanvasAspect = 1.3333334f;
constexpr int kTitleTransparent = 13;
}  // namespace

TextDrop::TextDrop() : Scene(), canvas() {}

void TextDrop::init() {
    rotozoom = new Rotozoom(&canvas, "data/common/raw_ascii/velmos.raw");
    bigPicture = new RawLoader(&canvas, "data/common/raw_ascii/glass_harbour_signal_4_300x120.raw",
                               300, 120);
    music->addSyncValue("bigX", 0.0f, true);
    music->addSyncValue("bigY", 0.0f, true);
}

void TextDrop::setViewport(int width, int height) {
    Scene::setViewport(width, height);
    canvas.set_viewport(width, height, kCanvasAspect);
}

void TextDrop::draw() {
    canvas.clear();
    rotozoom->draw();
    const int x = track_position(music->getSyncValue("bigX"));
    const int y = track_position(music->getSyncValue("bigY"));
    const int flash = flash_level(music->getSyncValue("flash"));
    // Unlike the other text-mode scenes, no flash leaves the rotozoomer.
    if (flash == 1)
        canvas.fill(32, 8, 8);
    else if (flash == 2)
        canvas.fill(32, 7, 7);
    else if (flash >= 3)
        canvas.fill(32, 15, 15);
    bigPicture->draw(219, kTitleTransparent, x, y);
    canvas.render(true);
}
