#include <gtest/gtest.h>

#include <vector>

#include "music_test_util.h"
#include "util/music/modulators/adsr.h"
#include "util/music/modulators/arp.h"
#include "util/music/modulators/lfo.h"
#include "util/music/notedata.h"

namespace {

TEST(NoteLength, FractionsOfAWholeNote)
{
    Modulator m;
    m.addRange(0, 127, 1, 4, false);
    m.addRange(0, 127, 1, 8, true);
    m.addRange(0, 127, 3, 0, false);
    m.addRange(-1, 256, 1, 16, false);
    EXPECT_EQ(m.ranges.beats, (std::vector<float>{1.0f, 0.33333334f, 0.0f, 0.25f}));
    EXPECT_EQ(m.ranges.min[3], 255);
    EXPECT_EQ(m.ranges.max[3], 0);
    EXPECT_FLOAT_EQ(Arp(0, 1, 1, 16, true).period, 0.16666667f);
    EXPECT_FLOAT_EQ(LFO(0, -1, 3, 8, false).period, 1.5f);
    EXPECT_EQ(m.evaluate(120.0f, 3.0f, -1.0f, 2.0f), 1.0f);
}

TEST(ModulatorRanges, FirstRangeReachingTheValueDecides)
{
    Modulator m;
    m.period = 9.0f;
    m.addRange(0, 63, 1, 4, false);   // 1 beat
    m.addRange(63, 127, 1, 8, false); // 0.5 beats
    const struct {
        int value;
        float period;
    } cases[] = {{63, 1.0f}, {64, 0.5f}, {127, 0.5f}, {0, 1.0f}, {1, 1.0f}};
    for (const auto& c : cases) {
        m.setControllerValue(c.value);
        EXPECT_EQ(m.period, c.period) << c.value;
    }
    EXPECT_EQ(fatalMessage([&] { m.setControllerValue(128); }), "Value out of bounds: 128");
    EXPECT_EQ(fatalMessage([&] { m.setControllerValue(-1); }), "Value out of bounds: -1");

    // Minimums are exclusive: a value in a gap between two ranges, or at the
    // minimum of the range that reaches it, is a broken table. Only 0 is
    // taken by a range starting at 0.
    Modulator gap;
    gap.period = 9.0f;
    gap.addRange(0, 31, 1, 4, false);
    gap.addRange(40, 127, 1, 8, false);
    for (int value : {35, 40})
        EXPECT_EQ(fatalMessage([&] { gap.setControllerValue(value); }), "How did this happen?") << value;
    gap.setControllerValue(41);
    EXPECT_EQ(gap.period, 0.5f);
    Modulator high;
    high.addRange(10, 127, 1, 4, false);
    EXPECT_EQ(fatalMessage([&] { high.setControllerValue(0); }), "How did this happen?");

    // A value above every range, or any value with no ranges, keeps the period.
    Modulator narrow;
    narrow.period = 2.0f;
    narrow.addRange(0, 31, 1, 4, false);
    narrow.setControllerValue(100);
    EXPECT_EQ(narrow.period, 2.0f);
    Modulator empty;
    empty.period = 3.0f;
    empty.setControllerValue(5);
    EXPECT_EQ(empty.period, 3.0f);
}

TEST(ADSREnvelope, ValuesOverANote)
{
    ADSR env(1.0f, 0, 1.0f, 0, 0.5f, 2.0f, 0);
    EXPECT_EQ(env.getType(), 0);
    const struct {
        float now, lastOff, lastOn, value;
    } cases[] = {
        {0.5f, -1.0f, 0.0f, 0.5f},  {1.5f, -1.0f, 0.0f, 0.75f}, {3.0f, -1.0f, 0.0f, 0.5f},
        {5.0f, 4.0f, 0.0f, 0.25f},  {6.0f, 4.0f, 0.0f, 0.0f},   {9.0f, 4.0f, 0.0f, 0.0f},
        {10.8f, 10.5f, 10.0f, 0.8f}, {12.5f, 10.5f, 10.0f, 0.375f}, {3.0f, -1.0f, -1.0f, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(env.evaluate(120.0f, c.now, c.lastOff, c.lastOn), c.value, 1e-5) << c.now;

    ADSR noRelease(1.0f, 0, 1.0f, 0, 0.5f, 0.0f, 0);
    EXPECT_EQ(noRelease.evaluate(120.0f, 5.0f, 4.0f, 0.0f), 0.0f);
    EXPECT_NEAR(noRelease.evaluate(120.0f, 1.5f, 0.5f, 0.0f), 0.75f, 1e-6); // decay still runs

    EXPECT_FLOAT_EQ(env.riseExp(0.5f, 1.0f), 0.059483487f);
    EXPECT_FLOAT_EQ(env.riseExpInv(0.5f, 1.0f), 0.9405165f);
    for (float (ADSR::*curve)(float, float) : {&ADSR::riseExp, &ADSR::riseExpInv, &ADSR::riseLinear}) {
        EXPECT_EQ((env.*curve)(0.0f, 2.0f), 0.0f);
        EXPECT_EQ((env.*curve)(2.0f, 2.0f), 1.0f);
    }
    for (float (ADSR::*curve)(float, float) : {&ADSR::fallExp, &ADSR::fallExpInv, &ADSR::fallLinear}) {
        EXPECT_EQ((env.*curve)(0.0f, 2.0f), 1.0f);
        EXPECT_EQ((env.*curve)(2.0f, 2.0f), 0.0f);
    }

    ADSR badSlope(1.0f, 5, 1.0f, 0, 0.5f, 1.0f, 0);
    EXPECT_EQ(fatalMessage([&] { badSlope.evaluate(0.0f, 0.5f, -1.0f, 0.0f); }), "Unrecognized slope type 5");
    EXPECT_NEAR(badSlope.evaluate(0.0f, 1.5f, -1.0f, 0.0f), 0.75f, 1e-6); // not reached: unnoticed
}

TEST(LFOWave, SineAndSawWhileHeld)
{
    LFO sine(0, -1, 1, 4, false); // one-beat period
    EXPECT_EQ(sine.getType(), 1);
    EXPECT_NEAR(sine.evaluate(0.0f, 2.0f, -1.0f, 2.0f), 0.0f, 1e-6);
    EXPECT_NEAR(sine.evaluate(0.0f, 2.25f, -1.0f, 2.0f), 0.5f, 1e-6);
    EXPECT_NEAR(sine.evaluate(0.0f, 2.5f, -1.0f, 2.0f), 1.0f, 1e-6);
    EXPECT_EQ(sine.evaluate(0.0f, 5.0f, 4.0f, 2.0f), 0.0f); // released
    EXPECT_EQ(sine.evaluate(0.0f, 5.0f, -1.0f, -1.0f), 0.0f);

    LFO saw(1, 3, 3, 8, false); // 1.5 beats
    EXPECT_EQ(saw.getController(), 3);
    EXPECT_FLOAT_EQ(saw.evaluate(0.0f, 2.0f, -1.0f, 0.0f), 0.5f);

    LFO zero(0, -1, 1, 0, false);
    EXPECT_EQ(zero.evaluate(0.0f, 2.0f, -1.0f, 0.0f), 0.0f);

    LFO bad(7, -1, 1, 4, false);
    EXPECT_EQ(bad.evaluate(0.0f, 2.0f, 3.0f, 0.0f), 0.0f); // not held: no complaint
    EXPECT_EQ(fatalMessage([&] { bad.evaluate(0.0f, 2.0f, -1.0f, 0.0f); }), "Unsupported wave type: 7");
}

TEST(ArpSteps, UpDownOverTheHeldNotes)
{
    Arp arp(0, 1, 1, 16, false); // 0.25 beats per step
    EXPECT_EQ(arp.getType(), 2);
    std::vector<unsigned> three;
    for (float beat : {0.1f, 0.3f, 0.6f, 0.8f, 1.1f})
        three.push_back(arp.step(0.0f, beat, 0.0f, 3));
    EXPECT_EQ(three, (std::vector<unsigned>{0, 1, 2, 1, 0}));
    std::vector<unsigned> two;
    for (float beat : {0.1f, 0.3f, 0.6f, 0.8f})
        two.push_back(arp.step(0.0f, beat, 0.0f, 2));
    EXPECT_EQ(two, (std::vector<unsigned>{0, 1, 0, 1}));
    EXPECT_EQ(arp.step(0.0f, 7.3f, 0.0f, 1), 0u);
    EXPECT_EQ(arp.step(0.0f, 7.3f, 0.0f, 0), 0u);
    // Step counts past the unsigned range stay defined: they hold at
    // 4294967295, which is 3 mod 6.
    EXPECT_EQ(arp.step(0.0f, 1e12f, 0.0f, 4), 3u);
    EXPECT_EQ(arp.step(0.0f, 1e12f, 0.0f, 5), 1u);  // 4294967295 mod 8 = 7, back to 1

    EXPECT_EQ(arp.evaluate(0.0f, 5.0f, 2.0f, 3.0f), 1.0f);
    EXPECT_EQ(arp.evaluate(0.0f, 5.0f, 3.0f, 3.0f), 0.0f);

    Arp zero(0, 1, 1, 0, false);
    EXPECT_EQ(zero.step(0.0f, 3.0f, 0.0f, 3), 0u);
    Arp up(1, 1, 1, 16, false);
    EXPECT_EQ(up.step(0.0f, 3.0f, 0.0f, 1), 0u);
    EXPECT_EQ(fatalMessage([&] { up.step(0.0f, 3.0f, 0.0f, 2); }), "Unhandled arp pattern 1!\n");
}

TEST(NoteNames, SharpsAndOctavesFromZero)
{
    const struct {
        int key;
        const char* name;
    } cases[] = {{0, "C0"}, {61, "C#5"}, {127, "G10"}, {255, "D#21"}, {36, "C3"}, {59, "B4"}};
    for (const auto& c : cases)
        EXPECT_EQ(noteName(static_cast<std::uint8_t>(c.key)), c.name);
    EXPECT_TRUE(isNoteOn(0.0f));
    EXPECT_FALSE(isNoteOn(-0.0f));
    EXPECT_TRUE(isNoteOn(2.5f));
    EXPECT_FALSE(isNoteOn(-2.5f));
}

} // namespace
