#include "scenes/textintro.h"

#include <climits>
#include <cmath>

#include "scenes/trackvalues.h"
#include "util/ascii/asciifire.h"
#include "util/ascii/asciistarfield.h"
#include "util/math/random.h"
#include "util/music/music.h"

namespace {
constexpr float kCanvasAspect = 1.3333334f;
constexpr int kNoHighlight = -1000;
}  // namespace

TextIntro::TextIntro() : Scene(), canvas() {}

void TextIntro::init() {
    music->addSyncValue("introProgress", 0.0f, true);
    music->addSyncValue("introSection", 0.0f, true);
    music->addSyncValue("introProg2", 0.0f, true);
    music->addSyncValue("introProg3", 0.0f, true);
    music->addSyncValue("introRndThings", 0.0f, true);
    music->addSyncValue("introRndSeed", 0.0f, true);
    music->addSyncValue("fireDecay", 0.5f, true);
    music->addSyncValue("fireDecayTarget", 0.25f, true);
    music->addSyncValue("fireDecaySpeed", 0.2f, true);
    starfield = new AsciiStarfield(&canvas, false);
    fire = new AsciiFire(&canvas);
}

void TextIntro::setViewport(int width, int height) {
    Scene::setViewport(width, height);
    canvas.set_viewport(width, height, kCanvasAspect);
}

// Rows 44 to 46 up to column P. With a highlight column h (section 4), the
// columns h, h - 2 and h - 1 stand out on light grey.
void TextIntro::drawBottomBar(int progress, int highlight) {
    for (int c = 0; c < 80 && c < progress; ++c) {
        std::uint8_t fg = 15, bg = 0;
        if (highlight != kNoHighlight) {
            if (c == highlight) {
                fg = 15;
                bg = 7;
            } else if (c == highlight - 2) {
                fg = 11;
                bg = 7;
            } else if (c == highlight - 1) {
                fg = 9;
                bg = 7;
            }
        }
        canvas.put(46, c, 178, fg, bg);
        canvas.put(45, c, 177, fg, bg);
        canvas.put(44, c, 176, fg, bg);
    }
}

void TextIntro::drawRiser(int progress, int height) {
    // Rows above the canvas top are never reached: the riser stops there.
    for (int k = 0; k < height && k < 50; ++k) {
        const int r = 45 - k;
        if (k == 0) {
            canvas.put(45, progress, 177, 15, 0);
            canvas.put(45, progress + 1, 178, 15, 0);
            canvas.put(46, progress + 1, 178, 15, 0);
            canvas.put(46, progress, 178, 15, 0);
        } else {
            canvas.put(r, progress - 1, 176, 15, 0);
            canvas.put(r, progress, 177, 15, 0);
            canvas.put(r, progress + 1, 178, 15, 0);
        }
    }
}

// Sections 1 and the default: the picture, blanked right of the progress
// column, with the bar and the riser.
void TextIntro::drawWipe(bool flip, int progress, int riserHeight) {
    canvas.draw_builtin_image(0, 15, 0, '.', flip, 0, 0);
    canvas.fill_rect(0, progress, 50, 80 - progress, 0, 0, 0);
    drawBottomBar(progress, kNoHighlight);
    drawRiser(progress, riserHeight);
}

void TextIntro::drawScroll(float p3, int layout) {
    const float t = std::fmod(p3, 1.0f);
    const int v = track_position(160.0f * t - 80.0f);
    starfield->draw(music->getBeatStep() * -10.0f);
    if (music->getSyncValue("fireDecay") >= 0.0f)
        fire->draw(-1);
    switch (layout) {
    case 1:
        canvas.draw_builtin_image(3, 11, 1, '.', false, v, 0);
        break;
    case 2:
        canvas.draw_builtin_image(3, 11, 1, '.', false, track_position(t * 10.0f * 2.0f), 0);
        canvas.draw_builtin_image(2, 11, 1, '.', false, v - 10, 0);
        break;
    case 3:
        canvas.draw_builtin_image(3, 11, 1, '.', false, v + 10, 0);
        canvas.draw_builtin_image(2, 11, 1, '.', false, v - 10, 0);
        break;
    case 4:
        for (int r = 10; r < 10 + track_position(48.0f * t); ++r)
            canvas.draw_builtin_image_row(r, 0, 0, r, 11, 1, '.');
        break;
    default:
        canvas.draw_builtin_image(0, 11, 1, '.', false, v, 0);
        break;
    }
}

void TextIntro::drawRandomCells() {
    velmo_srand(unsigned(clamp_to_int(music->getSyncValue("introRndSeed") + 0.5f, INT_MIN, INT_MAX)));
    const int things = track_count(music->getSyncValue("introRndThings"));
    for (int i = 0; i < things; ++i) {
        const int column = velmo_rand() % 80;
        const int row = velmo_rand() % 50;
        const int character = velmo_rand() % 256;
        const int fg = velmo_rand() % 16;
        const int bg = velmo_rand() % 16;
        canvas.put(row, column, std::uint8_t(character), std::uint8_t(fg), std::uint8_t(bg));
    }
}

void TextIntro::draw() {
    const int progress = track_position(music->getSyncValue("introProgress"));
    const int prog2 = track_position(music->getSyncValue("introProg2"));
    const float p3 = music->getSyncValue("introProg3");
    const int prog3 = track_position(p3);
    const int section = track_position(music->getSyncValue("introSection") + 0.5f);

    fire->set_decay(double(music->getSyncValue("fireDecay")), double(music->getSyncValue("fireDecayTarget")),
                    double(music->getSyncValue("fireDecaySpeed") * 0.001f));

    canvas.clear();
    switch (section) {
    case 1:
        drawWipe(true, progress, prog2);
        break;
    case 2:
        drawScroll(p3, prog3);
        break;
    case 3:
        fire->draw(-1);  // whatever the decay: the fire guards its own division
        break;
    case 4:
        drawBottomBar(progress, prog2);
        break;
    default:
        drawWipe(false, progress, prog2);
        for (int m = 0; m < 80 && m < prog3; ++m) {
            const int c = 79 - m;
            canvas.put(4, c, 178, 15, 0);
            canvas.put(5, c, 177, 15, 0);
            canvas.put(6, c, 176, 15, 0);
        }
        break;
    }
    drawRandomCells();
    canvas.render(true);
}
