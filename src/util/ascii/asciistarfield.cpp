#include "util/ascii/asciistarfield.h"

#include "platform/timing.h"
#include "util/ascii/asciiengine.h"
#include "util/math/mathutils.h"
#include "util/math/random.h"

AsciiStarfield::AsciiStarfield(AsciiEngine* canvas, bool start_right) : canvas(canvas)
{
    velmo_srand(GetTickCount() * 64363u);
    for (int i = 0; i < STARS; ++i)
        respawn(i, start_right);
}

void AsciiStarfield::respawn(int i, bool at_right)
{
    x[i] = at_right ? 80.0f : 0.0f;
    row[i] = velmo_rand() % 50;
    speed[i] = random_float(0.5f, 5.0f);
}

void AsciiStarfield::move(float step)
{
    velmo_srand(GetTickCount() * 2348u);
    const bool at_right = !(step > 0);
    for (int i = 0; i < STARS; ++i) {
        x[i] += speed[i] * step;
        if (x[i] > 80 || x[i] < 0)
            respawn(i, at_right);
    }
}

void AsciiStarfield::draw(float step)
{
    move(step);
    for (int i = 0; i < STARS; ++i) {
        const int level = static_cast<int>((speed[i] - 0.5f) * 3 / (5.0f - 0.5f));
        const unsigned char colour = level == 0 ? 8 : level == 1 ? 7 : 15;
        // A position that is not a number (a step that was not one) is not drawn.
        if (x[i] >= 0 && x[i] <= 80)
            canvas->put_char_fg(row[i], static_cast<int>(x[i]), '.', colour);
    }
}
