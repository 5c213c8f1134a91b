// The starfield: where stars start, how they move and re-enter, the colour of
// their speed, and its reseeding of the shared generator.
#include <vector>

#include "util/ascii/ascii_fixtures.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/asciistarfield.h"
#include "util/math/random.h"

namespace {

using AsciiStarfieldTest = ascii_test::FixtureTest;

int colour_of_speed(float speed)
{
    return speed < 2.0f ? 8 : speed < 3.5f ? 7 : 15;
}

TEST_F(AsciiStarfieldTest, StarsStartAtTheirEdgeFromTheTickSeed)
{
    const std::uint32_t tick = 987654321u;
    set_tick(tick);
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiStarfield right(&e, true);
    velmo_srand(tick * 64363u);
    for (int i = 0; i < AsciiStarfield::STARS; ++i) {
        EXPECT_EQ(right.get_x(i), 80.0f);
        EXPECT_EQ(right.get_row(i), velmo_rand() % 50);
        const float speed = velmo_rand() / 32767.0f * (5.0f - 0.5f) + 0.5f;
        EXPECT_EQ(right.get_speed(i), speed);
        EXPECT_GE(right.get_speed(i), 0.5f);
        EXPECT_LE(right.get_speed(i), 5.0f);
    }
    AsciiStarfield left(&e, false);
    for (int i = 0; i < AsciiStarfield::STARS; ++i)
        EXPECT_EQ(left.get_x(i), 0.0f);
}

TEST_F(AsciiStarfieldTest, StepZeroMovesNothingAndStarsAtTheRightEdgeAreNotShown)
{
    set_tick(5000);
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    AsciiStarfield stars(&e, true);
    stars.draw(0.0f);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ(e.get_char(r, c), 0);
    for (int i = 0; i < AsciiStarfield::STARS; ++i)
        EXPECT_EQ(stars.get_x(i), 80.0f);
    // move reseeded the generator with the tick count x 2348 and drew nothing.
    const int next = velmo_rand();
    velmo_srand(5000u * 2348u);
    EXPECT_EQ(next, velmo_rand());
}

TEST_F(AsciiStarfieldTest, MovingLeftShowsFastStarsFirstInTheirColour)
{
    set_tick(77);
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    e.fill(' ', 0, 1);
    AsciiStarfield stars(&e, true);
    stars.draw(-1.0f);
    for (int i = 0; i < AsciiStarfield::STARS; ++i) {
        const float x = stars.get_x(i);
        EXPECT_EQ(x, 80.0f - stars.get_speed(i));
        const int col = static_cast<int>(x);
        EXPECT_GE(col, 75);
        EXPECT_EQ(e.get_char(stars.get_row(i), col), '.');
        EXPECT_EQ(e.get_bg(stars.get_row(i), col), 1);  // the background is kept
    }
    // The colour of each star whose cell no other star shares.
    for (int i = 0; i < AsciiStarfield::STARS; ++i) {
        bool alone = true;
        for (int j = 0; j < AsciiStarfield::STARS; ++j)
            alone &= j == i || stars.get_row(j) != stars.get_row(i) ||
                     static_cast<int>(stars.get_x(j)) != static_cast<int>(stars.get_x(i));
        if (alone) {
            EXPECT_EQ(e.get_fg(stars.get_row(i), static_cast<int>(stars.get_x(i))),
                      colour_of_speed(stars.get_speed(i)))
                << "speed " << stars.get_speed(i);
        }
    }
}

TEST_F(AsciiStarfieldTest, StarsLeavingReenterAtTheOppositeEdge)
{
    struct Case {
        bool startRight;
        float step;
        float reentry;
    } cases[] = {{false, 20.0f, 0.0f}, {true, -20.0f, 80.0f}};
    for (const Case& c : cases) {
        set_tick(123456);
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        AsciiStarfield stars(&e, c.startRight);
        std::vector<float> before(AsciiStarfield::STARS);
        for (int i = 0; i < AsciiStarfield::STARS; ++i)
            before[i] = stars.get_x(i) + stars.get_speed(i) * c.step;
        stars.draw(c.step);
        int reentered = 0, stayed = 0;
        for (int i = 0; i < AsciiStarfield::STARS; ++i) {
            if (before[i] > 80.0f || before[i] < 0.0f) {
                EXPECT_EQ(stars.get_x(i), c.reentry);
                ++reentered;
                if (c.reentry == 0.0f) {  // re-entered at column 0 and drawn in the same call
                    EXPECT_EQ(e.get_char(stars.get_row(i), 0), '.');
                    bool alone = true;
                    for (int j = 0; j < AsciiStarfield::STARS; ++j)
                        alone &= j == i || stars.get_row(j) != stars.get_row(i) || stars.get_x(j) >= 1.0f;
                    if (alone) {
                        EXPECT_EQ(e.get_fg(stars.get_row(i), 0), colour_of_speed(stars.get_speed(i)));
                    }
                }
            } else {
                EXPECT_EQ(stars.get_x(i), before[i]);
                ++stayed;
            }
        }
        // Speeds 0.5 to 5 over 20 steps: those above 4 leave.
        EXPECT_GT(reentered, 0);
        EXPECT_GT(stayed, 0);
    }
}

}  // namespace
