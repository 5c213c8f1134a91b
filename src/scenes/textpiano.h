#pragma once
// Two bands of text-mode pianos and big-letter greetings scrolling right to
// left and bobbing with the beat; the pianos' keys light up with the notes of
// "Old Vinyl Piano". Registers the "flash" track the other text-mode scenes
// read.
#include <cstdint>
#include <string>
#include <vector>

#include "scenes/scene.h"
#include "util/ascii/asciiengine.h"

class AsciiStarfield;
class AsciiFont;

struct PianoKey {
    int type;  // 0 black, 1 white with a black key at its right (C, F),
               // 2 white between two black keys (D, G, A), 3 white with a black key at its left (E, B)
    int key;   // MIDI key number
};

struct ScrollItem {
    bool isPiano;
    std::string text;
    int start;  // column within the band
    int width;  // columns taken, spacing included
};

class TextPiano : public Scene {
public:
    TextPiano();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void drawPiano(int row, int column, const std::vector<std::uint8_t>& keyNumbers,
                   const std::vector<bool>& states);

    static int keyType(int midiKey);

protected:
    AsciiEngine canvas;
    std::vector<PianoKey> keys;
    std::uint8_t blackKeyColour = 0;
    std::uint8_t whiteKeyColour = 7;
    AsciiStarfield* starfield = nullptr;
    AsciiFont* font = nullptr;
    std::vector<ScrollItem> topItems;
    std::vector<ScrollItem> bottomItems;

private:
    void drawPianoBody(int row, int column);
    void drawKeySeparator(int keyRow, int column);
    void drawBand(const std::vector<ScrollItem>& items, int baseRow, int bob, int x0,
                  const std::vector<std::uint8_t>& keyNumbers, const std::vector<bool>& states);
    void layout(std::vector<ScrollItem>& items);
};
