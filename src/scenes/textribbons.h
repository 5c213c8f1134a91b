#pragma once
// Four ribbons of flickering random characters snaking across the canvas over
// a starfield; a ribbon's centre line turns cyan while its note of
// "RaveBleep" sounds.
#include <cstdint>
#include <utility>
#include <vector>

#include "scenes/scene.h"
#include "util/ascii/asciiengine.h"

class AsciiStarfield;

class TextRibbons : public Scene {
public:
    TextRibbons();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void drawRibbon(int row, int column, float phase, bool held);

protected:
    AsciiEngine canvas;
    AsciiStarfield* starfield = nullptr;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> ribbonColours;
};
