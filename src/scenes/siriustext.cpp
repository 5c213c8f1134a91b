#include "scenes/siriustext.h"

#include <GL/glew.h>

#include "util/math/mathutils.h"
#include "util/music/music.h"
#include "util/text/text.h"

namespace {
// Pair 0 is shown in black, pair 1 in white; word A at the first position,
// word B at the second.
const char* const kWords[2][2] = {{"orvik", "presents"}, {"lantern", "tressal"}};
}  // namespace

void SiriusText::init()
{
    text = new Text("data/common/fonts/GeosansLight.ttf", 512, FONT_BUFFER);
    music->addSyncValue("textScene", 0.0f, true);
    music->addSyncValue("textFade", 1.0f, true);
    music->addSyncValue("textFade2", 1.0f, true);
    music->addSyncValue("textY", 0.5f, true);
    music->addSyncValue("textX", 0.5f, true);
    music->addSyncValue("textY2", 0.5f, true);
    music->addSyncValue("textX2", 0.5f, true);
    music->addSyncValue("textSize", 64.0f, true);
    music->addSyncValue("textScaleX", 1.0f, true);
}

void SiriusText::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
    text->Reshape(width, height);
}

std::uint32_t SiriusText::faceSize(float trackValue)
{
    return static_cast<std::uint32_t>(clamp_to_int(trackValue, 1, 1024));
}

void SiriusText::draw()
{
    text->SetGLState();
    text->SetFaceSize(static_cast<std::int32_t>(faceSize(music->getSyncValue("textSize"))));

    // Below 0.5 the black pair; 0.5 or more, and NaN, the white one.
    const int pair = music->getSyncValue("textScene") < 0.5f ? 0 : 1;
    const float shade = pair == 0 ? 0.0f : 1.0f;
    const float stretch = music->getSyncValue("textScaleX");

    glColor4f(shade, shade, shade, music->getSyncValue("textFade"));
    text->PrintAt(music->getSyncValue("textX"), music->getSyncValue("textY"), stretch, "%s", kWords[pair][0]);
    glColor4f(shade, shade, shade, music->getSyncValue("textFade2"));
    text->PrintAt(music->getSyncValue("textX2"), music->getSyncValue("textY2"), stretch, "%s", kWords[pair][1]);
}
