#include "util/ascii/asciifire.h"

#include <cmath>

#include "platform/timing.h"
#include "util/ascii/asciiengine.h"
#include "util/math/random.h"

namespace {

std::uint32_t tick32()
{
    return static_cast<std::uint32_t>(GetTickCount64());
}

// S / divisor truncated and kept to its low 8 bits; 0 when the divisor is
// not positive or the quotient is not finite (negative decays from tracks).
std::uint8_t blurred_heat(int sum, double divisor)
{
    if (!(divisor > 0.0))
        return 0;
    const double q = sum / divisor;
    if (!std::isfinite(q))
        return 0;
    return static_cast<std::uint8_t>(static_cast<unsigned>(std::fmod(std::trunc(q), 256.0)));
}

}  // namespace

AsciiFire::AsciiFire(AsciiEngine* canvas) : canvas(canvas)
{
    // Heat level -> colour: dark red, red, yellow, white.
    for (int level = 0; level < 25; ++level)
        palette[level] = level == 0 ? 0 : level == 1 ? 4 : level <= 6 ? 12 : level <= 15 ? 14 : 15;
    velmo_srand(tick32());
}

void AsciiFire::set_decay(double newDecay, double target, double speed)
{
    decay = newDecay;
    decayTarget = target;
    decaySpeed = speed;
}

void AsciiFire::draw(int fixed_char)
{
    // Shared by every fire; ticks are compared by signed difference so that
    // the wrap of the 32-bit counter does not stall the fire.
    static bool started = false;
    static std::uint32_t nextStep = 0;
    const std::uint32_t now = tick32();
    if (!started) {
        nextStep = now;
        started = true;
    }
    int count = 0;
    while (static_cast<std::int32_t>(now - nextStep) >= 0) {
        if (++count > 5) {
            nextStep = now;  // the backlog is dropped
            break;
        }
        nextStep += 16;
        step();
    }

    for (int j = 0; j < height; ++j) {
        for (int k = 0; k < width; ++k) {
            int sum = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    sum += field[(2 * j + dy) * FIELD_WIDTH + 3 * k + dx];
            // Twice the block's average, kept to 8 bits as the field is.
            const int cell = heat_to_cell(static_cast<std::uint8_t>(sum / 3), fixed_char);
            if (cell != -1)
                canvas->put_packed(j, k, static_cast<std::uint16_t>(cell));
        }
    }
}

int AsciiFire::heat_to_cell(std::uint8_t heat, int fixed_char) const
{
    const int level = (heat / 10) % 25;
    if (level == 0)
        return -1;
    const int ch = fixed_char == -1 ? heat / 4 + 136 : (fixed_char & 0xFF);
    return ch | palette[level] << 8;
}

void AsciiFire::step()
{
    if (decaySpeed > 0 && decay > decayTarget)
        decay -= decaySpeed;
    if (decaySpeed <= 0 && decayTarget > decay)
        decay -= decaySpeed;

    // Rise and blur in place: (y - 1, x - 1) already holds this step's value
    // when (y - 1, x) is computed.
    for (int y = 1; y < FIELD_HEIGHT; ++y) {
        for (int x = 0; x < FIELD_WIDTH; ++x) {
            int sum = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const int yy = y + dy;
                if (yy >= FIELD_HEIGHT)
                    continue;
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx;
                    if ((dx == 0 && dy == 0) || xx < 0 || xx >= FIELD_WIDTH)
                        continue;
                    sum += field[yy * FIELD_WIDTH + xx];
                    ++n;
                }
            }
            field[(y - 1) * FIELD_WIDTH + x] = blurred_heat(sum, n + decay);
        }
    }

    velmo_srand(tick32() * 247238u);
    std::uint8_t* bottom = field + (FIELD_HEIGHT - 1) * FIELD_WIDTH;
    for (int i = 0; i < sparks; ++i) {
        for (int k = 0; k < 3; ++k)
            bottom[velmo_rand() * 239 / 32767] = 0;
        bottom[velmo_rand() * 239 / 32767] = 255;
    }
}
