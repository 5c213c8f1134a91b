#include "scenes/textpiano.h"

#include <cmath>

#include "scenes/textflash.h"
#include "scenes/trackvalues.h"
#include "util/ascii/asciifont.h"
#include "util/ascii/asciistarfield.h"
#include "util/music/music.h"

namespace {
constexpr float kCanvasAspect = 1.3333334f;

constexpr int kLidHeight = 6;
constexpr int kKeyHeight = 12;
constexpr int kBlackKeyHeight = 7;
constexpr int kPianoWidth = 57;
constexpr int kItemSpacing = 4;
// Computed once at start-up, as the lid and the keys together.
const int kPianoHeight = kLidHeight + kKeyHeight;

constexpr std::uint8_t kLidColour = 12;
constexpr std::uint8_t kPanelFg = 0, kPanelBg = 8;
constexpr std::uint8_t kHeldColour = 15;
constexpr std::uint8_t kReleasedWhite = 7, kReleasedBlack = 0;

constexpr std::uint8_t kLetterChar = 56;  // '8'
constexpr std::uint8_t kLetterFg = 11, kLetterBg = 1;

const char* const kNoteTrack = "Old Vinyl Piano";

// Greetings: groups of our own making.
const char* const kTopNames[6] = {"Kelp Cartel", "Brass Lantern", "Saltglass",
                                  "Quaybeat",    "Pier Nine",     "Driftcode"};
const char* const kBottomNames[12] = {"Anchorlight", "Tidewater Six", "Fogbell",
                                      "Gull Patrol", "Lowtide Labs",  "Bilge Pump",
                                      "Rope Knot",   "Jetty Club",    "Wavecrest",
                                      "Mooring Ten", "Night Ferry",   "Buoy Ninety"};
const char* const kPartyName = "Quayside";
const char* const kYear = "2026";
}  // namespace

TextPiano::TextPiano() : Scene(), canvas(), keys(), topItems(), bottomItems() {}

int TextPiano::keyType(int midiKey) {
    switch (midiKey % 12) {
    case 1: case 3: case 6: case 8: case 10:
        return 0;
    case 0: case 5:
        return 1;
    case 2: case 7: case 9:
        return 2;
    default:
        return 3;
    }
}

void TextPiano::layout(std::vector<ScrollItem>& items) {
    int position = 0;
    for (ScrollItem& item : items) {
        item.start = position;
        position += item.isPiano ? kPianoWidth : font->text_width(item.text);
        position += kItemSpacing;
        item.width = position - item.start;
    }
}

void TextPiano::init() {
    for (int key = 36; key < 60; ++key)
        keys.push_back(PianoKey{keyType(key), key});

    starfield = new AsciiStarfield(&canvas, true);
    font = new AsciiFont(&canvas);

    music->addSyncValue("pianoProgress", 0.0f, true);
    music->addSyncValue("pianoSpeed1", 10.0f, true);
    music->addSyncValue("pianoSpeed2", 16.0f, true);
    music->addSyncValue("flash", 0.0f, true);
    music->addSyncValue("lastText", 0.0f, true);

    auto piano = [] { return ScrollItem{true, "", 0, 0}; };
    auto text = [](const char* words) { return ScrollItem{false, words, 0, 0}; };
    topItems.push_back(piano());
    topItems.push_back(text("Greetings to"));
    for (const char* name : kTopNames) {
        topItems.push_back(piano());
        topItems.push_back(text(name));
    }
    topItems.push_back(piano());
    for (const char* name : kBottomNames) {
        bottomItems.push_back(piano());
        bottomItems.push_back(text(name));
    }
    layout(topItems);
    layout(bottomItems);
}

void TextPiano::setViewport(int width, int height) {
    Scene::setViewport(width, height);
    canvas.set_viewport(width, height, kCanvasAspect);
}

void TextPiano::drawBand(const std::vector<ScrollItem>& items, int baseRow, int bob, int x0,
                         const std::vector<std::uint8_t>& keyNumbers,
                         const std::vector<bool>& states) {
    for (const ScrollItem& item : items) {
        if (item.start + x0 > 80)
            break;
        if (item.start + x0 + item.width < 0)
            continue;
        if (item.isPiano)
            drawPiano(baseRow + bob, x0 + item.start, keyNumbers, states);
        else
            font->draw_text(baseRow + bob + 6, x0 + item.start, kLetterChar, kLetterFg, kLetterBg,
                            item.text);
    }
}

void TextPiano::draw() {
    flash_background(canvas, music->getSyncValue("flash"));

    const float p = music->getSyncValue("pianoProgress");
    const std::vector<std::uint8_t> keyNumbers = music->getNoteLookupTableByName(kNoteTrack);
    const std::vector<bool> states = music->getNoteStatesByName(kNoteTrack);

    starfield->draw(music->getBeatStep() * -10.0f);

    const float b = music->getBeat();
    const float pi = 3.14159265f;
    const int bobTop = track_position(5.0f * std::sin(0.75f * pi * b));
    const int x0Top = track_position(-p * music->getSyncValue("pianoSpeed1")) + 80;
    drawBand(topItems, 4, bobTop, x0Top, keyNumbers, states);

    const int bobBottom = track_position(5.0f * std::cos(0.5f * pi * b));
    const int x0Bottom = track_position(-p * music->getSyncValue("pianoSpeed2")) + 80;
    drawBand(bottomItems, 28, bobBottom, x0Bottom, keyNumbers, states);

    const int last = track_position(music->getSyncValue("lastText"));
    if (last > -100) {
        font->draw_text(last + 15, 5, kLetterChar, kLetterFg, kLetterBg, kPartyName);
        font->draw_text(last + 30, 40, kLetterChar, kLetterFg, kLetterBg, kYear);
    }
    canvas.render(true);
}

void TextPiano::drawPianoBody(int row, int column) {
    for (int r = row + kLidHeight; r < row + kPianoHeight; ++r) {
        canvas.put(r, column, 0, kLidColour, kLidColour);
        canvas.put(r, column + kPianoWidth - 1, 0, kLidColour, kLidColour);
    }
    canvas.fill_rect(row, column, kLidHeight, kPianoWidth, 0, kLidColour, kLidColour);
    for (int i = 1; i <= 4; ++i) {
        for (int j = 3; j <= 15; ++j)
            canvas.put(row + i, column + j, j % 2 == 0 ? 42 : 32, kPanelFg, kPanelBg);
        canvas.put(row + i, column + 16, 179, kPanelFg, kPanelBg);
        for (int j = 17; j <= 29; ++j) {
            std::uint8_t ch = 32;
            if (j % 2 == 0 && i == 2)
                ch = 203;
            else if (j % 2 == 0 && i == 3)
                ch = 186;
            canvas.put(row + i, column + j, ch, kPanelFg, kPanelBg);
        }
    }
}

void TextPiano::drawKeySeparator(int keyRow, int column) {
    for (int i = 0; i < kKeyHeight; ++i)
        canvas.put(keyRow + i, column, 179, blackKeyColour, whiteKeyColour);
}

void TextPiano::drawPiano(int row, int column, const std::vector<std::uint8_t>& keyNumbers,
                          const std::vector<bool>& states) {
    drawPianoBody(row, column);
    const int r = row + kLidHeight;
    int w = column + 1;
    int k = column + 3;

    // Full white-key column: key rows 0 to 11; lower column: rows 7 to 11.
    auto whiteFull = [&](int col) {
        for (int i = 0; i < kKeyHeight; ++i)
            canvas.put(r + i, col, 0, blackKeyColour, whiteKeyColour);
    };
    auto whiteLower = [&](int col) {
        for (int i = kBlackKeyHeight; i < kKeyHeight; ++i)
            canvas.put(r + i, col, 0, blackKeyColour, whiteKeyColour);
    };

    for (std::size_t n = 0; n < keys.size(); ++n) {
        const PianoKey& key = keys[n];
        // A key without a note in the track has no state: it reads as released.
        bool held = false;
        for (std::size_t j = 0; j < keyNumbers.size(); ++j)
            if (keyNumbers[j] == key.key) {
                held = j < states.size() && states[j];
                break;
            }
        blackKeyColour = held ? kHeldColour : kReleasedBlack;
        whiteKeyColour = held ? kHeldColour : kReleasedWhite;

        switch (key.type) {
        case 1:
            whiteFull(w);
            whiteFull(w + 1);
            whiteLower(w + 2);
            w += 4;
            break;
        case 2:
            whiteLower(w);
            whiteFull(w + 1);
            whiteLower(w + 2);
            w += 4;
            k += 4;
            break;
        case 3:
            whiteLower(w);
            whiteFull(w + 1);
            whiteFull(w + 2);
            w += 3;
            k += 8;
            if (n + 1 != keys.size()) {
                drawKeySeparator(r, w);
                w += 1;
            }
            break;
        default:
            for (int i = 0; i < kBlackKeyHeight; ++i)
                for (int c = k; c < k + 3; ++c)
                    canvas.put(r + i, c, 0, whiteKeyColour, blackKeyColour);
            for (int i = kBlackKeyHeight; i < kKeyHeight; ++i)
                canvas.put(r + i, k + 1, 179, 0, 7);
            break;
        }
    }
}
