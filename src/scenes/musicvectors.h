#pragma once
// Three fixed vector shapes on a 1280 x 720 page, each shown only while a
// note of its key group is held in the note track "Ruff Kit": the corner
// strokes (keys 44, 46), the frame (36, 37) and the red snare curve (40, 41,
// 45), drawn in that order.
#include <map>
#include <memory>

#include "scenes/scene.h"
#include "util/vectorengine/path.h"
#include "util/vectorengine/vectorengine.h"

class MusicVectors : public Scene {
public:
    // Needs a current OpenGL context (the engine builds its shader).
    MusicVectors();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    // The shapes under the keys 0, 1 and 2; the scene owns them. Declared
    // before the engine, which keeps plain pointers to them, so the engine
    // goes first.
    std::map<int, std::unique_ptr<Path>> paths;
    VectorEngine engine;
};
