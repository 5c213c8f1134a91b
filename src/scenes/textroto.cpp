#include "scenes/textroto.h"

#include "scenes/textflash.h"
#include "scenes/trackvalues.h"
#include "util/ascii/asciiloader.h"
#include "util/ascii/rawloader.h"
#include "util/music/music.h"

namespace {
constexpr float kCanvasAspect = 1.3333334f;
constexpr double kQuarterTurn = 1.5707963267948966;
}  // namespace

TextRoto::TextRoto() : Scene(), canvas() {}

void TextRoto::init() {
    artPicture = new AsciiLoader(&canvas, "data/common/asciiart/harbour_signal.asc");
    rawPicture = new RawLoader(&canvas, "data/common/raw_ascii/kolonv.raw", 80, 50);
    music->addSyncValue("rotoX1", 0.0f, true);
    music->addSyncValue("rotoY1", 0.0f, true);
    music->addSyncValue("rotoSqX1", 1.0f, true);
    music->addSyncValue("rotoSqY1", 1.0f, true);
    music->addSyncValue("rotoRot1", 0.0f, true);
}

void TextRoto::setViewport(int width, int height) {
    Scene::setViewport(width, height);
    canvas.set_viewport(width, height, kCanvasAspect);
}

void TextRoto::draw() {
    flash_background(canvas, music->getSyncValue("flash"));
    rawPicture->draw_rotated(219, 0, track_position(music->getSyncValue("rotoX1")),
                             track_position(music->getSyncValue("rotoY1")), kQuarterTurn,
                             double(music->getSyncValue("rotoSqY1")), 1.0);
    canvas.render(true);
}
