#include "scenes/musicvectors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "util/music/music.h"

namespace {

const float kPageWidth = 1280.0f;
const float kPageHeight = 720.0f;
const char* const kNoteTrack = "Ruff Kit";

// The path a held note of this key shows, or -1 for none.
int pathForKey(int key)
{
    switch (key) {
    case 44:
    case 46:
        return 0;
    case 36:
    case 37:
        return 1;
    case 40:
    case 41:
    case 45:
        return 2;
    default:
        return -1;
    }
}

}  // namespace

MusicVectors::MusicVectors() : Scene() {}

void MusicVectors::init()
{
    engine.setPageSize(static_cast<int>(kPageWidth), static_cast<int>(kPageHeight));
    engine.setScale(1.0f, 1.0f);
    engine.setOffset(0.0f, 0.0f);

    const vec3 white(1.0f, 1.0f, 1.0f);

    // Four strokes from near the corners toward the centre. The fill is on
    // but its contours are two points each, so it encloses no area.
    auto corners = std::make_unique<Path>("Hihat", true, true, white, white);
    const float a = 0.1f;
    const float b = 0.3f;
    corners->moveTo(a * kPageWidth, a * kPageHeight);
    corners->lineTo(b * kPageWidth, b * kPageHeight);
    corners->moveTo(a * kPageWidth, (1.0f - a) * kPageHeight);
    corners->lineTo(b * kPageWidth, (1.0f - b) * kPageHeight);
    corners->moveTo((1.0f - a) * kPageWidth, (1.0f - a) * kPageHeight);
    corners->lineTo((1.0f - b) * kPageWidth, (1.0f - b) * kPageHeight);
    corners->moveTo((1.0f - a) * kPageWidth, a * kPageHeight);
    corners->lineTo((1.0f - b) * kPageWidth, b * kPageHeight);
    paths[0] = std::move(corners);

    // A closed frame 5 % inside the page edge.
    auto frame = std::make_unique<Path>("Hihat", true, false, white, white);
    const float c = 0.05f;
    frame->moveTo(c * kPageWidth, c * kPageHeight);
    frame->lineTo((1.0f - c) * kPageWidth, c * kPageHeight);
    frame->lineTo((1.0f - c) * kPageWidth, (1.0f - c) * kPageHeight);
    frame->lineTo(c * kPageWidth, (1.0f - c) * kPageHeight);
    frame->close();
    paths[1] = std::move(frame);

    // A closed curve through the edge midpoints of a centred square, each
    // quarter bending toward one of its corners, filled red.
    auto snare = std::make_unique<Path>("Snare", true, true, white, vec3(1.0f, 0.0f, 0.0f));
    const float r = 0.2f;
    const float x0 = (0.5f - r) * kPageWidth;
    const float x1 = (0.5f + r) * kPageWidth;
    const float y0 = (0.5f - r) * kPageHeight;
    const float y1 = (0.5f + r) * kPageHeight;
    const float xc = 0.5f * kPageWidth;
    const float yc = 0.5f * kPageHeight;
    snare->moveTo(x0, yc);
    snare->cubicTo(x0, y0, x0, y0, xc, y0);
    snare->cubicTo(x1, y0, x1, y0, x1, yc);
    snare->cubicTo(x1, y1, x1, y1, xc, y1);
    snare->cubicTo(x0, y1, x0, y1, x0, yc);
    snare->close();
    paths[2] = std::move(snare);

    for (auto& [key, path] : paths)
        engine.addPath(path.get());
}

void MusicVectors::draw()
{
    const std::vector<std::uint8_t> lookup = music->getNoteLookupTableByName(kNoteTrack);
    const std::vector<bool> states = music->getNoteStatesByName(kNoteTrack);
    bool shown[3] = {false, false, false};
    for (std::size_t i = 0; i < states.size() && i < lookup.size(); i++) {
        if (!states[i])
            continue;
        const int path = pathForKey(lookup[i]);
        if (path >= 0)
            shown[path] = true;
    }
    for (auto& [key, path] : paths)
        path->setVisible(shown[key]);
    engine.render();
}

void MusicVectors::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
}
