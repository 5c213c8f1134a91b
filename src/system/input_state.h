#pragma once
// Keyboard and mouse as the scenes see them: per-key down and pressed flags,
// pointer position and its change per frame, the wheel and the grab flag.
#include <cstdint>

class InputState {
public:
    InputState();

    // Once per frame: the movement since the last update.
    void update(int frame);
    void get_mouse_delta(int* dx, int* dy);
    std::uint8_t is_key_down(std::uint8_t key);
    // The pressed flag, which is then cleared.
    std::uint8_t was_key_pressed(std::uint8_t key);
    // The accumulated wheel movement, which is then cleared.
    int take_wheel();
    bool is_mouse_grabbed();

    std::int32_t frame;
    std::int32_t mouse_x, mouse_y;
    std::int32_t prev_x, prev_y;
    std::int32_t delta_x, delta_y;
    std::uint8_t key_down[256];
    std::uint8_t key_pressed[256];
    std::int32_t wheel;
    bool mouse_grabbed;
};
