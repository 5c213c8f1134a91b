#pragma once
// The text-mode opening: a progress bar with a riser, the built-in art wiped,
// flipped or scrolled, a starfield and a fire, chosen per section by sync
// tracks, with a seeded sprinkle of random cells on top.
#include "scenes/scene.h"
#include "util/ascii/asciiengine.h"

class AsciiStarfield;
class AsciiFire;

class TextIntro : public Scene {
public:
    TextIntro();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    AsciiEngine canvas;
    AsciiStarfield* starfield = nullptr;
    AsciiFire* fire = nullptr;

private:
    void drawBottomBar(int progress, int columnHighlight);
    void drawRiser(int progress, int height);
    void drawWipe(bool flip, int progress, int riserHeight);
    void drawScroll(float p3, int layout);
    void drawRandomCells();
};
