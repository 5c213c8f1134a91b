#include <gtest/gtest.h>

#include "system/input_state.h"

namespace {

TEST(InputState, StartsEmpty)
{
    InputState input;
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(input.is_key_down(static_cast<std::uint8_t>(k)), 0);
        EXPECT_EQ(input.was_key_pressed(static_cast<std::uint8_t>(k)), 0);
    }
    EXPECT_EQ(input.take_wheel(), 0);
    EXPECT_FALSE(input.is_mouse_grabbed());
    input.update(1);
    int dx = 7, dy = 7;
    input.get_mouse_delta(&dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
}

TEST(InputState, PressedFlagAndWheelAreTakenOnce)
{
    InputState input;
    input.key_pressed['W'] = 1;
    input.key_down['W'] = 1;
    EXPECT_EQ(input.was_key_pressed('W'), 1);
    EXPECT_EQ(input.was_key_pressed('W'), 0);
    EXPECT_EQ(input.is_key_down('W'), 1);
    EXPECT_EQ(input.is_key_down('W'), 1);
    input.wheel = -240;
    EXPECT_EQ(input.take_wheel(), -240);
    EXPECT_EQ(input.take_wheel(), 0);
}

TEST(InputState, UpdateGivesTheMovementBetweenTheLastTwoUpdates)
{
    InputState input;
    input.mouse_x = 10;
    input.mouse_y = -4;
    input.update(5);
    int dx = 0, dy = 0;
    input.get_mouse_delta(&dx, &dy);
    EXPECT_EQ(dx, 10);
    EXPECT_EQ(dy, -4);
    EXPECT_EQ(input.frame, 5);
    input.mouse_x = 13;
    input.update(6);
    input.get_mouse_delta(&dx, &dy);
    EXPECT_EQ(dx, 3);
    EXPECT_EQ(dy, 0);
    input.update(7);
    input.get_mouse_delta(&dx, &dy);
    EXPECT_EQ(dx, 0);
}

} // namespace
