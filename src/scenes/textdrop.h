#pragma once
// The title picture moved across the canvas by two tracks, over a running
// rotozoomer that a flash can blank to grey or white.
#include "scenes/scene.h"
#include "util/ascii/asciiengine.h"

class Rotozoom;
class RawLoader;

class TextDrop : public Scene {
public:
    TextDrop();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    AsciiEngine canvas;
    Rotozoom* rotozoom = nullptr;
    RawLoader* bigPicture = nullptr;
};
