#pragma once
// The harbour picture turned a quarter turn, squashed by a track and wiped
// in or out by two clipping tracks, over a background that can flash.
#include "scenes/scene.h"
#include "util/ascii/asciiengine.h"

class AsciiLoader;
class RawLoader;

class TextRoto : public Scene {
public:
    TextRoto();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    AsciiEngine canvas;
    AsciiLoader* artPicture = nullptr;
    RawLoader* rawPicture = nullptr;
};
