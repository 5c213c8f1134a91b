#include <gtest/gtest.h>

#include "platform/timing.h"
#include "system/frame_timer.h"

namespace {

// Its own program: the timer's state must be as the process starts.
TEST(FrameTimerFresh, WithoutACounterReadsTheRawCounterInMilliseconds)
{
    set_performance_counter_for_testing(true, 4321, 0);
    FrameTimer::init();
    EXPECT_NEAR(FrameTimer::now(), 4.321f, 1e-4f);
    set_performance_counter_for_testing(false, 0, 0);
}

TEST(FrameTimerFresh, LoadingTimeCountsAsOneCappedFrame)
{
    EXPECT_FLOAT_EQ(FrameTimer::frame_delta(), 0.0001f);
    set_performance_counter_for_testing(true, 100, 1000);
    FrameTimer::init();
    set_performance_counter_for_testing(true, 100 + 7000, 1000);
    FrameTimer::update();
    EXPECT_FLOAT_EQ(FrameTimer::frame_delta(), (0.25f + 4 * 0.0001f) * 0.2f);
    set_performance_counter_for_testing(false, 0, 0);
}

} // namespace
