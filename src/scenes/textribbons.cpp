#include "scenes/textribbons.h"

#include <cmath>
#include <string>

#include "platform/timing.h"
#include "scenes/textflash.h"
#include "scenes/trackvalues.h"
#include "util/ascii/asciistarfield.h"
#include "util/math/random.h"
#include "util/music/music.h"

namespace {
constexpr float kCanvasAspect = 1.3333334f;
constexpr std::uint8_t kHeldColour = 11;
// The note of "RaveBleep" each ribbon follows, ribbons 1 to 4.
constexpr int kRibbonNote[4] = {2, 3, 0, 1};
}  // namespace

TextRibbons::TextRibbons() : Scene(), canvas(), ribbonColours() {}

void TextRibbons::init() {
    starfield = new AsciiStarfield(&canvas, true);
    auto add = [this](int count, std::uint8_t fg, std::uint8_t bg) {
        for (int i = 0; i < count; ++i)
            ribbonColours.emplace_back(fg, bg);
    };
    add(2, 15, 15);
    add(2, 15, 14);
    add(1, 14, 12);
    add(1, 14, 4);
    add(10, 12, 12);
    add(10, 12, 4);
    add(4, 12, 0);
    add(2, 8, 0);
    for (int n = 1; n <= 4; ++n) {
        const std::string prefix = "ribbon" + std::to_string(n);
        music->addSyncValue(prefix + "X", 0.0f, true);
        music->addSyncValue(prefix + "Y", 0.0f, true);
        music->addSyncValue(prefix + "Seed", 0.0f, true);
    }
}

void TextRibbons::setViewport(int width, int height) {
    Scene::setViewport(width, height);
    canvas.set_viewport(width, height, kCanvasAspect);
}

void TextRibbons::draw() {
    flash_background(canvas, music->getSyncValue("flash"));
    starfield->draw(music->getBeatStep() * -10.0f);
    const std::vector<bool> states = music->getNoteStatesByName("RaveBleep");

    velmo_srand(unsigned(GetTickCount() * 39825u));
    for (int n = 0; n < 4; ++n) {
        const std::string prefix = "ribbon" + std::to_string(n + 1);
        const std::size_t note = std::size_t(kRibbonNote[n]);
        // A track with fewer notes has no state for this ribbon: not held.
        const bool held = note < states.size() && states[note];
        drawRibbon(track_position(music->getSyncValue(prefix + "Y")), track_position(music->getSyncValue(prefix + "X")),
                   music->getSyncValue(prefix + "Seed"), held);
    }
    canvas.render(true);
}

void TextRibbons::drawRibbon(int row, int column, float phase, bool held) {
    const int length = int(ribbonColours.size());
    for (int i = 0; i < length; ++i) {
        const int c = column - i;
        const int r = row + track_position(3.0f * std::sin(phase - 0.15f * float(i)));
        const std::uint8_t centre = std::uint8_t(velmo_rand() % 256);
        if (held)
            canvas.put(r, c, centre, kHeldColour, kHeldColour);
        else
            canvas.put(r, c, centre, ribbonColours[i].first, ribbonColours[i].second);
        if (i > 0 && 2 * i < length) {
            const auto& thick = ribbonColours[2 * i];
            const std::uint8_t above = std::uint8_t(velmo_rand() % 256);
            canvas.put(r - 1, c, above, thick.first, thick.second);
            const std::uint8_t below = std::uint8_t(velmo_rand() % 256);
            canvas.put(r + 1, c, below, thick.first, thick.second);
        }
    }
}
