#include <gtest/gtest.h>

#include "platform/sdl_events.h"

namespace {

SDL_Event key(Uint32 type, SDL_Keycode sym, SDL_Scancode scan, Uint16 mod = KMOD_NONE)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = scan;
    e.key.keysym.mod = mod;
    return e;
}

std::vector<MSG> translate(const SDL_Event& e)
{
    std::vector<MSG> out;
    translate_sdl_event(e, reinterpret_cast<HWND>(0x10), out);
    return out;
}

TEST(SdlEvents, KeysBecomeVirtualKeyCodes)
{
    struct Case {
        SDL_Keycode sym;
        SDL_Scancode scan;
        int vk;
    };
    const Case cases[] = {
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},     {SDLK_F12, SDL_SCANCODE_F12, 123},
        {SDLK_F1, SDL_SCANCODE_F1, 0x70},           {SDLK_a, SDL_SCANCODE_A, 'A'},
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},              {SDLK_5, SDL_SCANCODE_5, '5'},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},     {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},       {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},         {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 17},       {SDLK_LALT, SDL_SCANCODE_LALT, 18},
        {SDLK_KP_7, SDL_SCANCODE_KP_7, 0x67},       {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC},     {SDLK_DELETE, SDL_SCANCODE_DELETE, 46},
    };
    for (const Case& c : cases) {
        const auto msgs = translate(key(SDL_KEYDOWN, c.sym, c.scan));
        ASSERT_EQ(msgs.size(), 1u) << c.vk;
        EXPECT_EQ(msgs[0].wParam, static_cast<WPARAM>(c.vk));
    }
}

TEST(SdlEvents, AltAndF10MakeSystemKeys)
{
    struct Case {
        SDL_Event e;
        UINT message;
    };
    const Case cases[] = {
        {key(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A), WM_KEYDOWN},
        {key(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A), WM_KEYUP},
        {key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), WM_SYSKEYDOWN},
        {key(SDL_KEYUP, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), WM_SYSKEYUP},
        {key(SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10), WM_SYSKEYDOWN},
        {key(SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT), WM_SYSKEYDOWN},
    };
    for (const Case& c : cases) {
        const auto msgs = translate(c.e);
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].message, c.message);
    }
    // Key-up messages carry the previous-state and transition bits.
    const auto up = translate(key(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A));
    EXPECT_EQ(static_cast<std::uint32_t>(up[0].lParam) >> 30, 3u);
}

TEST(SdlEvents, MouseAndWindowEvents)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 300;
    e.motion.y = 200;
    auto msgs = translate(e);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(msgs[0].lParam, MAKELPARAM(300, 200));

    const std::pair<Uint8, UINT> buttons[] = {{SDL_BUTTON_LEFT, WM_LBUTTONDOWN}, {SDL_BUTTON_RIGHT, WM_RBUTTONDOWN}};
    for (auto [button, message] : buttons) {
        e = SDL_Event{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = button;
        EXPECT_EQ(translate(e).at(0).message, message);
        e.type = SDL_MOUSEBUTTONUP;
        EXPECT_EQ(translate(e).at(0).message, message + 1);
    }

    for (int notches : {1, -2}) {
        e = SDL_Event{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = notches;
        msgs = translate(e);
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].message, WM_MOUSEWHEEL);
        EXPECT_EQ(static_cast<SHORT>(HIWORD(msgs[0].wParam)), notches * 120);
    }

    e = SDL_Event{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    e.window.data1 = 1280;
    e.window.data2 = 720;
    msgs = translate(e);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].message, WM_SIZE);
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(msgs[0].lParam)), 1280);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(msgs[0].lParam)), 720);

    e.window.event = SDL_WINDOWEVENT_CLOSE;
    EXPECT_EQ(translate(e).at(0).message, WM_CLOSE);
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    EXPECT_EQ(translate(e).at(0).message, WM_PAINT);
}

} // namespace
