#include "system/input_state.h"

#include <cstring>

InputState::InputState()
    : frame(0), mouse_x(0), mouse_y(0), prev_x(0), prev_y(0), delta_x(0), delta_y(0), wheel(0),
      mouse_grabbed(false)
{
    std::memset(key_down, 0, sizeof key_down);
    std::memset(key_pressed, 0, sizeof key_pressed);
}

void InputState::update(int frameNumber)
{
    delta_x = mouse_x - prev_x;
    delta_y = mouse_y - prev_y;
    prev_x = mouse_x;
    prev_y = mouse_y;
    frame = frameNumber;
}

void InputState::get_mouse_delta(int* dx, int* dy)
{
    *dx = delta_x;
    *dy = delta_y;
}

std::uint8_t InputState::is_key_down(std::uint8_t key)
{
    return key_down[key];
}

std::uint8_t InputState::was_key_pressed(std::uint8_t key)
{
    const std::uint8_t pressed = key_pressed[key];
    key_pressed[key] = 0;
    return pressed;
}

int InputState::take_wheel()
{
    const int taken = wheel;
    wheel = 0;
    return taken;
}

bool InputState::is_mouse_grabbed()
{
    return mouse_grabbed;
}
