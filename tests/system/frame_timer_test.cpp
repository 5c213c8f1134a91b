#include <gtest/gtest.h>

#include "platform/timing.h"
#include "system/frame_timer.h"

namespace {

// A counter of 1000 counts per second that the test moves by hand.
class FrameTimerTest : public testing::Test {
protected:
    void SetUp() override
    {
        count = 5000;
        set_performance_counter_for_testing(true, count, 1000);
        FrameTimer::init();
    }
    void TearDown() override { set_performance_counter_for_testing(false, 0, 0); }

    void frame(std::int64_t ms)
    {
        count += ms;
        set_performance_counter_for_testing(true, count, 1000);
        FrameTimer::update();
    }

    std::int64_t count = 0;
};

TEST_F(FrameTimerTest, ReadsSecondsSinceInit)
{
    EXPECT_FLOAT_EQ(FrameTimer::now(), 0.0f);
    count += 1500;
    set_performance_counter_for_testing(true, count, 1000);
    EXPECT_FLOAT_EQ(FrameTimer::now(), 1.5f);
}

TEST_F(FrameTimerTest, AveragesTheLastFiveFrames)
{
    // The first update after init sees the time since the timer's own start.
    frame(2000);
    for (int i = 0; i < 5; ++i)
        frame(16);
    EXPECT_NEAR(FrameTimer::frame_delta(), 0.016f, 1e-5f);
    frame(40);
    EXPECT_NEAR(FrameTimer::frame_delta(), (4 * 0.016f + 0.040f) / 5, 1e-5f);
}

TEST_F(FrameTimerTest, CapsEachFrameAtAQuarterSecond)
{
    frame(100000);
    for (int i = 0; i < 4; ++i)
        frame(10);
    frame(2000);
    EXPECT_NEAR(FrameTimer::frame_delta(), (3 * 0.010f + 0.25f + 0.010f) / 5, 1e-5f);
    for (int i = 0; i < 5; ++i)
        frame(2000);
    EXPECT_FLOAT_EQ(FrameTimer::frame_delta(), 0.25f);
}

} // namespace
