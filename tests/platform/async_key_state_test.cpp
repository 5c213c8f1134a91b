#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/messages.h"

namespace {

void key(Uint32 type, SDL_Keycode sym, SDL_Scancode scan)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = scan;
    SDL_PushEvent(&e);
}

// Key events as SDL reads them from the X server (no display needed: the
// events go through SDL's queue).
TEST(AsyncKeyState, DownNowAndPressedSinceTheLastQuery)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);

    key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(static_cast<std::uint16_t>(GetAsyncKeyState(VK_ESCAPE)), 0x8001);
    EXPECT_EQ(static_cast<std::uint16_t>(GetAsyncKeyState(VK_ESCAPE)), 0x8000);
    EXPECT_EQ(GetAsyncKeyState('A'), 0);

    key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);

    // A tap between two queries still counts as pressed.
    key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);

    // Events that belong to no window of ours never reach the queue.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

} // namespace
