// The text-mode fire: heat to cell, cooling, sparks from the reseeded
// generator, the 16 ms step clock (at most five steps a draw, also across the
// wrap of the 32-bit tick count) and heat that stays defined for any decay.
#include <cmath>
#include <limits>
#include <vector>

#include "util/ascii/ascii_fixtures.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/asciifire.h"
#include "util/math/random.h"

namespace {

using AsciiFireTest = ascii_test::FixtureTest;

TEST_F(AsciiFireTest, HeatToCell)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    set_tick(1000);
    AsciiFire fire(&e);
    struct Case {
        int heat, fixedChar, cell;
    } cases[] = {
        {0, -1, -1},           {9, -1, -1},           {10, -1, 138 | 4 << 8}, {19, -1, 140 | 4 << 8},
        {20, -1, 141 | 12 << 8}, {69, -1, 153 | 12 << 8}, {70, -1, 153 | 14 << 8}, {159, -1, 175 | 14 << 8},
        {160, -1, 176 | 15 << 8}, {249, -1, 198 | 15 << 8}, {250, -1, -1},         {255, -1, -1},
        {120, 219, 219 | 14 << 8}, {120, 0x1DB, 219 | 14 << 8}, {5, 219, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fire.heat_to_cell(static_cast<std::uint8_t>(c.heat), c.fixedChar), c.cell) << "heat " << c.heat;
}

TEST_F(AsciiFireTest, ConstructionSeedsTheSharedGenerator)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::uint64_t tick = 0x1234567800ull + 77;
    set_tick(tick);
    AsciiFire fire(&e);
    const int drawn = velmo_rand();
    velmo_srand(static_cast<std::uint32_t>(tick));  // the low 32 bits seed
    EXPECT_EQ(drawn, velmo_rand());
}

// Runs exactly one step per draw: the clock is due at the tick of the draw.
void step_once(AsciiFire& fire, std::uint64_t& tick)
{
    set_tick_count_override(true, tick);
    fire.draw(-1);
    tick += 16;
}

// The only test in this program that draws a fire before the clock exists, so
// the shared step clock starts at its first draw. The ticks sit just below the
// wrap of the 32-bit count.
TEST_F(AsciiFireTest, StepsByTheClockAndLightsTheBottomFirst)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    const std::uint64_t t = 0x2FFFFFFF0ull;
    set_tick(t);
    AsciiFire fire(&e);
    fire.draw(-1);

    // One step: decay moved once, and only the sparks of row 99 are hot.
    EXPECT_NEAR(fire.get_decay(), 0.498, 1e-12);
    for (int y = 0; y < 99; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(fire.get_heat(y, x), 0) << y << "," << x;
    std::vector<int> expectedBottom(240, 0);
    velmo_srand(static_cast<std::uint32_t>(t) * 247238u);
    for (int i = 0; i < 25; ++i) {
        for (int k = 0; k < 3; ++k)
            expectedBottom[velmo_rand() * 239 / 32767] = 0;
        expectedBottom[velmo_rand() * 239 / 32767] = 255;
    }
    for (int x = 0; x < 240; ++x)
        ASSERT_EQ(fire.get_heat(99, x), expectedBottom[x]) << x;
    int lit = 0;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            if (e.get_char(r, c)) {
                EXPECT_EQ(r, 49);
                ++lit;
            }
    EXPECT_GT(lit, 0);

    // 200 ms later (past the wrap): five steps, then the backlog is dropped.
    set_tick(t + 200);
    fire.draw(-1);
    EXPECT_NEAR(fire.get_decay(), 0.488, 1e-12);
    // Within 16 ms: exactly one step, then none until the next is due.
    set_tick(t + 205);
    fire.draw(-1);
    EXPECT_NEAR(fire.get_decay(), 0.486, 1e-12);
    fire.draw(-1);
    set_tick(t + 215);
    fire.draw(-1);
    EXPECT_NEAR(fire.get_decay(), 0.486, 1e-12);
    set_tick(t + 216);
    fire.draw(-1);
    EXPECT_NEAR(fire.get_decay(), 0.484, 1e-12);

    // Cooling walks to the target and stays there.
    std::uint64_t tick = t + 232;
    fire.set_decay(0.5, 0.25, 0.002);
    for (int i = 0; i < 130; ++i)
        step_once(fire, tick);
    EXPECT_NEAR(fire.get_decay(), 0.25, 1e-9);
    fire.set_decay(0.5, 1.0, -0.002);
    for (int i = 0; i < 10; ++i)
        step_once(fire, tick);
    EXPECT_NEAR(fire.get_decay(), 0.52, 1e-9);
    fire.set_decay(0.9, 0.9, 0.0);
    step_once(fire, tick);
    EXPECT_EQ(fire.get_decay(), 0.9);

    // The heat rose: the upper rows are lit now.
    bool upperLit = false;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 240; ++x)
            upperLit |= fire.get_heat(y, x) != 0;
    EXPECT_TRUE(upperLit);

    // A divisor of 0 or below (decays from tracks), or a decay that is not a
    // number, gives heat 0 instead of a division by zero.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double decay : {-8.0, -20.0, nan}) {
        fire.set_decay(decay, decay, 0.0);
        step_once(fire, tick);
        for (int y = 0; y < 99; ++y)
            for (int x = 0; x < 240; ++x)
                ASSERT_EQ(fire.get_heat(y, x), 0) << "decay " << decay << " at " << y << "," << x;
    }
    // -7.5: inside the field the divisor is 0.5, on the edges it is negative.
    for (int i = 0; i < 3; ++i) {
        fire.set_decay(-7.5, -7.5, 0.0);
        step_once(fire, tick);
    }
    for (int y = 0; y < 99; ++y) {
        EXPECT_EQ(fire.get_heat(y, 0), 0);
        EXPECT_EQ(fire.get_heat(y, 239), 0);
    }

    // A tiny positive divisor gives a huge quotient: kept to its low 8 bits
    // (no out-of-range conversion; the sanitizer build checks that).
    fire.set_decay(-7.9999999, -7.9999999, 0.0);
    step_once(fire, tick);
    for (int y = 0; y < 99; ++y)
        EXPECT_EQ(fire.get_heat(y, 0), 0);
}

TEST_F(AsciiFireTest, FixedCharacterAndUntouchedDarkCells)
{
    // The clock is shared with the test above when both run in one process,
    // so this test only looks at what any draw must give.
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    e.fill('z', 3, 5);
    std::uint64_t tick = 0x540000000ull;  // far ahead of any earlier draw
    set_tick(tick);
    AsciiFire fire(&e);
    for (int i = 0; i < 40; ++i) {
        set_tick(tick);
        fire.draw(219);
        tick += 16;
    }
    int lit = 0;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c) {
            if (e.get_char(r, c) == 'z') {
                ASSERT_EQ(e.get_fg(r, c), 3);
                ASSERT_EQ(e.get_bg(r, c), 5);
            } else {
                ASSERT_EQ(e.get_char(r, c), 219);
                ASSERT_EQ(e.get_bg(r, c), 0);
                const int fg = e.get_fg(r, c);
                ASSERT_TRUE(fg == 4 || fg == 12 || fg == 14 || fg == 15) << fg;
                ++lit;
            }
        }
    EXPECT_GT(lit, 0);
}

}  // namespace
